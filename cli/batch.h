#pragma once
// Coding many files in one run: every file beside itself under the name the
// single-file form proposes, with one password for all. One file's failure
// never stops the others nor leaves anything of it behind.
#include <string>
#include <vector>

namespace tambril::cli {

// Convert turns .tmb files into age files with the same password.
enum class BatchMode { Encode, Decode, Check, Convert };

struct BatchOptions {
  bool recursive = false;  // walk folders named among the files
  bool quiet = false;      // print nothing but failures (no bar either)
  unsigned jobs = 0;       // files coded at once; 0: one per processor
  bool age = false;        // encoding: age files instead of .tmb files
  std::string passphrase;  // UTF-8, for the age files of the run
};

// One job per processor this process may run on.
unsigned DefaultJobs();

// One entry of a run: a file to code, or an entry a folder walk could not
// take, with the reason to print for it.
struct Entry {
  enum Kind {
    File,        // to be coded
    Skipped,     // not a regular file (a pipe, a socket, a device, a link to a folder)
    Unreadable,  // a folder that cannot be opened or read, a link that leads nowhere
  } kind = File;
  std::string path;
  std::string reason;  // for Skipped and Unreadable
};

// The files to code, in the order given; with `recursive`, the entries of
// each named folder and its subfolders in name order, walked through folder
// handles so that neither depth nor path length matters (links to files
// followed, links to folders not). A walk for decoding takes only names
// ending in ".tmb", one for encoding every file. Every entry the walk
// cannot take comes back with its reason, so that nothing is left out
// unsaid; folders named without `recursive` stay in the list and fail as
// what they are.
// With `ageToo`, the walk takes names ending in ".age" beside them.
std::vector<Entry> CollectFiles(const std::vector<std::string>& operands, bool recursive, bool encodedOnly,
                                bool ageToo = false);

// Codes `files` with `password` (Windows-1252 bytes), `options.jobs` files
// at once: one line per entry in their order, whatever order the jobs finish
// in ("SOURCE -> TARGET" on stdout, failures and skipped entries on stderr),
// then a summary line; on a terminal one bar for the whole run. Files are written unnamed;
// a group of them is made durable with one flush of each file system, and
// only then are its files named (in their order) and their folders flushed,
// so that a name never points at data not yet on disk and an interrupted
// run leaves only complete files. Returns the exit status: 0 all done (or
// skipped as no regular file), 1 some wrong password, 3 some file error.
int RunBatch(BatchMode mode, const std::vector<Entry>& files, const std::string& password, const BatchOptions& options);

}  // namespace tambril::cli
