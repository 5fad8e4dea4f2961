#include "batch.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "age/age.h"
#include "cli/age_files.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "cli/run_counts.h"
#include "cli/system.h"
#include "cli/terminal.h"
#include "cli/text.h"
#include "codec/codec.h"
#include "codec/names.h"
#include "codec/paths.h"

namespace tambril::cli {
namespace fs = std::filesystem;

namespace {

// A folder on the way down a walk: what of it is still to be walked, and
// its handle while one is held.
struct Level {
  std::size_t node;                    // in the run's folders
  std::unique_ptr<WalkFolder> folder;  // null while not held
  std::vector<FolderEntry> entries;    // in name order
  std::size_t next = 0;                // the first entry not yet walked
};

std::pair<std::uint64_t, std::uint64_t> KeyOf(const FolderId& id) { return {id.device, id.file}; }

// A walk down a tree of any depth, in a loop: names are kept per folder and
// a path is made only for an entry that is printed. At most `mostHeld`
// folder handles are held (the top's and the deepest ones); a folder whose
// handle was given up is opened again, through its subfolder's ".." on the
// way up or else from the nearest held folder above it by name, and must
// be the very folder it was when it was listed. A folder that is already
// on the way down (a bind mount of one of its own folders) is a loop.
class TreeWalk {
 public:
  TreeWalk(bool encodedOnly, std::size_t mostHeld, FileList& out, bool ageToo = false)
      : encodedOnly_(encodedOnly), ageToo_(ageToo), mostHeld_(std::max<std::size_t>(mostHeld, 2)), out_(out) {}

  void run(std::unique_ptr<WalkFolder> top, const std::string& path) {
    enter(std::move(top), kNoFolder, path);
    while (!levels_.empty()) {
      Level& level = levels_.back();
      if (level.next == level.entries.size()) {
        leave();
        continue;
      }
      FolderEntry& entry = level.entries[level.next++];
      const std::size_t node = level.node;
      switch (entry.kind) {
        case FolderEntry::File:
          out_.entries.push_back({Entry::File, node, std::move(entry.name), {}, entry.link});
          break;
        case FolderEntry::Folder:
          if (!level.folder) break;  // lost on the way up, and named then
          if (std::string error; auto sub = level.folder->openSub(entry.name, error)) {
            if (const auto id = sub->id(); id && onPath_.count(KeyOf(*id))) {
              out_.entries.push_back(
                  {Entry::Unreadable, node, std::move(entry.name), std::string(Text(Msg::FolderLoop))});
            } else {
              enter(std::move(sub), node, std::move(entry.name));
            }
          } else {
            out_.entries.push_back({Entry::Unreadable, node, std::move(entry.name),
                                    std::string(Text(Msg::CannotOpenFolder)) + ": " + error});
          }
          break;
        case FolderEntry::Skipped:
          out_.entries.push_back({Entry::Skipped, node, std::move(entry.name), std::move(entry.reason)});
          break;
        case FolderEntry::Unreadable:
          out_.entries.push_back({Entry::Unreadable, node, std::move(entry.name), std::move(entry.reason)});
          break;
      }
    }
  }

 private:
  const std::optional<FolderId>& idOf(const Level& level) const { return out_.folders[level.node].id; }

