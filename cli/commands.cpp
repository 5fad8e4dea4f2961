#include "commands.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "age/age.h"
#include "cli/age_files.h"
#include "cli/batch.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "cli/password.h"
#include "cli/system.h"
#include "cli/terminal.h"
#include "cli/text.h"
#include "codec/codec.h"
#include "codec/cp1252.h"
#include "codec/format.h"
#include "codec/names.h"
#include "codec/path_marks.h"
#include "codec/paths.h"
#include "rtf/rtf_plain_text.h"

#ifndef TAMBRIL_VERSION
#define TAMBRIL_VERSION "unknown"
#endif

namespace tambril::cli {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kProgram = "tambril-cli";

// One line on stderr: "tambril-cli: what".
int Fail(int code, std::string_view what) {
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(kProgram.size()), kProgram.data(),
               static_cast<int>(what.size()), what.data());
  return code;
}

int FailAbout(int code, const fs::path& file, std::string_view what) {
  return Fail(code, Quoted(PathText(file)) + ": " + std::string(what));
}

int UsageError(std::string_view what) {
  return Fail(kExitUsage, std::string(what) + " (" + std::string(Text(Msg::SeeHelp)) + ")");
}

struct Arguments {
  std::string command;
  bool passwordStdin = false;
  bool help = false;
  bool recursive = false;
  bool quiet = false;
  bool age = false;                   // encode --age
  unsigned jobs = 0;                  // -j N; 0 when not given
  std::optional<std::string> output;  // -o TARGET
  std::vector<std::string> operands;
};

// The N of -j: a whole number from 1 to 4096.
std::optional<unsigned> ParseJobs(const std::string& text) {
  if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  const unsigned n = static_cast<unsigned>(std::stoul(text));
  if (n < 1 || n > 4096) return std::nullopt;
  return n;
}

// Options may stand anywhere before "--"; "-" alone is a file name.
std::optional<Arguments> Parse(const std::vector<std::string>& args, int& exitCode) {
  Arguments a;
  a.command = args.at(0);
  bool options = true;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& s = args[i];
    if (options && s == "--") {
      options = false;
    } else if (options && s == "--password-stdin" && a.command != "show") {
      a.passwordStdin = true;
    } else if (options && (s == "--help" || s == "-h")) {
      a.help = true;
    } else if (options && s == "-r" && a.command != "show") {
      a.recursive = true;
    } else if (options && s == "--quiet" &&
               (a.command == "encode" || a.command == "decode" || a.command == "convert")) {
      a.quiet = true;
    } else if (options && s == "--age" && a.command == "encode") {
      a.age = true;
    } else if (options && (a.command == "encode" || a.command == "decode") &&
               (s == "--output" || s.rfind("--output=", 0) == 0 || s.rfind("-o", 0) == 0)) {
      // "-o T", "-oT", "--output T" or "--output=T"
      std::string value;
      if (s == "-o" || s == "--output") {
        if (i + 1 < args.size()) value = args[++i];
      } else {
        value = s.substr(s[1] == '-' ? 9 : 2);
      }
      if (value.empty()) {
        exitCode = UsageError(a.command + ": " + std::string(Text(Msg::OutputExpectsName)));
        return std::nullopt;
      }
      a.output = value;
    } else if (options && s.rfind("-j", 0) == 0 && a.command != "show") {
      // "-j N" or "-jN"
      const std::string value = s.size() > 2 ? s.substr(2) : i + 1 < args.size() ? args[++i] : std::string();
      const auto jobs = ParseJobs(value);
      if (!jobs) {
        exitCode = UsageError(a.command + ": " + std::string(Text(Msg::JobsExpectNumber)));
        return std::nullopt;
      }
      a.jobs = *jobs;
    } else if (options && s.size() > 1 && s[0] == '-') {
      exitCode = UsageError(a.command + ": " + std::string(Text(Msg::UnknownOption)) + " " + QuotedArgument(s));
      return std::nullopt;
    } else {
      a.operands.push_back(s);
    }
  }
  return a;
}

