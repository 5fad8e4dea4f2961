#pragma once
// The words the window benchmarks build their German-looking 8-bit text
// from, in Windows-1252 ("Gr\366\337e" is "Größe").

namespace bench {

inline const char* const kWords[] = {"Datei", "Kennwort", "codiert", "Gr\366\337e", "und",
                                     "die",   "der",      "Ordner",  "Tambril",     "Text"};

}  // namespace bench
