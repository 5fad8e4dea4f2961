#pragma once
// Coding many files in one run: every file beside itself under the name the
// single-file form proposes, with one password for all. One file's failure
// never stops the others nor leaves anything of it behind.
#include <optional>
#include <string>
#include <vector>

#include "cli/system.h"

namespace tambril::cli {

// Convert turns .tmb files into age files with the same password.
enum class BatchMode { Encode, Decode, Check, Convert };

struct BatchOptions {
  bool recursive = false;  // walk folders named among the files
  bool quiet = false;      // print nothing but failures (no bar either)
  unsigned jobs = 0;       // files coded at once; 0: one per processor
  bool age = false;        // encoding: age files instead of .tmb files
  std::string passphrase;  // UTF-8, for the age files of the run; wiped when the options go

  BatchOptions() = default;
  BatchOptions(const BatchOptions&) = default;
  BatchOptions& operator=(const BatchOptions&) = default;
  ~BatchOptions();
};

// One job per processor this process may run on.
unsigned DefaultJobs();

// No folder: an entry named by the user, not found by a walk.
constexpr std::size_t kNoFolder = static_cast<std::size_t>(-1);

// A folder a walk went through: where it is in the tree and which folder it
// was (its device and inode, on Windows its volume and file id), so that a
// run codes its files in that very folder or not at all.
struct WalkedFolder {
  std::size_t parent = kNoFolder;  // kNoFolder for a folder named by the user
  std::string name;                // in its parent (the operand as given for a named folder)
  std::optional<FolderId> id;      // none where the walk could not tell
  std::size_t depth = 0;           // levels below the named folder
};

// One entry of a run: a file to code, or an entry a folder walk could not
// take, with the reason to print for it.
struct Entry {
  enum Kind {
    File,        // to be coded
    Skipped,     // not a regular file (a pipe, a socket, a device, a link to a folder)
    Unreadable,  // a folder that cannot be opened or read, a link that leads nowhere
  } kind = File;
  std::size_t folder = kNoFolder;  // the walked folder it is in
  std::string name;                // in that folder (empty: the folder itself); else the path as given
  std::string reason;              // for Skipped and Unreadable
  bool link = false;               // a walked file that was a link to a file when the walk saw it
};

// The entries of a run and the folders the walk found them in. A walked
// entry keeps its name only, so that a tree of any depth takes memory in
// proportion to its entries; its path is made when it is printed.
struct FileList {
  std::vector<Entry> entries;
  std::vector<WalkedFolder> folders;

  std::string pathOf(const Entry& entry) const;
  std::string pathOfFolder(std::size_t folder) const;
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
FileList CollectFiles(const std::vector<std::string>& operands, bool recursive, bool encodedOnly, bool ageToo = false);

// Codes `files` with `password` (Windows-1252 bytes), `options.jobs` files
// at once: one line per entry in their order, whatever order the jobs finish
// in ("SOURCE -> TARGET" on stdout, failures and skipped entries on stderr),
// then a summary line; on a terminal one bar for the whole run. A walked
// file is read and written through its folder as the walk saw it: opened
// again one level at a time (never through a link) from a folder the run
// holds, each checked to be the very folder the walk saw, else the file
// fails as in a folder moved or replaced. Files are written unnamed;
// a group of them is made durable with one flush of each file system, and
// only then are its files named (in their order) and their folders flushed,
// so that a name never points at data not yet on disk and an interrupted
// run leaves only complete files. Returns the exit status: 0 all done (or
// skipped as no regular file), 1 some wrong password, 3 some file error.
int RunBatch(BatchMode mode, const FileList& files, const std::string& password, const BatchOptions& options);

}  // namespace tambril::cli