// Opens a file to encode or decode. Pipes and devices are refused without
// waiting for them: their length is not known in advance, and an encode
// would store nothing of them.
std::unique_ptr<codec::InputFile> OpenInput(const fs::path& path, int& exitCode) {
  try {
    return std::make_unique<codec::InputFile>(path);
  } catch (const codec::CodecError& e) {
    exitCode = Fail(kExitFile, FailureLine(path, {}, e));
    return nullptr;
  }
}

// Reads the password once (stdin or terminal); nullopt after reporting why not.
std::optional<std::string> ReadOnce(bool fromStdin, std::string_view prompt, int& exitCode) {
  PasswordInput in = fromStdin ? ReadPasswordLine(prompt) : ReadPasswordFromTerminal(prompt);
  if (!in.text) {
    exitCode = Fail(kExitUsage, std::string(Text(Msg::CannotReadPassword)) + ": " + in.error);
    return std::nullopt;
  }
  return in.text;
}

// Reads a password once and holds it against `refuse`; nullopt after
// reporting a refusal as a usage error about `file`.
std::optional<std::string> ReadAccepted(bool fromStdin, std::string_view prompt, const fs::path& file,
                                        const std::function<std::optional<std::string_view>(std::string_view)>& refuse,
                                        int& exitCode) {
  auto password = ReadOnce(fromStdin, prompt, exitCode);
  if (!password) return std::nullopt;
  if (auto refusal = refuse(*password)) {
    exitCode = FailAbout(kExitUsage, file, *refusal);
    return std::nullopt;
  }
  return password;
}

// Wipes a password when it goes.
struct WipedOnExit {
  std::optional<std::string>& password;
  ~WipedOnExit() {
    if (password) age::Wipe(*password);
  }
};
// The same for a copy of one in another form.
struct CopyWipedOnExit {
  std::string& password;
  ~CopyWipedOnExit() { age::Wipe(password); }
};

// The password for a new encoded file, after the rules and the
// confirmation: Windows-1252 bytes for a .tmb file, the UTF-8 typed for an
// age file (`forAge`), whose rule is only a length of five at least.
std::optional<std::string> NewPassword(const Arguments& a, const fs::path& source, int& exitCode, bool forAge = false) {
  auto password = ReadAccepted(a.passwordStdin, Text(Msg::Prompt), source,
                               forAge ? RefuseNewPassphrase : RefuseNewPassword, exitCode);
  const WipedOnExit wiped{password};
  if (!password) return std::nullopt;
  if (!a.passwordStdin) {
    const auto matches = [&](std::string_view confirmation) { return RefuseConfirmation(*password, confirmation); };
    auto confirmation = ReadAccepted(false, Text(Msg::ConfirmPrompt), source, matches, exitCode);
    const WipedOnExit wipedToo{confirmation};
    if (!confirmation) return std::nullopt;
  }
  return forAge ? *password : codec::Utf8ToCp1252(*password);
}

// The password to try on an encoded file.
std::optional<std::string> TypedPassword(const Arguments& a, const fs::path& file, int& exitCode) {
  auto password = ReadAccepted(a.passwordStdin, Text(Msg::Prompt), file, RefuseTypedPassword, exitCode);
  if (!password) return std::nullopt;
  return codec::Utf8ToCp1252(*password);
}

// Runs one coding pass with its progress bar on the terminal. A signal stops
// the pass at its next block and ends the program after the pass has unwound
// and left no target behind.
int RunPass(std::string_view label, bool quiet, const fs::path& source, const fs::path& target,
            const std::function<void(const codec::ProgressFn&, const codec::CheckpointFn&)>& pass) {
  try {
    PassMonitor monitor(std::string(label), !quiet);
    pass([&monitor](int v) { monitor.report(v); }, [&monitor] { monitor.checkpoint(); });
  } catch (const codec::CodecError& e) {
    return Fail(kExitFile, FailureLine(source, target, e));
  } catch (const Interrupted& i) {
    Fail(kExitFile,
         Quoted(PathText(source)) + " -> " + Quoted(PathText(target)) + ": " + std::string(Text(Msg::Interrupted)));
    DieOfSignal(i.signal);
  }
  return kExitOk;
}

