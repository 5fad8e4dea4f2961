#pragma once
// Coding many files in one run: every file beside itself under the name the
// single-file form proposes, with one password for all. One file's failure
// never stops the others nor leaves anything of it behind.
#include <string>
#include <vector>

namespace tambril::cli {

enum class BatchMode { Encode, Decode, Check };

struct BatchOptions {
  bool recursive = false;  // walk folders named among the files
  bool quiet = false;      // print nothing but failures (no bar either)
  unsigned jobs = 0;       // files coded at once; 0: one per processor
};

// One job per processor this process may run on.
unsigned DefaultJobs();

// The files to code, in the order given; with `recursive`, the regular files
// in each named folder and its subfolders in name order (links to files
// followed, links to folders not). A walk for decoding takes only names with
// ".tmb" in them, one for encoding only the others (as the windows refuse to
// encode an encoded file). Folders named without `recursive` stay in the
// list and fail as what they are.
std::vector<std::string> CollectFiles(const std::vector<std::string>& operands, bool recursive, bool encodedOnly);

// Codes `files` with `password` (Windows-1252 bytes), `options.jobs` files
// at once: one line per file in their order, whatever order the jobs finish
// in ("SOURCE -> TARGET" on stdout, failures on stderr), then a summary
// line; on a terminal one bar for the whole run. Files are written unnamed;
// a group of them is made durable with one flush of each file system, and
// only then are its files named (in their order) and their folders flushed,
// so that a name never points at data not yet on disk and an interrupted
// run leaves only complete files. Returns the exit status: 0 all done,
// 1 some wrong password, 3 some file error.
int RunBatch(BatchMode mode, const std::vector<std::string>& files, const std::string& password,
             const BatchOptions& options);

}  // namespace tambril::cli
