#pragma once
// The two files of a pass: the input, read at explicit positions, and the
// target. The target is written as a file without a name in its folder,
// flushed to disk and only then given its name, never replacing anything.
// Until then no entry of any kind stands for it, so a pass that fails half
// way, is killed or loses power leaves nothing behind: the system drops an
// unnamed file by itself. Where a file system cannot make unnamed files the
// target is written under a short hidden name instead, which is removed on
// every way out the program still controls. On Windows, which has no
// unnamed files, the hidden file is marked to be deleted by the system when
// its handle closes, until it is named.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tambril::codec {

enum class ErrorKind {
  OpenSource,      // the input cannot be opened
  NotRegularFile,  // the input is a folder, a pipe, a device or a socket
  ReadSource,      // reading the input failed
  SourceChanged,   // the input grew, shrank or was rewritten while a pass read it
  TargetExists,    // a file of the target's name is already there
  CreateTarget,    // the target's folder refuses the new file
  WriteTarget,     // writing, flushing or naming the target failed (disk full ...)
  NotEncoded,      // the encoded file is shorter than its header
  NotChecked,      // a decode without a successful password check
  UnknownLength,   // the input says it is empty but has content (as files of /proc do)
  Damaged,         // an authenticated file that is malformed, cut or changed
  MadeForKey,      // an age file made for a key, which no password opens
};

// The system's reason for an error number, as a user reads it.
std::string SystemErrorText(int errnum);

// Makes a write past the file size limit (ulimit -f) fail with EFBIG, like
// a full disk, instead of ending the process (SIGXFSZ); a handler the
// program installed itself stays. Nothing to do on Windows, which has no
// such limit. Opening a Folder does it too.
void IgnoreFileSizeSignal();

// An open file or folder of the system, closed when it goes: a descriptor
// on POSIX systems, a HANDLE on Windows.
class SystemHandle {
 public:
#ifdef _WIN32
  using Native = void*;
  static constexpr Native kNone = nullptr;
#else
  using Native = int;
  static constexpr Native kNone = -1;
#endif
  SystemHandle() = default;
  explicit SystemHandle(Native h) : h_(h) {}
  ~SystemHandle() { reset(); }
  SystemHandle(SystemHandle&& other) noexcept : h_(other.release()) {}
  SystemHandle& operator=(SystemHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Native get() const { return h_; }
  explicit operator bool() const { return h_ != kNone; }
  Native release() noexcept {
    const Native h = h_;
    h_ = kNone;
    return h;
  }
  // Closes the handle held (if any) and holds `h`.
  void reset(Native h = kNone) noexcept {
    close();
    h_ = h;
  }
  // Closes the handle; 0 or the system's error number, which some network
  // file systems use to report failed writes.
  int close() noexcept;

 private:
  Native h_ = kNone;
};

class CodecError : public std::runtime_error {
 public:
  CodecError(ErrorKind kind, std::filesystem::path path, int errnum = 0);
  ErrorKind kind() const { return kind_; }
  const std::filesystem::path& path() const { return path_; }
  // The system's error number, 0 when there is none (EISDIR for a folder
  // given as input).
  int errnum() const { return errnum_; }

 private:
  ErrorKind kind_;
  std::filesystem::path path_;
  int errnum_;
};

// An open folder that many files are read from and made in, so that its
// path is looked up once and not for every file. The files made through it
// go into this very folder even if its path names another one meanwhile,
// and so do the inputs opened through it: a file and its coded copy stay
// together. Shared by the files made in it and by several threads. Opening
// one also makes writes past the file size limit fail (EFBIG) instead of
// ending the process. The umask is taken not to change while it is open.
class Folder {
 public:
  // Opens `folder` ("" is the current one). A folder that may be written
  // but not listed is still usable, through a handle that cannot be
  // flushed. Throws CreateTarget about `folder` when it cannot be opened.
  explicit Folder(const std::filesystem::path& folder);
  // The folder `name` in `parent`, itself and never a link to one (nor, on
  // Windows, a junction); ".." for the folder `parent` is in. Throws
  // CreateTarget about the folder's path when it cannot be opened.
  Folder(const Folder& parent, const std::filesystem::path& name);
  ~Folder();
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  // The path it was opened by; for one opened in another folder, on POSIX
  // systems the name it was opened by there.
  const std::filesystem::path& path() const { return path_; }
  // The file system the folder is on.
  std::uint64_t device() const { return device_; }
  // Which folder of its file system it is: its inode, on Windows its file id.
  std::uint64_t fileId() const { return fileId_; }
  // Flushes the folder's entries to disk: 0 or the system's error number.
  // A folder whose handle cannot be flushed (one that may be written but not
  // listed) is made durable with its whole file system.
  int sync() const noexcept;