  void enter(std::unique_ptr<WalkFolder> folder, std::size_t parent, std::string name) {
    const std::size_t node = out_.folders.size();
    const std::size_t depth = parent == kNoFolder ? 0 : out_.folders[parent].depth + 1;
    out_.folders.push_back({parent, std::move(name), folder->id(), depth});
    if (const auto& id = out_.folders[node].id) onPath_.insert(KeyOf(*id));
    Level& level = levels_.emplace_back();
    level.node = node;
    std::string error;
    const auto wanted = [this](std::string_view n) {
      return !encodedOnly_ || codec::HasTmbSuffix(n) || (ageToo_ && age::HasAgeSuffix(n));
    };
    level.entries = folder->entries(wanted, error);
    if (!error.empty()) {
      out_.entries.push_back({Entry::Unreadable, node, {}, std::string(Text(Msg::CannotReadFolder)) + ": " + error});
    }
    std::sort(level.entries.begin(), level.entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    level.folder = std::move(folder);
    // Over the limit: the handle nearest the top but the top's goes.
    if (++held_ > mostHeld_) {
      for (std::size_t k = std::max<std::size_t>(firstHeld_, 1); k + 1 < levels_.size(); ++k) {
        if (levels_[k].folder) {
          levels_[k].folder.reset();
          --held_;
          firstHeld_ = k + 1;
          break;
        }
      }
    }
  }

  // Done with the deepest level: the one above takes its place and gets
  // its handle back if it had given it up, so that the deepest level always
  // has one (only a folder moved or replaced meanwhile has none).
  void leave() {
    std::unique_ptr<WalkFolder> done = std::move(levels_.back().folder);
    if (done) --held_;
    if (const auto& id = idOf(levels_.back())) onPath_.erase(KeyOf(*id));
    levels_.pop_back();
    firstHeld_ = std::min(firstHeld_, levels_.size());
    if (levels_.empty() || levels_.back().folder) return;
    Level& level = levels_.back();
    std::string error;
    if (done) level.folder = same(done->openParent(error), level);
    done.reset();
    if (!level.folder) level.folder = reopen(levels_.size() - 1);
    if (level.folder) {
      ++held_;
      firstHeld_ = std::min(firstHeld_, levels_.size() - 1);
    } else if (std::any_of(level.entries.begin() + static_cast<std::ptrdiff_t>(level.next), level.entries.end(),
                           [](const auto& e) { return e.kind == FolderEntry::Folder; })) {
      out_.entries.push_back({Entry::Unreadable, level.node, {}, std::string(Text(Msg::FolderReplaced))});
    }
  }

  // `folder` if it is the folder `level` was, else null.
  std::unique_ptr<WalkFolder> same(std::unique_ptr<WalkFolder> folder, const Level& level) const {
    if (!folder || !idOf(level) || folder->id() != idOf(level)) return nullptr;
    return folder;
  }

  // Level `k` opened again by name from the nearest held level above it,
  // each folder on the way checked; null where one is not what it was.
  std::unique_ptr<WalkFolder> reopen(std::size_t k) const {
    std::size_t from = k;
    while (from > 0 && !levels_[from].folder) --from;
    if (!levels_[from].folder) return nullptr;
    std::unique_ptr<WalkFolder> at;
    for (std::size_t i = from + 1; i <= k; ++i) {
      std::string error;
      const WalkFolder& parent = at ? *at : *levels_[from].folder;
      at = same(parent.openSub(out_.folders[levels_[i].node].name, error), levels_[i]);
      if (!at) return nullptr;
    }
    return at;
  }

  const bool encodedOnly_;
  const bool ageToo_;  // ".age" names too
  const std::size_t mostHeld_;
  FileList& out_;
  std::vector<Level> levels_;
  std::set<std::pair<std::uint64_t, std::uint64_t>> onPath_;  // the folders of levels_
  std::size_t held_ = 0;
  std::size_t firstHeld_ = 1;  // no level between the top and this one holds a handle
};

// Folder handles a walk holds at most, whatever the depth.
constexpr std::size_t kMostWalkHandles = 64;

// Where a file of the run stands: its stage while it is being coded, then
// its outcome, which is final and fixed.
enum class State {
  Queued,   // no job has taken it yet
  Coding,   // a job codes it
  Unnamed,  // written, waiting unnamed for its group's flush
  Named,    // named; final once a flush after the naming has made the name durable
  Done,     // the outcomes from here on
  WrongPassword,
  Skipped,  // not a regular file
  Failed,
};

bool IsFinal(State s) { return s >= State::Done; }

// What a run's summary counts a file as; nothing while it is not final.
std::optional<Outcome> OutcomeOf(State s) {
  switch (s) {
    case State::Done:
      return Outcome::Done;
    case State::WrongPassword:
      return Outcome::WrongPassword;
    case State::Skipped:
      return Outcome::NotRegular;
    case State::Failed:
      return Outcome::Failed;
    default:
      return std::nullopt;
  }
}

struct FileState {
  State state = State::Queued;
  std::string line;  // the target, the tag, or the line of a failure or a skipped entry
};

// A file written unnamed, waiting for its group's flush.
struct Pending {
  std::size_t index;
  std::string target;   // its name beside the file
  std::uint64_t scope;  // what one flush covers (FlushHandle)
  std::uint64_t bytes;
  std::unique_ptr<codec::TargetFile> file;
};

// One folder, whichever handle of it: its file system and its place there.
std::string FolderKey(const codec::Folder& folder) {
  return std::to_string(folder.device()) + ":" + std::to_string(folder.fileId());
}

// A file named, and the folder that holds its name.
struct Name {
  std::size_t index;
  std::shared_ptr<const codec::Folder> folder;
};

// One flush: it makes the data of its files durable, and the names given
// before it began: their folders are flushed after the file systems, each
// once, unless the flush of its whole file system covered it already.
struct FlushGroup {
  std::vector<Pending> files;                          // still unnamed
  std::vector<Name> names;                             // named before it began
  std::vector<std::pair<std::uint64_t, int>> results;  // per scope: 0 or the error
  std::unordered_map<std::string, int> folderResults;  // per folder of `names` (FolderKey): 0 or the error
  bool running = false;
  bool ended = false;
};

// Stops a job between two blocks when the run is interrupted.
struct Stopped {};

// Open files: every file that is being coded or waits for its group holds
// two (the file and its folder), and once named its folder until the name is
// durable (a group at most, so a third per slot); every job two more at most
// (its input and the folder it keeps for its next file), and the program
// keeps a few of its own.
constexpr std::size_t kMostInGroup = 2048;
constexpr std::size_t kOwnFiles = 24;
// A group is flushed once this much is written, even if it has room for
// more files, so that large files are named as they come.
constexpr std::uint64_t kGroupBytes = std::uint64_t{256} << 20;
// How often the run looks for a signal and redraws its bar.
constexpr auto kTick = std::chrono::milliseconds(50);

struct Sizes {
  std::size_t jobs;
  std::size_t slots;  // files being coded or waiting unnamed, at most
};

// Raises the open-file limit where it can so that groups can be large, then
// shares what there is between the jobs and the group.
Sizes FitOpenFiles(std::size_t jobs) {
  const std::size_t open = OpenFileRoom(3 * kMostInGroup + 2 * jobs + kOwnFiles);
  if (open == 0) return {1, 1};
  const std::size_t spare = open > kOwnFiles ? open - kOwnFiles : 0;
  // A job needs five: its input, its check, and a slot of three.
  jobs = std::clamp<std::size_t>(spare / 5, 1, jobs);
  const std::size_t slots = spare > 2 * jobs ? (spare - 2 * jobs) / 3 : 1;
  return {jobs, std::clamp<std::size_t>(slots, 1, kMostInGroup)};
}

// A file as a job leaves it: written unnamed, or with its final outcome.
struct Coded {
  FileState state;                          // Unnamed with the target's path, else final
  std::unique_ptr<codec::TargetFile> file;  // while Unnamed: the target, unflushed
  fs::path target;                          // empty until its name is known (as the folder knows it)
  std::string targetName;                   // the target's name beside the file (its path is made to print it)
  std::uint64_t size = 0;                   // the input's when it was opened
  bool targetTaken = false;                 // failed since a file stands under the target's name
  bool stopped = false;                     // the run was interrupted: no outcome
};

// The path of `name` beside the file whose path is `shown`.
std::string Beside(const std::string& shown, const fs::path& name) {
  const std::size_t cut = shown.find_last_of(std::string("/") + std::string(PathSeparator()));
  return (cut == std::string::npos ? std::string() : shown.substr(0, cut + 1)) + PathText(name);
}

// Codes one file, printed as `shown` and opened as `file`. `folder` is the
// open folder the file is in (read from and written to through it, `file`
// its name there or its path), null where it could not be opened: the
// file's own path then gives its errors. Without `followLink` a link in the
// file's place is refused. `cwd` is the current folder, for the tag of a
// relative path; `tagTail`, where not empty, the end of the path that the
// tag is taken from instead (of a file deep in a walk, whose absolute path
// ends as its path does). `progress` is told before each block of at most a MiB
// roughly how far the file is; it throws Stopped to end the coding. Only
// the names are taken apart, never a whole path, whose length grows with
// the depth of its folder.
Coded CodeOne(BatchMode mode, const std::string& shown, const fs::path& file,
              const std::shared_ptr<const codec::Folder>& folder, bool followLink, const std::string& cwd,
              const std::string& tagTail, const std::string& password, const BatchOptions& options,
              const std::function<void(std::uint64_t)>& progress) {
  Coded c;
  std::uint64_t blocks = 0;
  const codec::CheckpointFn checkpoint = [&] { progress(std::min(c.size, (blocks++) << 20)); };
  // The target is made through the folder only where its name lies in it
  // (beside the file, as the names are made).
  const auto folderOf = [&](const fs::path& t) {
    return folder && t.parent_path().native() == file.parent_path().native() ? folder : nullptr;
  };
  try {
    const codec::InputFile in = folder ? codec::InputFile(*folder, file, followLink) : codec::InputFile(file);
    c.size = in.sizeAtOpen();
    if (mode == BatchMode::Encode && options.age) {
      c.target = PathOf(age::EncodedPath(PathText(file)));
      c.targetName = PathText(c.target.filename());
      c.file = age::EncodeUnnamed(in, c.size, c.target, options.passphrase, checkpoint, folderOf(c.target));
    } else if (mode == BatchMode::Encode) {
      c.target = PathOf(codec::EncodedPath(PathText(file)));  // a taken name is refused before anything is read
      c.targetName = PathText(c.target.filename());
      const std::string tag = codec::ExtensionTag(
          tagTail.empty() ? codec::AbsolutePathText<char>(shown, cwd, codec::kNativePathStyle) : tagTail);
      c.file = codec::EncodeUnnamed(in, c.size, c.target, password, tag, checkpoint, folderOf(c.target));
    } else if (age::Recognize(in) != age::Form::None) {
      if (mode == BatchMode::Convert) {
        c.state = {State::Failed, Quoted(shown) + ": " + std::string(Text(Msg::AlreadyAge))};
        return c;
      }
      const auto check = CheckAge(in, c.size, options.passphrase);
      if (!check) {
        c.state.state = State::WrongPassword;
        return c;
      }
      if (mode == BatchMode::Check) {
        age::Verify(in, *check, {}, checkpoint);
        c.state = {State::Done, std::string(Text(Msg::Fit))};
        return c;
      }
      const auto named = age::DecodedPath(PathText(file));
      if (!named) {
        c.state = {State::Failed, Quoted(shown) + ": " + std::string(Text(Msg::AgeNeedsOutput))};
        return c;
      }
      c.target = PathOf(*named);
      c.targetName = PathText(c.target.filename());
      c.file = age::DecodeUnnamed(in, c.target, *check, checkpoint, folderOf(c.target));
    } else if (password.size() > codec::kMaxPasswordLength) {
      // Longer than any .tmb password (taken for the age files of the run).
      c.state.state = State::WrongPassword;
      return c;
    } else {
      const codec::CheckResult check = codec::CheckPassword(in, c.size, password);
      if (!check.fits()) {
        c.state.state = State::WrongPassword;
        return c;
      }
      if (mode == BatchMode::Check) {
        c.state = {State::Done, PrintableTag(check.tagText())};
        return c;
      }
      if (mode == BatchMode::Convert) {
        c.target = PathOf(ConvertedPath(PathText(file), check.tagText()));
        c.targetName = PathText(c.target.filename());
        c.file = ConvertUnnamed(in, check, c.target, options.passphrase, checkpoint, folderOf(c.target));
      } else {
        c.target = PathOf(codec::DecodedPath(PathText(file), check.tagText()));
        c.targetName = PathText(c.target.filename());
        c.file = codec::DecodeUnnamed(in, c.target, check, checkpoint, folderOf(c.target));
      }
    }
    c.file->finishUnflushed();
    c.state = {State::Unnamed, c.targetName};
  } catch (const Stopped&) {
    c.stopped = true;
  } catch (const codec::CodecError& e) {
    // Told about the paths as printed.
    const bool ofTarget = !c.target.empty() && e.path() == c.target;
    const fs::path source = PathOf(shown), target = PathOf(Beside(shown, PathOf(c.targetName)));
    c.state = {State::Failed,
               FailureLine(source, target, codec::CodecError(e.kind(), ofTarget ? target : source, e.errnum()))};
    c.targetTaken = e.kind() == codec::ErrorKind::TargetExists;
    c.file.reset();
  } catch (const std::exception& e) {  // running out of memory
    c.state = {State::Failed, Quoted(shown) + ": " + e.what()};
    c.file.reset();
  }
  return c;
}

// The folder `file` is in, opened for it; null for a path that names a
// folder ("name/") or where the folder cannot be opened: the file is then
// coded by its path, which reports what is wrong with it.
std::shared_ptr<const codec::Folder> OpenFolderOf(const fs::path& file) {
  if (file.filename().empty()) return nullptr;
  try {
    return std::make_shared<const codec::Folder>(file.parent_path());
  } catch (const codec::CodecError&) {
    return nullptr;
  }
}

// A named file once its folder was flushed: done, or failed with `error`.
// While a file is coded or named its line is its target's name alone.
FileState Durable(const std::string& file, const FileState& named, int error) {
  if (error == 0) return {State::Done, named.line};
  const fs::path target = PathOf(Beside(file, PathOf(named.line)));
  return {State::Failed,
          FailureLine(PathOf(file), target, codec::CodecError(codec::ErrorKind::WriteTarget, target, error))};
}

// A line on stderr, after what stdout holds so far.
void PrintError(const std::string& line) {
  FlushOut();
  std::fprintf(stderr, "tambril-cli: %s\n", line.c_str());
}

// One file's line. --quiet leaves out all but failures: a file done, and
// one skipped (a wrong password when decoding, no regular file).
void Print(const std::string& file, const FileState& o, BatchMode mode, bool quiet) {
  const std::string name = Quoted(file);
  switch (o.state) {
    case State::Done:
      if (mode == BatchMode::Check) {
        WriteOut(name + ": " + o.line + "\n");
      } else if (!quiet) {
        WriteOut(name + " -> " + Quoted(Beside(file, PathOf(o.line))) + "\n");
      }
      break;
    case State::WrongPassword:
      if (mode == BatchMode::Check) {
        WriteOut(name + ": " + std::string(Text(Msg::WrongPassword)) + "\n");
      } else if (!quiet) {
        PrintError(name + ": " + std::string(Text(Msg::WrongPassword)));
      }
      break;
    case State::Skipped:
      if (!quiet) PrintError(o.line);
      break;
    case State::Failed:
      PrintError(o.line);
      break;
    default:  // not final: never printed
      break;
  }
}

// A folder a job holds: an operand's (kNoFolder), or a walked one.
struct JobFolder {
  std::size_t node = kNoFolder;
  std::shared_ptr<const codec::Folder> folder;
};

// The end of the path `shown` of `entry` that its tag is taken from: the
// last 16 bytes (from a character's start) where the walk made more than
// that, whose separators and names are as the system writes them; else
// nothing, and the whole path is made absolute for it.
std::string TagTail(const Entry& entry, const std::string& shown, const std::vector<WalkedFolder>& folders) {
  constexpr std::size_t kTail = 16;
  if (entry.folder == kNoFolder || folders[entry.folder].depth < kTail / 2) return {};
  std::size_t start = shown.size() - kTail;
  while (start < shown.size() && (static_cast<unsigned char>(shown[start]) & 0xC0) == 0x80) ++start;
  return shown.substr(start);
}

// One run: the jobs take the files in their order and code them; the
// program's own thread flushes and names the groups, prints the lines in
// the files' order, draws the bar and watches for signals.
class Batch {
 public:
  Batch(BatchMode mode, const FileList& list, const std::string& password, const BatchOptions& options)
      : mode_(mode), list_(list), files_(list.entries), password_(password), options_(options), states_(files_.size()) {
    const auto& files = files_;
    const std::size_t wanted = options.jobs > 0 ? options.jobs : DefaultJobs();
    const Sizes sizes = FitOpenFiles(std::clamp<std::size_t>(wanted, 1, std::max<std::size_t>(files.size(), 1)));
    jobs_ = sizes.jobs;
    slots_ = sizes.slots;
    // Half the room: the jobs go on with the other half while a group is flushed.
    flushAt_ = std::max<std::size_t>(1, slots_ / 2);
    partial_ = std::make_unique<std::atomic<std::uint64_t>[]>(jobs_);
    folders_.resize(jobs_);
    std::error_code ec;
    cwd_ = PathText(fs::current_path(ec));
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (files[i].kind == Entry::File) continue;
      states_[i] = {files[i].kind == Entry::Skipped ? State::Skipped : State::Failed,
                    Quoted(path(i)) + ": " + files[i].reason};
      ++finished_;
    }
  }

