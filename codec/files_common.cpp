// The parts of the file layer that are the same on every system.
#include <cerrno>
#include <new>

#include "files.h"

namespace tambril::codec {
namespace fs = std::filesystem;

void FreeBlockBuffer::operator()(std::uint8_t* p) const noexcept {
  ::operator delete[](p, std::align_val_t{kBlockBufferAlignment});
}

BlockBuffer MakeBlockBuffer(std::size_t n) {
  return BlockBuffer(static_cast<std::uint8_t*>(::operator new[](n, std::align_val_t{kBlockBufferAlignment})));
}

namespace {

std::string Describe(ErrorKind kind, const fs::path& path, int errnum) {
  const char* what = "";
  switch (kind) {
    case ErrorKind::OpenSource:
      what = "cannot open";
      break;
    case ErrorKind::NotRegularFile:
      what = "not a regular file";
      break;
    case ErrorKind::ReadSource:
      what = "cannot read";
      break;
    case ErrorKind::SourceChanged:
      what = "changed while it was read";
      break;
    case ErrorKind::TargetExists:
      what = "file exists already";
      break;
    case ErrorKind::CreateTarget:
      what = "cannot create";
      break;
    case ErrorKind::WriteTarget:
      what = "cannot write";
      break;
    case ErrorKind::NotEncoded:
      what = "too short for an encoded file";
      break;
    case ErrorKind::NotChecked:
      what = "password was not checked";
      break;
    case ErrorKind::UnknownLength:
      what = "its length is not known in advance (0 bytes said, more there)";
      break;
    case ErrorKind::Damaged:
      what = "damaged or changed";
      break;
    case ErrorKind::MadeForKey:
      what = "made for a key, not a password";
      break;
  }
  const std::u8string name = path.u8string();
  std::string s(name.begin(), name.end());
  s += std::string(": ") + what;
  if (errnum != 0) s += ": " + SystemErrorText(errnum);
  return s;
}

// The target's own folder, opened for it alone; a failure is the target's.
std::shared_ptr<const Folder> OpenFolderOf(const fs::path& target) {
  if (target.filename().empty()) throw CodecError(ErrorKind::CreateTarget, target, EISDIR);
  try {
    return std::make_shared<const Folder>(target.parent_path());
  } catch (const CodecError& e) {
    throw CodecError(ErrorKind::CreateTarget, target, e.errnum());
  }
}

}  // namespace

CodecError::CodecError(ErrorKind kind, fs::path path, int errnum)
    : std::runtime_error(Describe(kind, path, errnum)), kind_(kind), path_(std::move(path)), errnum_(errnum) {}

bool Folder::knownMode(unsigned permissions, unsigned& finalMode) const {
  std::lock_guard guard(modesMutex_);
  for (const auto& [p, f] : modes_) {
    if (p == permissions) {
      finalMode = f;
      return true;
    }
  }
  return false;
}

void Folder::learnMode(unsigned permissions, unsigned finalMode) const {
  unsigned known;
  if (knownMode(permissions, known)) return;
  std::lock_guard guard(modesMutex_);
  modes_.emplace_back(permissions, finalMode);
}

InputFile::InputFile(const fs::path& path) : path_(path) {
  open(nullptr, path, true);
  requireKnownLength();
}

InputFile::InputFile(const Folder& folder, const fs::path& path, bool followLink) : path_(path) {
  open(&folder, path.filename(), followLink);
  requireKnownLength();
}

void InputFile::readExactly(std::uint64_t offset, void* buffer, std::size_t n) const {
  // A read may end early without the file having changed (a network file
  // system, a signal): what is missing is asked for again, twice.
  auto* p = static_cast<char*>(buffer);
  std::size_t done = 0;
  for (int attempt = 0; attempt < 3 && done < n; ++attempt) done += readAt(offset + done, p + done, n - done);
  if (done != n) throw CodecError(ErrorKind::SourceChanged, path_);
}

bool EntryExists(const fs::path& path) { return EntryStands(path).value_or(false); }

void InputFile::requireKnownLength() const {
  char byte;
  if (sizeAtOpen_ == 0 && readAt(0, &byte, 1) > 0) throw CodecError(ErrorKind::UnknownLength, path_);
}

TargetFile::TargetFile(const fs::path& target, unsigned permissions, Unfinished unfinished)
    : TargetFile(OpenFolderOf(target), target, permissions, unfinished) {}

TargetFile::~TargetFile() { discard(); }

}  // namespace tambril::codec