// What a many-file run takes from the command line.
BatchOptions RunOptions(const Arguments& a) {
  BatchOptions options;
  options.recursive = a.recursive;
  options.quiet = a.quiet;
  options.jobs = a.jobs;
  return options;
}

// More than one file, -r or -j: every file beside itself.
bool ManyFiles(const Arguments& a) { return a.recursive || a.jobs > 0 || a.operands.size() > 1; }

// -o names the target of one file, and only of one.
// Whether `path`'s last name is one Windows keeps for a device (NUL,
// com1.txt) or that names a stream of a file (a.txt:x): not a file of its own.
bool NamesDeviceOrStream(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) path.remove_prefix(2);
  const std::size_t cut = path.find_last_of("/\\");
  const std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
  return name.find(':') != std::string_view::npos || codec::IsDeviceName(name);
}

std::optional<int> RefuseOutput(const Arguments& a) {
  if (a.output && ManyFiles(a)) {
    return UsageError(a.command + ": " + std::string(Text(Msg::OutputOneFile)));
  }
  if (a.output && codec::kNativePathStyle == codec::PathStyle::Windows && NamesDeviceOrStream(*a.output)) {
    return UsageError(a.command + ": -o " + Quoted(*a.output) + ": " + std::string(Text(Msg::DeviceOrStream)));
  }
  return std::nullopt;
}

int TargetTaken(const fs::path& source, const fs::path& target) {
  return Fail(kExitFile,
              Quoted(PathText(source)) + " -> " + Quoted(PathText(target)) + ": " + std::string(Text(Msg::FileExists)));
}

int Encode(const Arguments& a) {
  if (a.operands.empty()) return UsageError("encode: " + std::string(Text(Msg::ExpectedSources)));
  if (auto refused = RefuseOutput(a)) return *refused;
  int exitCode = kExitOk;
  if (ManyFiles(a)) {
    const auto files = CollectFiles(a.operands, a.recursive, false);
    auto password = NewPassword(a, PathOf(a.operands[0]), exitCode, a.age);
    const WipedOnExit wiped{password};
    if (!password) return exitCode;
    BatchOptions options = RunOptions(a);
    options.age = a.age;
    if (a.age) options.passphrase = *password;
    std::string tmbPassword = a.age ? std::string() : *password;
    const CopyWipedOnExit wipedCopy{tmbPassword};
    return RunBatch(BatchMode::Encode, files, tmbPassword, options);
  }
  const fs::path source = PathOf(a.operands[0]);
  const auto in = OpenInput(source, exitCode);
  if (!in) return exitCode;
  // An age file with --age or a target named so; a .tmb file otherwise.
  const bool toAge = a.age || (a.output && age::HasAgeSuffix(*a.output));
  const std::string named = toAge ? age::EncodedPath(PathText(source)) : codec::EncodedPath(PathText(source));
  const fs::path target = a.output ? PathOf(*a.output) : PathOf(named);
  std::uint64_t size = 0;
  try {
    size = in->size();
  } catch (const codec::CodecError& e) {
    return Fail(kExitFile, FailureLine(source, {}, e));
  }
  // Refused before the password is typed; the pass itself checks again.
  if (codec::EntryExists(target)) return TargetTaken(source, target);

  auto password = NewPassword(a, source, exitCode, toAge);
  const WipedOnExit wiped{password};
  if (!password) return exitCode;
  const fs::path full = codec::AbsolutePath(source);
  return RunPass(Text(Msg::Encoding), a.quiet, source, target,
                 [&](const codec::ProgressFn& progress, const codec::CheckpointFn& checkpoint) {
                   if (toAge) {
                     age::Encode(*in, size, target, *password, progress, checkpoint);
                   } else {
                     codec::Encode(*in, size, target, *password, codec::ExtensionTag(PathText(full)), progress,
                                   checkpoint);
                   }
                 });
}