  // What a new file made with `permissions` ends up with here (the umask or
  // the folder's default access list applied), once a first one has shown.
  bool knownMode(unsigned permissions, unsigned& finalMode) const;
  void learnMode(unsigned permissions, unsigned finalMode) const;

 private:
  friend class InputFile;
  friend class TargetFile;
  std::filesystem::path path_;
  SystemHandle handle_;
  bool syncable_ = false;
  std::uint64_t device_ = 0;
  std::uint64_t fileId_ = 0;
  mutable std::mutex modesMutex_;
  mutable std::vector<std::pair<unsigned, unsigned>> modes_;
};

// What tells that a file was changed or replaced: its length, the time of
// its last write, the time its record last changed (any write, whatever the
// time of last write was set back to, a change of permissions or links; both
// in nanoseconds, as fine as the system keeps them), and which file it is
// (device and inode; on Windows volume and file id).
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t changed = 0;
  std::int64_t statusChanged = 0;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileStamp&) const = default;
};

// The stamp of the file `path` names now, links followed as opening follows
// them; throws OpenSource when there is none.
FileStamp StampOf(const std::filesystem::path& path);

// A regular file opened for reading at explicit positions. Opening never
// waits: a pipe, a device, a socket or a folder (links followed) is refused
// with NotRegularFile before anything is read from it. A file that says it
// is empty but gives bytes all the same, as files of /proc and /sys do, is
// refused with UnknownLength: every user of a file goes by the length it
// says (a pass codes that many bytes, the viewer shows them), so it would
// be coded, checked or shown as empty. Several threads may read through
// one handle.
class InputFile {
 public:
  explicit InputFile(const std::filesystem::path& path);
  // The same for a file of `folder`: `path`'s last part is opened in it;
  // without `followLink`, a link there is refused (OpenSource) instead of
  // followed.
  InputFile(const Folder& folder, const std::filesystem::path& path, bool followLink = true);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The length of the open file in bytes.
  std::uint64_t size() const;
  // Its length and time of last change now; throws ReadSource.
  FileStamp stamp() const;
  // Its length when it was opened, without asking the system again.
  std::uint64_t sizeAtOpen() const { return sizeAtOpen_; }
  // The permission bits (rwx for owner, group and others) of the file; on
  // Windows 0444 for a read-only file, else 0666.
  unsigned permissions() const { return permissions_; }
  // Reads up to n bytes at offset; returns how many were read (0 at the end).
  std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t n) const;
  // Reads exactly n bytes at offset or throws SourceChanged; a read that
  // ends early is tried again before the file is taken as changed.
  void readExactly(std::uint64_t offset, void* buffer, std::size_t n) const;
  // Tells the system that the file will be read from start to end (not
  // worth a call for a file that one read takes in).
  void adviseSequential() const;

 private:
  // Opens `name`, in `folder` where one is given.
  // Throws UnknownLength for a file that said 0 bytes but has some.
  void requireKnownLength() const;
  void open(const Folder* folder, const std::filesystem::path& name, bool followLink);
  std::filesystem::path path_;
  SystemHandle handle_;
  unsigned permissions_ = 0;
  std::uint64_t sizeAtOpen_ = 0;
};

// A buffer for the blocks a pass reads and writes. Its start is aligned
// to a page: the system copies a file's data into a buffer that starts
// unaligned (as one from the heap does) several times slower.
struct FreeBlockBuffer {
  void operator()(std::uint8_t* p) const noexcept;
};
using BlockBuffer = std::unique_ptr<std::uint8_t[], FreeBlockBuffer>;
BlockBuffer MakeBlockBuffer(std::size_t n);
constexpr std::size_t kBlockBufferAlignment = 4096;

// Whether anything stands under `path`, a dangling link included: a name
// a target file can never take. Nothing where the system cannot tell (a
// folder that may not be searched); nothing stands in a missing folder.
std::optional<bool> EntryStands(const std::filesystem::path& path);
// The same, "cannot tell" taken as "no": the pass itself will say why.
bool EntryExists(const std::filesystem::path& path);

class TargetFile;