  ~Batch() { stopAndJoin(); }

  int run();

 private:
  void work(std::size_t job);
  // Codes the next file as job `job`; false when the run was stopped.
  bool codeNext(std::size_t job, std::unique_lock<std::mutex>& lock);
  // The path of file `i` as printed.
  std::string path(std::size_t i) const { return list_.pathOf(files_[i]); }
  // A folder a job keeps open to start from for file `i`: the files of a
  // folder follow each other, so its handle is most likely one a job has
  // just used, and the next folder is one level up or down from it.
  JobFolder keptFolder(std::size_t job, std::size_t i) const;
  // The walked folder `node`, reached from `from` one level at a time.
  std::shared_ptr<const codec::Folder> reach(const JobFolder& from, std::size_t node) const;
  std::shared_ptr<const codec::Folder> reachFrom(std::shared_ptr<const codec::Folder> at, std::size_t from,
                                                 std::size_t to) const;
  // The key of a target's name in given_.
  std::string nameKey(std::size_t i, const std::string& target) const;
  // Takes in what a job made of file `i` (its data in flush scope `scope`);
  // false when the run was stopped meanwhile.
  bool settle(std::size_t i, Coded c, std::uint64_t scope);
  std::uint64_t totalBytes() const;
  void startJobs();
  void startDueFlush(std::unique_lock<std::mutex>& lock);
  std::size_t printableEnd() const;
  [[noreturn]] void endInterrupted(RunBar& bar, int signal);
  int summarize() const;
  bool nothingLeft();
  void startFlush(std::unique_lock<std::mutex>& lock, std::size_t upTo);
  void nameGroup(std::unique_lock<std::mutex>& lock);
  void printUpTo(std::size_t end);
  std::string takenBy(const std::string& key, const std::unordered_map<std::string, std::size_t>& more) const;
  std::uint64_t bytesDone() const;
  void stopAndJoin();