// Opens `file` and checks the password against it; nullopt after reporting.
std::optional<codec::CheckResult> CheckFile(const Arguments& a, const fs::path& file, const fs::path* knownTarget,
                                            std::unique_ptr<codec::InputFile>& in, int& exitCode) {
  in = OpenInput(file, exitCode);
  if (!in) return std::nullopt;
  std::uint64_t size = 0;
  try {
    size = in->size();
  } catch (const codec::CodecError& e) {
    exitCode = Fail(kExitFile, FailureLine(file, {}, e));
    return std::nullopt;
  }
  if (knownTarget && codec::EntryExists(*knownTarget)) {
    exitCode = TargetTaken(file, *knownTarget);
    return std::nullopt;
  }
  const auto password = TypedPassword(a, file, exitCode);
  if (!password) return std::nullopt;
  if (!codec::HoldsHeader(size)) {
    exitCode = FailAbout(kExitWrongPassword, file, Text(Msg::TooShortForEncoded));
    return std::nullopt;
  }
  try {
    codec::CheckResult check = codec::CheckPassword(*in, size, *password);
    if (!check.fits()) {
      exitCode = FailAbout(kExitWrongPassword, file, Text(Msg::WrongPassword));
      return std::nullopt;
    }
    return check;
  } catch (const codec::CodecError& e) {
    exitCode = Fail(kExitFile, FailureLine(file, {}, e));
    return std::nullopt;
  }
}

// Whether `file` starts as an age file; one that cannot be read is left to
// the .tmb path, which says why.
bool StartsAsAge(const fs::path& file) {
  try {
    return age::Recognize(file) != age::Form::None;
  } catch (const codec::CodecError&) {
    return false;
  }
}

// Checks (`decode` false: every chunk authenticated, nothing written) or
// decodes one age file. The name loses its ".age"; a name without it
// needs -o.
int OpenAge(const Arguments& a, const fs::path& file, bool decode) {
  int exitCode = kExitOk;
  const auto in = OpenInput(file, exitCode);
  if (!in) return exitCode;
  std::uint64_t size = 0;
  try {
    size = in->size();
  } catch (const codec::CodecError& e) {
    return Fail(kExitFile, FailureLine(file, {}, e));
  }
  fs::path target;
  if (decode) {
    const auto named = age::DecodedPath(PathText(file));
    if (!a.output && !named) {
      return UsageError("decode: " + Quoted(PathText(file)) + ": " + std::string(Text(Msg::AgeNeedsOutput)));
    }
    target = a.output ? PathOf(*a.output) : PathOf(*named);
    if (codec::EntryExists(target)) return TargetTaken(file, target);
  }
  auto passphrase = ReadAccepted(a.passwordStdin, Text(Msg::Prompt), file, RefuseTypedPassphrase, exitCode);
  const WipedOnExit wiped{passphrase};
  if (!passphrase) return exitCode;
  std::optional<age::CheckResult> check;
  try {
    check = CheckAge(*in, size, *passphrase);
  } catch (const codec::CodecError& e) {
    return Fail(kExitFile, FailureLine(file, {}, e));
  }
  if (!check) return FailAbout(kExitWrongPassword, file, Text(Msg::WrongPassword));
  if (!decode) {
    const int rc = RunPass(Text(Msg::Checking), a.quiet, file, file,
                           [&](const codec::ProgressFn& progress, const codec::CheckpointFn& checkpoint) {
                             age::Verify(*in, *check, progress, checkpoint);
                           });
    if (rc == kExitOk) std::printf("%s\n", Text(Msg::Fit).data());
    return rc;
  }
  return RunPass(Text(Msg::Decoding), a.quiet, file, target,
                 [&](const codec::ProgressFn& progress, const codec::CheckpointFn& checkpoint) {
                   age::Decode(*in, target, *check, progress, checkpoint);
                 });
}

