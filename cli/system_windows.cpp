// What tambril-cli asks of Windows. Text inside the program is UTF-8; it
// meets the system as UTF-16 through the wide ("W") API: the arguments, the
// paths, the console.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <bit>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <thread>

#include "cli/messages.h"
#include "cli/system.h"
#include "cli/terminal.h"
#include "codec/files_windows.h"

namespace tambril::cli {
namespace fs = std::filesystem;

namespace {

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::string LastErrorText() { return SystemReason(codec::ErrnoOf(::GetLastError())); }

bool IsConsole(DWORD which) {
  DWORD mode;
  return ::GetConsoleMode(::GetStdHandle(which), &mode) != 0;
}

// What the file at `path` is, links followed; false where it cannot be
// opened.
bool InfoOf(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  const HANDLE h = ::CreateFileW(codec::LongPath(PathOf(path)).c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool known = ::GetFileInformationByHandle(h, &info) != 0;
  ::CloseHandle(h);
  return known;
}

// The console's input mode while a password is typed, restored by the
// handler of Ctrl-C too.
HANDLE g_echoConsole = nullptr;
DWORD g_savedMode = 0;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (g_echoConsole) ::SetConsoleMode(g_echoConsole, g_savedMode);
  const int signal = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? SIGINT : SIGTERM;
  // Ctrl-C during a pass: noted; the pass stops at its next block and the
  // program ends then. Otherwise (and for the console's closing, which ends
  // the program when the handler returns) the system's own handling; an
  // unfinished target is deleted by the system with its handle anyway.
  return NoteSignalInPass(signal) && signal == SIGINT ? TRUE : FALSE;
}

}  // namespace

std::vector<std::string> StartProgram(int, char**) {
  // Bytes in and out as they are (show writes text as it is, a password
  // line ends in CR LF or LF); the console shows UTF-8 and the bars'
  // escape sequences.
  // Standard output closed is given a handle that refuses writes (EBADF),
  // so that a result written there is a failure and not lost.
  for (int fd = 0; fd <= 2; ++fd) {
    if (::_get_osfhandle(fd) == -1) {
      const int opened = ::_open("NUL", fd == 2 ? _O_WRONLY : _O_RDONLY);
      if (opened >= 0 && opened != fd) {
        ::_dup2(opened, fd);
        ::_close(opened);
      }
    }
    ::_setmode(fd, _O_BINARY);
  }
  ::SetConsoleOutputCP(CP_UTF8);
  ::SetConsoleCP(CP_UTF8);
  for (const DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    DWORD mode;
    const HANDLE h = ::GetStdHandle(which);
    if (::GetConsoleMode(h, &mode)) ::SetConsoleMode(h, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  }
  std::vector<std::string> args;
  int count = 0;
  if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
    for (int i = 0; i < count; ++i) args.push_back(Utf8(wide[i]));
    ::LocalFree(wide);
  }
  return args;
}

fs::path PathOf(std::string_view text) { return fs::path(Wide(text)); }

std::string PathText(const fs::path& path) { return Utf8(path.native()); }

const char* UserLanguage() { return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_GERMAN ? "de" : "en"; }

bool StderrIsTerminal() { return IsConsole(STD_ERROR_HANDLE); }

unsigned ProcessorCount() {
  DWORD_PTR process = 0, system = 0;
  if (::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system) && process != 0) {
    return static_cast<unsigned>(std::popcount(static_cast<std::uint64_t>(process)));
  }
  return std::max(1u, std::thread::hardware_concurrency());
}

// Windows handles have no per-process limit worth the name.
std::size_t OpenFileRoom(std::size_t want) { return want; }

// A flush of one file: the Ctrl-C handler runs in a thread of its own, so
// the program can end while it runs.
int FlushApart(const codec::FlushHandle& handle) { return handle.flush(); }