  const BatchMode mode_;
  const FileList& list_;
  const std::vector<Entry>& files_;
  const std::string& password_;
  const BatchOptions options_;
  std::size_t jobs_ = 1, slots_ = 1, flushAt_ = 1;

  std::mutex m_;
  std::condition_variable slotFree_;  // a job may take the next file
  std::condition_variable changed_;   // something for the program's thread
  std::vector<FileState> states_;
  std::size_t frontier_ = 0;  // the first file queued or being coded
  std::size_t next_ = 0;      // the next file a job takes
  std::size_t inUse_ = 0;     // slots taken
  std::size_t coding_ = 0;    // jobs coding a file
  std::size_t finished_ = 0;  // files coded or failed
  std::size_t running_ = 0;   // jobs not yet ended
  bool alone_ = false;        // no job could be started: the program's thread codes too
  std::atomic<bool> stop_{false};
  std::vector<Pending> pending_;
  std::uint64_t pendingBytes_ = 0;

  FlushGroup flush_;         // one at a time
  std::vector<Name> named_;  // named since the last flush began
  std::thread flusher_;

  std::vector<std::thread> workers_;
  // Per job the folder of its last file, kept open for the next ones.
  std::vector<JobFolder> folders_;
  std::string cwd_;
  std::atomic<std::uint64_t> bytesFinished_{0};
  std::unique_ptr<std::atomic<std::uint64_t>[]> partial_;  // per job: the current file, about
  std::size_t printed_ = 0;
  std::unordered_map<std::string, std::size_t> given_;  // names given in this run (nameKey), by the file they came from
};

bool Batch::nothingLeft() {
  // Entries the walk could not take have their line already.
  while (next_ < files_.size() && IsFinal(states_[next_].state)) ++next_;
  return next_ >= files_.size();
}

void Batch::work(std::size_t job) {
  std::unique_lock lock(m_);
  for (;;) {
    slotFree_.wait(lock, [&] { return stop_ || nothingLeft() || inUse_ < slots_; });
    if (stop_ || nothingLeft() || !codeNext(job, lock)) break;
  }
  --running_;
  changed_.notify_one();
}

bool Batch::codeNext(std::size_t job, std::unique_lock<std::mutex>& lock) {
  const std::size_t i = next_++;
  states_[i].state = State::Coding;
  ++inUse_;
  ++coding_;
  const Entry& entry = files_[i];
  const std::string shown = path(i);
  const JobFolder kept = keptFolder(job, i);
  lock.unlock();
  // A walked file is opened by its name in its folder, a named one by its path.
  const fs::path file = PathOf(entry.name);
  std::shared_ptr<const codec::Folder> folder =
      entry.folder == kNoFolder ? (kept.folder ? kept.folder : OpenFolderOf(file)) : reach(kept, entry.folder);
  // Called before each block: roughly how far the file is.
  const auto progress = [&](std::uint64_t about) {
    if (SignalPending() || stop_) throw Stopped{};
    partial_[job].store(about, std::memory_order_relaxed);
  };
  Coded c;
  if (folder || entry.folder == kNoFolder) {
    c = CodeOne(mode_, shown, file, folder, entry.folder == kNoFolder || entry.link, cwd_,
                TagTail(entry, shown, list_.folders), password_, options_, progress);
  } else {
    c.state = {State::Failed, Quoted(shown) + ": " + std::string(Text(Msg::FolderMoved))};
  }
  const std::uint64_t scope = c.file ? c.file->flushScope() : 0;
  bytesFinished_ += c.size;
  partial_[job].store(0, std::memory_order_relaxed);
  lock.lock();
  if (folder) folders_[job] = {entry.folder, std::move(folder)};
  return settle(i, std::move(c), scope);
}

JobFolder Batch::keptFolder(std::size_t job, std::size_t i) const {
  const Entry& entry = files_[i];
  if (entry.folder != kNoFolder) {
    for (const auto& f : folders_) {
      if (f.folder && f.node == entry.folder) return f;
    }
    return folders_[job];
  }
  const fs::path file = PathOf(entry.name);
  if (file.filename().empty()) return {};  // "name/"
  const fs::path parent = file.parent_path();
  JobFolder kept;
  for (const auto& f : folders_) {
    if (f.folder && f.node == kNoFolder && f.folder->path().native() == parent.native()) kept = f;
  }
  return kept;
}

std::shared_ptr<const codec::Folder> Batch::reach(const JobFolder& from, std::size_t node) const {
  if (from.folder && from.node == node) return from.folder;
  if (from.folder && from.node != kNoFolder) {
    if (auto folder = reachFrom(from.folder, from.node, node)) return folder;
  }
  // Else from the top: the folder named by the user, opened again by its
  // name as the walk opened it.
  std::size_t top = node;
  while (list_.folders[top].parent != kNoFolder) top = list_.folders[top].parent;
  std::shared_ptr<const codec::Folder> folder;
  try {
    folder = std::make_shared<const codec::Folder>(PathOf(list_.folders[top].name));
  } catch (const codec::CodecError&) {
    return nullptr;
  }
  const auto& id = list_.folders[top].id;
  if (!id || FolderId{folder->device(), folder->fileId()} != *id) return nullptr;
  return reachFrom(std::move(folder), top, node);
}

std::shared_ptr<const codec::Folder> Batch::reachFrom(std::shared_ptr<const codec::Folder> at, std::size_t from,
                                                      std::size_t to) const {
  const auto& folders = list_.folders;
  // Up to the folder both are in, noting the way down from there.
  std::size_t up = 0;
  std::vector<std::size_t> down;
  std::size_t a = from, b = to;
  while (a != b) {
    if (a == kNoFolder || b == kNoFolder) return nullptr;  // in different trees
    if (folders[a].depth >= folders[b].depth) {
      a = folders[a].parent;
      ++up;
    } else {
      down.push_back(b);
      b = folders[b].parent;
    }
  }
  const auto step = [&](const fs::path& name, std::size_t node) {
    try {
      at = std::make_shared<const codec::Folder>(*at, name);
    } catch (const codec::CodecError&) {
      return false;
    }
    return folders[node].id && FolderId{at->device(), at->fileId()} == *folders[node].id;
  };
  for (std::size_t k = 0, n = from; k < up; ++k) {
    n = folders[n].parent;
    if (!step("..", n)) return nullptr;
  }
  for (auto n = down.rbegin(); n != down.rend(); ++n) {
    if (!step(PathOf(folders[*n].name), *n)) return nullptr;
  }
  return at;
}

std::string Batch::nameKey(std::size_t i, const std::string& target) const {
  const std::size_t folder = files_[i].folder;
  return folder == kNoFolder ? Beside(files_[i].name, PathOf(target)) : std::to_string(folder) + "/" + target;
}

bool Batch::settle(std::size_t i, Coded c, std::uint64_t scope) {
  --coding_;
  if (c.targetTaken) c.state.line += takenBy(nameKey(i, c.targetName), {});
  if (c.stopped) {
    --inUse_;
    return false;
  }
  ++finished_;
  if (c.file) {
    pending_.push_back({i, c.targetName, scope, c.size, std::move(c.file)});
    pendingBytes_ += c.size;
  } else {
    --inUse_;
    slotFree_.notify_one();
  }
  states_[i] = std::move(c.state);
  // The program's thread looks every tick anyway; it is woken early only
  // when a group may be due (this job going on to the next file keeps
  // coding).
  const bool goingOn = !stop_ && next_ < files_.size() && inUse_ < slots_;
  if ((coding_ == 0 && !goingOn) || pending_.size() >= flushAt_ || pendingBytes_ >= kGroupBytes ||
      inUse_ + jobs_ > slots_) {
    changed_.notify_one();
  }
  return true;
}

// Hands the pending files before `upTo`, and the names given since the last
// flush, to a flush of every file system written to, beside this thread.
void Batch::startFlush(std::unique_lock<std::mutex>& lock, std::size_t upTo) {
  flush_ = {};
  std::vector<Pending> later;
  for (auto& p : pending_) (p.index < upTo ? flush_.files : later).push_back(std::move(p));
  pending_ = std::move(later);
  pendingBytes_ = 0;
  for (const auto& p : pending_) pendingBytes_ += p.bytes;
  flush_.names = std::move(named_);
  named_.clear();
  flush_.running = true;
  // One handle per scope; without one the flush of that scope fails, and
  // so do its files.
  std::vector<std::pair<std::uint64_t, std::shared_ptr<const codec::FlushHandle>>> handles;
  std::vector<std::pair<std::uint64_t, int>> refused;
  for (const auto& p : flush_.files) {
    const auto same = [&](const auto& h) { return h.first == p.scope; };
    if (std::any_of(handles.begin(), handles.end(), same) || std::any_of(refused.begin(), refused.end(), same))
      continue;
    try {
      handles.emplace_back(p.scope, std::make_shared<const codec::FlushHandle>(*p.file));
    } catch (const codec::CodecError& e) {
      refused.emplace_back(p.scope, e.errnum() != 0 ? e.errnum() : EIO);
    }
  }
  // Each folder once, however many handles of it the jobs opened.
  std::unordered_map<std::string, std::shared_ptr<const codec::Folder>> folders;
  for (const Name& n : flush_.names) folders.emplace(FolderKey(*n.folder), n.folder);
  lock.unlock();
  if (flusher_.joinable()) flusher_.join();
  const auto flush = [this, handles, refused, folders] {
    std::vector<std::pair<std::uint64_t, int>> results = refused;
    for (const auto& [scope, handle] : handles) results.emplace_back(scope, FlushApart(*handle));
    // The names were given before the file systems were flushed: a folder
    // on one flushed without error needs nothing more.
    std::unordered_map<std::string, int> folderResults;
    for (const auto& [key, folder] : folders) {
      const auto covered = [&](const auto& r) { return r.first == folder->device() && r.second == 0; };
      const bool done = std::any_of(results.begin(), results.end(), covered);
      folderResults.emplace(key, done ? 0 : folder->sync());
    }
    std::lock_guard guard(m_);
    flush_.results = std::move(results);
    flush_.folderResults = std::move(folderResults);
    flush_.ended = true;
    changed_.notify_one();
  };
  try {
    flusher_ = std::thread(flush);
  } catch (const std::system_error&) {
    flush();  // no thread to be had (ulimit -u): the flush is waited for here
  }
  lock.lock();
}

// After a flush: the names it made durable are final, and the files whose
// data it made durable are named, in their order.
void Batch::nameGroup(std::unique_lock<std::mutex>& lock) {
  for (const Name& n : flush_.names) {
    const auto result = flush_.folderResults.find(FolderKey(*n.folder));
    states_[n.index] =
        Durable(path(n.index), states_[n.index], result != flush_.folderResults.end() ? result->second : 0);
  }
  std::vector<Pending> group = std::move(flush_.files);
  const auto results = std::move(flush_.results);
  flush_ = {};
  lock.unlock();
  std::sort(group.begin(), group.end(), [](const Pending& a, const Pending& b) { return a.index < b.index; });
  std::vector<FileState> named(group.size(), {State::Failed, {}});
  std::vector<std::shared_ptr<const codec::Folder>> folders(group.size());
  // Names given in this group, until they join the run's under the lock.
  std::unordered_map<std::string, std::size_t> givenNow;
  for (std::size_t k = 0; k < group.size(); ++k) {
    Pending& p = group[k];
    FileState& o = named[k];
    int error = 0;
    for (const auto& [scope, result] : results) {
      if (scope == p.scope) error = result;
    }
    try {
      if (error != 0) throw codec::CodecError(codec::ErrorKind::WriteTarget, PathOf(p.target), error);
      folders[k] = p.file->folder();
      p.file->commit(/*flushFolder=*/false);
      o.state = State::Named;
      o.line = p.target;
      givenNow.emplace(nameKey(p.index, p.target), p.index);
    } catch (const codec::CodecError& e) {
      // Told about the target as printed.
      const fs::path target = PathOf(Beside(path(p.index), PathOf(p.target)));
      o.line = FailureLine(PathOf(path(p.index)), target, codec::CodecError(e.kind(), target, e.errnum()));
      if (e.kind() == codec::ErrorKind::TargetExists) o.line += takenBy(nameKey(p.index, p.target), givenNow);
    }
    p.file.reset();
  }
  lock.lock();
  given_.merge(givenNow);
  for (std::size_t k = 0; k < group.size(); ++k) {
    const std::size_t i = group[k].index;
    if (named[k].state == State::Named) named_.push_back({i, std::move(folders[k])});
    states_[i] = std::move(named[k]);
  }
  inUse_ -= group.size();
  slotFree_.notify_all();
}

// Two files of this run that want one name: the line of the second names
// the first too. Only the program's thread adds names, under the lock.
std::string Batch::takenBy(const std::string& key, const std::unordered_map<std::string, std::size_t>& more) const {
  for (const auto* names : {&given_, &more}) {
    const auto first = names->find(key);
    if (first != names->end()) {
      return " (" + std::string(Text(Msg::TargetOf)) + " " + Quoted(path(first->second)) + ")";
    }
  }
  return {};
}

void Batch::printUpTo(std::size_t end) {
  for (; printed_ < end; ++printed_) {
    // A file done in a quiet run prints nothing: its path is not made.
    const bool silent = options_.quiet && mode_ != BatchMode::Check && states_[printed_].state == State::Done;
    if (!silent) Print(path(printed_), states_[printed_], mode_, options_.quiet);
    std::string().swap(states_[printed_].line);  // only its outcome is counted from here on
  }
  FlushOut();
}

std::uint64_t Batch::bytesDone() const {
  std::uint64_t done = bytesFinished_;
  for (std::size_t j = 0; j < jobs_; ++j) done += partial_[j].load(std::memory_order_relaxed);
  return done;
}

void Batch::stopAndJoin() {
  {
    std::lock_guard guard(m_);
    stop_ = true;
  }
  slotFree_.notify_all();
  for (auto& w : workers_) {
    if (w.joinable()) w.join();
  }
  if (flusher_.joinable()) flusher_.join();
}

int Batch::run() {
  const bool withBar = !options_.quiet && mode_ != BatchMode::Check && StderrIsTerminal();
  RunBar bar(files_.size(), withBar ? totalBytes() : 0, withBar);
  PassMonitor monitor("", /*showBar=*/false);
  startJobs();
  auto lastDraw = std::chrono::steady_clock::now() - kTick;
  try {
    std::unique_lock lock(m_);
    for (;;) {
      if (alone_ && running_ > 0 && (stop_ || nothingLeft() || inUse_ < slots_)) {
        if (stop_ || nothingLeft() || !codeNext(0, lock)) running_ = 0;
      } else {
        changed_.wait_for(lock, kTick);
      }
      monitor.checkpoint();  // throws Interrupted after a signal
      if (flush_.ended) nameGroup(lock);
      startDueFlush(lock);
      const std::size_t printable = printableEnd();
      const bool ended = running_ == 0 && pending_.empty() && !flush_.running && named_.empty();
      const std::size_t finished = finished_;
      lock.unlock();
      const bool lines = printable > printed_;
      if (lines) {
        bar.clear();
        printUpTo(printable);
      }
      const auto now = std::chrono::steady_clock::now();
      if (!ended && (lines || now - lastDraw >= kTick)) {
        bar.draw(finished, bytesDone());
        lastDraw = now;
      }
      lock.lock();
      if (ended) break;
    }
  } catch (const Interrupted& i) {
    endInterrupted(bar, i.signal);
  }
  stopAndJoin();
  bar.finish();
  return summarize();
}

// What the bar counts up to: the sizes of the files to code, as they are
// now.
std::uint64_t Batch::totalBytes() const {
  std::uint64_t total = 0;
  for (const auto& f : files_) {
    if (f.kind != Entry::File) continue;
    if (const auto size = RegularFileSize(list_.pathOf(f))) total += *size;
  }
  return total;
}

// Fewer jobs where the system gives fewer threads (ulimit -u); none, and
// the program's thread codes the files itself between its other duties.
void Batch::startJobs() {
  for (std::size_t j = 0; j < jobs_; ++j) {
    try {
      std::lock_guard guard(m_);
      workers_.emplace_back([this, j] { work(j); });
      ++running_;
    } catch (const std::system_error&) {
      break;
    }
  }
  if (workers_.empty()) {
    alone_ = true;
    running_ = 1;
  }
}

// Starts the flush of a group where one is due and none is running.
void Batch::startDueFlush(std::unique_lock<std::mutex>& lock) {
  // Only files all of whose predecessors are done or failed are named,
  // so that the names given always stand for a run of files in order:
  // an interruption leaves no named file without its line.
  while (frontier_ < files_.size() && states_[frontier_].state > State::Coding) ++frontier_;
  std::size_t ready = 0;
  for (const auto& p : pending_) {
    if (p.index < frontier_) ++ready;
  }
  const bool dataDue =
      ready > 0 && (coding_ == 0 || ready >= flushAt_ || pendingBytes_ >= kGroupBytes || inUse_ + jobs_ > slots_);
  // Names are made durable by the next group's flush, which covers their
  // folders where they are on its file systems; where no group is on
  // its way, by a flush of their folders alone, which takes no data with
  // it so that groups stay large.
  const bool namesDue = !named_.empty() && ready == 0;
  if (!flush_.running && (dataDue || namesDue)) startFlush(lock, dataDue ? frontier_ : 0);
}

// The end of the files whose lines may be printed: those final in a row
// from the first not yet printed.
std::size_t Batch::printableEnd() const {
  std::size_t end = printed_;
  while (end < files_.size() && IsFinal(states_[end].state)) ++end;
  return end;
}

// After a signal: the jobs stop, unnamed files go, named ones are listed
// once their folders are flushed, and the program ends of the signal.
void Batch::endInterrupted(RunBar& bar, int signal) {
  {
    std::lock_guard guard(m_);
    stop_ = true;
  }
  slotFree_.notify_all();
  for (auto& w : workers_) w.join();
  workers_.clear();
  if (flusher_.joinable()) flusher_.detach();  // its flush goes on in a process of its own
  std::size_t printable = printed_;
  {
    std::lock_guard guard(m_);
    pending_.clear();  // unnamed: nothing of them stays
    flush_.files.clear();
    // Named files are complete: once their folders are flushed, they are
    // listed too.
    for (const auto* names : {&named_, &flush_.names}) {
      for (const Name& n : *names) {
        states_[n.index] = Durable(path(n.index), states_[n.index], n.folder->sync());
      }
    }
    printable = printableEnd();
  }
  bar.clear();
  printUpTo(printable);
  std::fprintf(stderr, "tambril-cli: %s\n", Text(Msg::RunInterrupted).data());
  DieOfSignal(signal);
}

// The summary line, unless quiet, and the run's exit status.
int Batch::summarize() const {
  RunCounts counts;
  for (const auto& o : states_) {
    if (const auto outcome = OutcomeOf(o.state)) counts.record(*outcome);
  }
  if (!options_.quiet) WriteOut(counts.summary(mode_));
  return counts.exitStatus();
}

}  // namespace

unsigned DefaultJobs() { return ProcessorCount(); }

std::string FileList::pathOfFolder(std::size_t folder) const {
  std::vector<std::size_t> chain;
  for (std::size_t f = folder; f != kNoFolder; f = folders[f].parent) chain.push_back(f);
  const std::string_view separator = PathSeparator();
  std::string path;
  for (auto f = chain.rbegin(); f != chain.rend(); ++f) {
    if (!path.empty() && !path.ends_with('/') && !path.ends_with(separator)) path += separator;
    path += folders[*f].name;
  }
  return path;
}

std::string FileList::pathOf(const Entry& entry) const {
  if (entry.folder == kNoFolder) return entry.name;
  std::string path = pathOfFolder(entry.folder);
  if (entry.name.empty()) return path;
  if (!path.ends_with('/') && !path.ends_with(PathSeparator())) path += PathSeparator();
  return path + entry.name;
}

FileList CollectFiles(const std::vector<std::string>& operands, bool recursive, bool encodedOnly, bool ageToo) {
  FileList files;
  for (const auto& op : operands) {
    if (recursive && IsFolder(op)) {
      std::string error;
      if (auto folder = WalkFolder::Open(op, error)) {
        // Half the open files there are at most: the run needs the rest.
        const std::size_t room = OpenFileRoom(2 * kMostWalkHandles + kOwnFiles);
        TreeWalk(encodedOnly, std::min(kMostWalkHandles, room / 2), files, ageToo).run(std::move(folder), op);
      } else {
        files.entries.push_back(
            {Entry::Unreadable, kNoFolder, op, std::string(Text(Msg::CannotOpenFolder)) + ": " + error});
      }
    } else {
      files.entries.push_back({Entry::File, kNoFolder, op, {}});
    }
  }
  return files;
}

BatchOptions::~BatchOptions() { age::Wipe(passphrase); }

int RunBatch(BatchMode mode, const FileList& files, const std::string& password, const BatchOptions& options) {
  Batch batch(mode, files, password, options);
  return batch.run();
}

}  // namespace tambril::cli