// Many files to decode or check: the walk takes ".age" names beside ".tmb"
// ones, and the password is taken for both kinds (without the .tmb limit
// of 15 characters where an age file is among them).
int RunOpening(const Arguments& a, BatchMode mode) {
  int exitCode = kExitOk;
  const auto files = CollectFiles(a.operands, a.recursive, true, /*ageToo=*/true);
  const bool ages = std::any_of(files.entries.begin(), files.entries.end(),
                                [](const Entry& e) { return e.kind == Entry::File && age::HasAgeSuffix(e.name); });
  auto typed = ReadAccepted(a.passwordStdin, Text(Msg::Prompt), PathOf(a.operands[0]),
                            ages ? RefuseTypedPassphrase : RefuseTypedPassword, exitCode);
  const WipedOnExit wiped{typed};
  if (!typed) return exitCode;
  std::string password = codec::Utf8ToCp1252(*typed);
  const CopyWipedOnExit wipedCopy{password};
  BatchOptions options = RunOptions(a);
  options.passphrase = *typed;
  return RunBatch(mode, files, password, options);
}

int Check(const Arguments& a) {
  if (a.operands.empty()) return UsageError("check: " + std::string(Text(Msg::ExpectedFiles)));
  int exitCode = kExitOk;
  if (ManyFiles(a)) return RunOpening(a, BatchMode::Check);
  if (StartsAsAge(PathOf(a.operands[0]))) return OpenAge(a, PathOf(a.operands[0]), false);
  std::unique_ptr<codec::InputFile> in;
  const auto check = CheckFile(a, PathOf(a.operands[0]), nullptr, in, exitCode);
  if (!check) return exitCode;
  WriteOut(PrintableTag(check->tagText()) + "\n");
  return kExitOk;
}

int Decode(const Arguments& a) {
  if (a.operands.empty()) return UsageError("decode: " + std::string(Text(Msg::ExpectedFiles)));
  if (auto refused = RefuseOutput(a)) return *refused;
  int exitCode = kExitOk;
  if (ManyFiles(a)) return RunOpening(a, BatchMode::Decode);
  const fs::path file = PathOf(a.operands[0]);
  if (StartsAsAge(file)) return OpenAge(a, file, true);
  const std::optional<fs::path> given = a.output ? std::optional<fs::path>(PathOf(*a.output)) : std::nullopt;
  std::unique_ptr<codec::InputFile> in;
  const auto check = CheckFile(a, file, given ? &*given : nullptr, in, exitCode);
  if (!check) return exitCode;
  const fs::path target = given ? *given : PathOf(codec::DecodedPath(PathText(file), check->tagText()));
  return RunPass(Text(Msg::Decoding), a.quiet, file, target,
                 [&](const codec::ProgressFn& progress, const codec::CheckpointFn& checkpoint) {
                   codec::Decode(*in, target, *check, progress, checkpoint);
                 });
}

// .tmb files into age files with the same password, each read back before
// its line says done; the originals stay.
int Convert(const Arguments& a) {
  if (a.operands.empty()) return UsageError("convert: " + std::string(Text(Msg::ExpectedFiles)));
  int exitCode = kExitOk;
  const auto files = CollectFiles(a.operands, a.recursive, true);
  auto typed = ReadAccepted(a.passwordStdin, Text(Msg::Prompt), PathOf(a.operands[0]), RefuseTypedPassword, exitCode);
  const WipedOnExit wiped{typed};
  if (!typed) return exitCode;
  std::string password = codec::Utf8ToCp1252(*typed);
  const CopyWipedOnExit wipedCopy{password};
  BatchOptions options = RunOptions(a);
  // The passphrase is the password as the .tmb files hold it.
  options.passphrase = codec::Cp1252ToUtf8(password);
  return RunBatch(BatchMode::Convert, files, password, options);
}

