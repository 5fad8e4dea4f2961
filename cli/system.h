#pragma once
// What tambril-cli asks of the system, one small function per concern:
// system_posix.cpp and system_windows.cpp answer it, so that the rest of the
// program is the same on every system. Text is UTF-8 throughout.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/files.h"

namespace tambril::cli {

// The program's start: standard input, output and error that are closed
// are opened on the null device (so that no file opened later takes their
// place), standard output read-only, so that writing a result there fails
// with EBADF as it would closed; the console speaks UTF-8, the system's
// reasons follow the user's language. Returns the arguments as UTF-8
// (argv[0] first).
std::vector<std::string> StartProgram(int argc, char** argv);

// A path from the program's text (UTF-8, or a POSIX name's own bytes) and
// back.
std::filesystem::path PathOf(std::string_view text);
std::string PathText(const std::filesystem::path& path);

// The language the system speaks to its user ("de", "en" ...) where it
// keeps one apart from the environment (Windows' display language); null
// on POSIX systems, whose environment says it.
const char* UserLanguage();

// Whether standard error is a terminal (a console), where bars are drawn.
bool StderrIsTerminal();

// Processors this process may run on.
unsigned ProcessorCount();

// How many files the program may hold open at once, after raising its
// limit towards `want` where the system allows.
std::size_t OpenFileRoom(std::size_t want);

// Makes durable what `handle` covers (FlushHandle), so that a signal can
// still end the program at once: on POSIX systems the flush runs in a child
// process, which finishes it by itself. 0 or the system's error number.
int FlushApart(const codec::FlushHandle& handle);

// The size of the regular file `path` (links followed), else nullopt.
std::optional<std::uint64_t> RegularFileSize(const std::string& path);

// Whether `path` names a folder (links followed).
bool IsFolder(const std::string& path);

// What a walk puts between a folder's path and the names of its entries.
std::string_view PathSeparator();

// One entry of a folder as a walk sees it.
struct FolderEntry {
  enum Kind {
    File,        // a regular file, or a link to one
    Folder,      // a folder itself, not a link to one
    Skipped,     // not a regular file (a pipe, a device, a link to a folder)
    Unreadable,  // a link that leads nowhere, an entry that cannot be looked at
  } kind;
  std::string name;
  std::string reason;  // for Skipped and Unreadable
  bool link = false;   // a File that is a link to one
};

// What tells one folder from every other: its device and inode, on
// Windows its volume and file id.
struct FolderId {
  std::uint64_t device = 0, file = 0;
  bool operator==(const FolderId&) const = default;
};

// A folder open for a walk; its subfolders are opened through it, so that
// neither depth nor path length matters.
class WalkFolder {
 public:
  // Null, with `error`, where the folder cannot be opened.
  static std::unique_ptr<WalkFolder> Open(const std::string& path, std::string& error);
  ~WalkFolder();
  std::unique_ptr<WalkFolder> openSub(const std::string& name, std::string& error) const;
  // The folder this one is in (a subfolder's, never the walk's top's).
  std::unique_ptr<WalkFolder> openParent(std::string& error) const;
  // Which folder it is; a folder that cannot be looked at has none.
  std::optional<FolderId> id() const;
  // The entries but "." and "..", in no order; files and links to files
  // only where `wanted` takes their name (links to folders always, to be
  // named as skipped). `error` tells where reading stopped early.
  std::vector<FolderEntry> entries(const std::function<bool(std::string_view)>& wanted, std::string& error);

  struct State;
  explicit WalkFolder(std::unique_ptr<State> state);

 private:
  std::unique_ptr<State> state_;
};

// The input a password line is read from.
enum class PasswordSource { StandardInput, Terminal };

// Whether standard input is a terminal (a console).
bool StdinIsTerminal();

// Reads up to `n` bytes of standard input; 0 at its end, -1 with `error`.
long ReadStandardInput(char* buffer, std::size_t n, std::string& error);

// A terminal (console) a password is typed on: standard input's or the
// controlling one. Echo is off while it is open, also across a stop
// (Ctrl-Z) and `fg`; closing it turns echo on and ends the line.
class PasswordTerminal {
 public:
  // Null, with `error`, where there is no terminal.
  static std::unique_ptr<PasswordTerminal> Open(PasswordSource source, std::string& error);
  ~PasswordTerminal();
  void prompt(std::string_view text);
  // The bytes typed (UTF-8); 0 at the input's end, -1 with `error`.
  long read(char* buffer, std::size_t n, std::string& error);

  struct State;
  explicit PasswordTerminal(std::unique_ptr<State> state);

 private:
  std::unique_ptr<State> state_;
};

// Signals (Ctrl-C and the like): see terminal.h. While a pass runs, one is
// noted, not acted on; these hold that state for every thread (terminal.cpp).
void SetInPass(bool inPass);
int PendingSignal();
// For a handler: notes `signal` and says true while a pass runs.
bool NoteSignalInPass(int signal);
// Dropping a large unfinished file takes time where the program must free
// its blocks itself; this lets the end of the program not wait for it.
void HandOverOpenHandles();

}  // namespace tambril::cli