// What makes files written unflushed durable, for a caller that makes many
// durable at once: where the system flushes a whole file system in one
// call (POSIX systems), a handle on the file system of a file, flushed once
// for all its files; where it flushes only files (Windows flushes a volume
// only for administrators), a handle on the file itself.
class FlushHandle {
 public:
  // Throws WriteTarget about the file's target when no handle can be had.
  explicit FlushHandle(const TargetFile& file);
  // 0 or the system's error number. Allocates nothing, so that it may run
  // in a child process of a program with threads.
  int flush() const noexcept;

 private:
  SystemHandle handle_;
};

class TargetFile {
 public:
  static constexpr std::uint64_t kWriteBehindStretch = std::uint64_t{4} << 20;
  static constexpr std::uint64_t kWriteBehindAhead = 16;

  // How the file is kept until it is complete.
  enum class Unfinished {
    Unnamed,     // without a name where the file system allows it, else hidden
    HiddenName,  // always under a short hidden name (what file systems
                 // without unnamed files get)
  };

  // Makes the unfinished file in the folder of `target`, readable and
  // writable by its owner only. The finished file gets `permissions` less
  // the umask, as a copy gets its source's. Fails with TargetExists when the
  // name is taken, CreateTarget when the folder refuses the new file.
  // Creating the first target also makes writes past the file size limit
  // fail (EFBIG) instead of ending the process.
  explicit TargetFile(const std::filesystem::path& target, unsigned permissions = 0666,
                      Unfinished unfinished = Unfinished::Unnamed);
  // The same in an open folder, shared with other files: `target`'s last
  // part is the name in `folder`. The final permissions are learnt once per
  // folder and permissions, from an empty file made for the purpose; the
  // file itself is never wider than the owner's until it is finished.
  TargetFile(std::shared_ptr<const Folder> folder, const std::filesystem::path& target, unsigned permissions = 0666,
             Unfinished unfinished = Unfinished::Unnamed);
  // Drops the unfinished file unless commit() succeeded.
  ~TargetFile();
  TargetFile(const TargetFile&) = delete;
  TargetFile& operator=(const TargetFile&) = delete;

  // Appends n bytes. On Linux the system is told to start writing each
  // finished stretch of kWriteBehindStretch bytes to disk at once, and the
  // writer waits for the stretch kWriteBehindAhead stretches back to be on
  // disk: the data not yet on disk stays bounded and the final flush finds
  // little left to do. Where the system refuses that, the data is written
  // as by any plain write (as it always is on Windows). A failure to write
  // back a stretch fails the write like any other (WriteTarget).
  void write(const void* data, std::size_t n);
  // Reads up to n bytes of what was written, at offset; how many were read
  // (0 at the end). Throws WriteTarget when the file cannot be read back.
  // For reading a file back once it is written: no write may follow.
  std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t n) const;
  // Flushes the content to disk and gives the file its permissions; still
  // without its name. commit() does it when it has not been done.
  void flush();
  // Gives the file its permissions without flushing it, for a caller that
  // makes many files durable at once (FlushHandle) before committing.
  void finishUnflushed();
  // Gives the flushed file its name (never replacing: TargetExists if the
  // name was taken meanwhile) and flushes the folder unless told not to (a
  // caller that names many files flushes each folder once afterwards). A
  // folder that cannot be flushed fails with WriteTarget, the name given.
  void commit(bool flushFolder = true);
  // The open file, unfinished.
  SystemHandle::Native handle() const { return handle_.get(); }
  // The folder the file is named in (null once it is named).
  const std::shared_ptr<const Folder>& folder() const { return folder_; }
  // What a FlushHandle of it covers: files of one scope need one flush.
  std::uint64_t flushScope() const { return scope_; }
  // The hidden name of the unfinished file, empty while it has no name.
  const std::filesystem::path& temporaryPath() const { return temp_; }

 private:
  friend class FlushHandle;
  void create(unsigned permissions, Unfinished unfinished);
  void giveFinalMode();
  // Starts writing back the stretch that ends at written_ and waits for an
  // older one.
  void writeBehind();
  void discard() noexcept;
  std::filesystem::path target_;
  std::string name_;  // the target's name in its folder
  std::filesystem::path temp_;
  std::shared_ptr<const Folder> folder_;  // the target's folder, which the names are relative to
  SystemHandle handle_;
  std::uint64_t scope_ = 0;  // what a FlushHandle of it covers
  unsigned finalMode_ = 0600;
  bool modeLeft_ = false;      // the file is narrower than finalMode_ until finished
  std::uint64_t written_ = 0;  // bytes written so far
  bool writeBehindRefused_ = false;
  bool flushed_ = false;
  bool committed_ = false;
};

}  // namespace tambril::codec