// The text the viewer shows, read and written piece by piece in a little
// memory whatever the size; the size is measured once, so a file that
// grows meanwhile is read no further.
int ShowRtf(const codec::InputFile& in, std::uint64_t size) {
  std::uint64_t offset = 0;
  int rc = kExitOk;
  rtf::StreamPlainText(
      [&](char* to, std::ptrdiff_t max) -> std::ptrdiff_t {
        if (rc != kExitOk) return 0;
        const auto n = in.readAt(offset, to, static_cast<std::size_t>(std::min<std::uint64_t>(max, size - offset)));
        offset += n;
        return static_cast<std::ptrdiff_t>(n);
      },
      [&](std::string_view utf8) {
        if (rc == kExitOk && !WriteOut(utf8)) rc = kExitFile;
      });
  return rc;
}

// Block by block through two buffers that are reused, so that any length
// streams in the same little memory.
int ShowPlain(const codec::InputFile& in) {
  constexpr std::size_t kBlock = 1 << 16;
  std::string block(kBlock, '\0');
  std::string text;
  for (std::uint64_t offset = 0;;) {
    const std::size_t n = in.readAt(offset, block.data(), kBlock);
    if (n == 0) break;
    text.clear();
    codec::AppendCp1252AsUtf8(text, std::string_view(block.data(), n));
    if (!WriteOut(text)) return kExitFile;
    offset += n;
  }
  return kExitOk;
}

int Show(const Arguments& a) {
  if (a.operands.size() != 1) return UsageError("show: " + std::string(Text(Msg::ExpectedFile)));
  const std::string& path = a.operands[0];
  // Output past the file size limit is a failed write like a full disk,
  // not the end of the program.
  codec::IgnoreFileSizeSignal();
  int rc;
  try {
    codec::InputFile in(PathOf(path));
    const std::uint64_t size = in.size();
    rc = codec::NamesRtfFile(path) ? ShowRtf(in, size) : ShowPlain(in);
  } catch (const codec::CodecError& e) {
    return Fail(kExitFile, FailureLine(PathOf(path), {}, e));
  }
  return rc;
}

}  // namespace

int Run(std::vector<std::string> args) {
  if (!args.empty()) args.erase(args.begin());
  if (args.empty()) {
    std::fputs(Text(Msg::Usage).data(), stderr);
    return kExitUsage;
  }
  const std::string& first = args[0];
  if (first == "--help" || first == "-h") {
    WriteOut(Text(Msg::Usage));
    WriteOut(Text(Msg::Help));
    return kExitOk;
  }
  if (first == "--version") {
    WriteOut("tambril-cli " TAMBRIL_VERSION "\n");
    return kExitOk;
  }
  if (first != "encode" && first != "check" && first != "decode" && first != "convert" && first != "show") {
    if (first.size() > 1 && first[0] == '-')
      return UsageError(std::string(Text(Msg::UnknownOption)) + " " + QuotedArgument(first));
    return UsageError(std::string(Text(Msg::UnknownCommand)) + " " + QuotedArgument(first));
  }
  int exitCode = kExitOk;
  const auto parsed = Parse(args, exitCode);
  if (!parsed) return exitCode;
  if (parsed->help) {
    WriteOut(Text(Msg::Usage));
    return kExitOk;
  }
  for (const auto& op : parsed->operands) {
    if (op.empty()) return UsageError(first + ": " + std::string(Text(Msg::EmptyFileName)));
  }
  InstallSignalHandlers();
  if (first == "encode") return Encode(*parsed);
  if (first == "check") return Check(*parsed);
  if (first == "decode") return Decode(*parsed);
  if (first == "convert") return Convert(*parsed);
  return Show(*parsed);
}

int Main(int argc, char** argv) {
  int rc;
  try {
    rc = Run(StartProgram(argc, argv));
  } catch (const std::bad_alloc&) {
    rc = Fail(kExitFile, Text(Msg::OutOfMemory));
  } catch (const std::exception& e) {
    rc = Fail(kExitFile, e.what());
  } catch (...) {
    rc = Fail(kExitFile, Text(Msg::UnexpectedFailure));
  }
  // What was printed is only out once it has been written; a result that
  // could not be written is a failure whatever else happened.
  if (OutputStatus() != kExitOk) rc = kExitFile;
  return rc;
}

}  // namespace tambril::cli