std::optional<std::uint64_t> RegularFileSize(const std::string& path) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!InfoOf(path, info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  return (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
}

bool IsFolder(const std::string& path) {
  BY_HANDLE_FILE_INFORMATION info;
  return InfoOf(path, info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string_view PathSeparator() { return "\\"; }

struct WalkFolder::State {
  std::string path;  // UTF-8
  HANDLE find = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW first{};
};

WalkFolder::WalkFolder(std::unique_ptr<State> state) : state_(std::move(state)) {}

WalkFolder::~WalkFolder() {
  if (state_->find != INVALID_HANDLE_VALUE) ::FindClose(state_->find);
}

namespace {

// Starts listing the folder at once, so that a folder that cannot be read
// fails where it is opened, as on other systems.
std::unique_ptr<WalkFolder> StartListing(const std::string& path, std::string& error) {
  auto state = std::make_unique<WalkFolder::State>();
  state->path = path;
  state->find = ::FindFirstFileExW((codec::LongPath(PathOf(path)) + L"\\*").c_str(), FindExInfoBasic, &state->first,
                                   FindExSearchNameMatch, nullptr, 0);
  if (state->find == INVALID_HANDLE_VALUE) {
    error = LastErrorText();
    return nullptr;
  }
  return std::make_unique<WalkFolder>(std::move(state));
}

}  // namespace

std::unique_ptr<WalkFolder> WalkFolder::Open(const std::string& path, std::string& error) {
  return StartListing(path, error);
}

std::unique_ptr<WalkFolder> WalkFolder::openSub(const std::string& name, std::string& error) const {
  return StartListing(state_->path + "\\" + name, error);
}

std::unique_ptr<WalkFolder> WalkFolder::openParent(std::string& error) const {
  // openSub names a subfolder by its parent's path, a backslash and its name.
  const std::size_t cut = state_->path.rfind('\\');
  if (cut == std::string::npos) {
    error = SystemReason(ENOENT);
    return nullptr;
  }
  return StartListing(state_->path.substr(0, cut), error);
}

std::optional<FolderId> WalkFolder::id() const {
  BY_HANDLE_FILE_INFORMATION info;
  if (!InfoOf(state_->path, info)) return std::nullopt;
  return FolderId{info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

std::vector<FolderEntry> WalkFolder::entries(const std::function<bool(std::string_view)>& wanted, std::string& error) {
  std::vector<FolderEntry> out;
  WIN32_FIND_DATAW data = state_->first;
  for (bool more = true; more; more = ::FindNextFileW(state_->find, &data) != 0) {
    const std::string name = Utf8(data.cFileName);
    if (name == "." || name == "..") continue;
    const DWORD a = data.dwFileAttributes;
    const bool link = (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if ((a & FILE_ATTRIBUTE_DIRECTORY) && !link) {
      out.push_back({FolderEntry::Folder, name, {}});
      continue;
    }
    if (a & FILE_ATTRIBUTE_DIRECTORY) {
      out.push_back({FolderEntry::Skipped, name, std::string(Text(Msg::LinkToFolder))});
      continue;
    }
    if (!wanted(name)) continue;
    if (a & FILE_ATTRIBUTE_DEVICE) {
      out.push_back({FolderEntry::Skipped, name,
                     std::string(Text(Msg::NotRegularFile)) + " (" + std::string(Text(Msg::ADevice)) + ")"});
    } else if (BY_HANDLE_FILE_INFORMATION info; link && !InfoOf(state_->path + "\\" + name, info)) {
      out.push_back({FolderEntry::Unreadable, name, std::string(Text(Msg::LinkToNothing))});
    } else {
      out.push_back({FolderEntry::File, name, {}, link});
    }
  }
  if (::GetLastError() != ERROR_NO_MORE_FILES) error = LastErrorText();
  return out;
}

bool StdinIsTerminal() { return IsConsole(STD_INPUT_HANDLE); }

long ReadStandardInput(char* buffer, std::size_t n, std::string& error) {
  DWORD got = 0;
  if (!::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, static_cast<DWORD>(n), &got, nullptr)) {
    if (::GetLastError() == ERROR_BROKEN_PIPE) return 0;  // the writer has gone: the end of the input
    error = LastErrorText();
    return -1;
  }
  return static_cast<long>(got);
}

struct PasswordTerminal::State {
  HANDLE in = nullptr, out = nullptr;
  bool ownIn = false, ownOut = false;
  bool echoOff = false;
  std::string typed;  // read from the console, not yet taken
  std::size_t taken = 0;
};

PasswordTerminal::PasswordTerminal(std::unique_ptr<State> state) : state_(std::move(state)) {}

std::unique_ptr<PasswordTerminal> PasswordTerminal::Open(PasswordSource source, std::string& error) {
  auto state = std::make_unique<State>();
  if (source == PasswordSource::StandardInput) {
    state->in = ::GetStdHandle(STD_INPUT_HANDLE);
  } else {
    state->in = ::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    state->ownIn = state->in != INVALID_HANDLE_VALUE;
  }
  DWORD mode = 0;
  if (state->in == INVALID_HANDLE_VALUE || !::GetConsoleMode(state->in, &mode)) {
    if (state->ownIn) ::CloseHandle(state->in);
    error = Text(Msg::NoTerminal);
    return nullptr;
  }
  state->out = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  state->ownOut = state->out != INVALID_HANDLE_VALUE;
  if (!state->ownOut) state->out = ::GetStdHandle(STD_ERROR_HANDLE);
  // Echo goes off before the prompt appears; Ctrl-C still reaches the
  // handler, which turns it on again.
  g_savedMode = mode;
  g_echoConsole = state->in;
  const DWORD without = (mode & ~DWORD{ENABLE_ECHO_INPUT}) | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT;
  state->echoOff = ::SetConsoleMode(state->in, without) != 0;
  if (!state->echoOff) g_echoConsole = nullptr;
  return std::make_unique<PasswordTerminal>(std::move(state));
}

PasswordTerminal::~PasswordTerminal() {
  if (state_->echoOff) {
    ::SetConsoleMode(state_->in, g_savedMode);
    g_echoConsole = nullptr;
  }
  prompt("\n");
  if (state_->ownIn) ::CloseHandle(state_->in);
  if (state_->ownOut) ::CloseHandle(state_->out);
}

void PasswordTerminal::prompt(std::string_view text) {
  const std::wstring wide = Wide(text);
  DWORD written = 0;
  if (!::WriteConsoleW(state_->out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) {
    ::WriteFile(state_->out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
}

long PasswordTerminal::read(char* buffer, std::size_t n, std::string& error) {
  State& s = *state_;
  if (s.taken == s.typed.size()) {
    // The console gives UTF-16, a line at a time (or part of one).
    wchar_t wide[256];
    DWORD got = 0;
    if (!::ReadConsoleW(s.in, wide, 256, &got, nullptr)) {
      error = LastErrorText();
      return -1;
    }
    if (got == 0) return 0;
    s.typed = Utf8(std::wstring_view(wide, got));
    s.taken = 0;
  }
  const std::size_t k = std::min(n, s.typed.size() - s.taken);
  s.typed.copy(buffer, k, s.taken);
  s.taken += k;
  return static_cast<long>(k);
}

// Windows deletes an unfinished target by itself when its handle closes.
void HandOverOpenHandles() {}

void InstallSignalHandlers() { ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

void DieOfSignal(int signal) {
  std::fflush(stdout);
  std::fflush(stderr);
  // Ending the process ends its other threads first, then closes their
  // handles: the system deletes every unfinished target.
  ::ExitProcess(signal == SIGINT ? STATUS_CONTROL_C_EXIT : 128 + static_cast<unsigned>(signal));
}

}  // namespace tambril::cli
