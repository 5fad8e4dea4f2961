#pragma once
// Faces that can stand in for one another, by kind: the Windows face the
// design names first, then faces of the same kind and nearly the same widths
// that Linux and Wine bring along. Qt is given the whole list, since on
// Windows (and under Wine) it does not look for a face of the same kind when
// the first one is missing.
namespace tambril::resources {

inline constexpr const char* kSansFaces[] = {"Arial",       "Liberation Sans", "Arimo", "Helvetica",
                                             "Nimbus Sans", "DejaVu Sans",     "Tahoma"};
inline constexpr const char* kSerifFaces[] = {"Times New Roman", "Liberation Serif", "Tinos", "Nimbus Roman",
                                              "DejaVu Serif"};
inline constexpr const char* kMonoFaces[] = {"Courier New",      "Liberation Mono", "Cousine", "Nimbus Mono PS",
                                             "DejaVu Sans Mono", "Lucida Console",  "Courier"};

}  // namespace tambril::resources
