#include "batch.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>

#include "cli/commands.h"
#include "cli/names.h"
#include "cli/terminal.h"
#include "codec/codec.h"

namespace tambril::cli {
namespace fs = std::filesystem;

namespace {

bool HasTmb(const std::string& name) {
  std::string lower = name;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find(".tmb") != std::string::npos;
}

void Walk(const fs::path& folder, bool encodedOnly, std::vector<std::string>& files) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  for (const auto& name : names) {
    const fs::path p = folder / name;
    struct stat own {}, target {};
    if (::lstat(p.c_str(), &own) != 0) continue;
    if (S_ISDIR(own.st_mode)) {
      Walk(p, encodedOnly, files);  // a real folder; a link to one is not followed
    } else if (::stat(p.c_str(), &target) == 0 && S_ISREG(target.st_mode)) {
      if (HasTmb(name) == encodedOnly) files.push_back(p.string());
    }
  }
}

// What became of one file.
struct Outcome {
  enum Kind { Done, WrongPassword, Failed } kind = Failed;
  std::string line;  // "SOURCE -> TARGET", "TAG" or the failure
};

// A file written unnamed, waiting for the group's flush.
struct Pending {
  std::size_t index;
  fs::path target;
  std::unique_ptr<codec::TargetFile> file;
};

// Files per group: each unnamed file holds two handles (file and folder).
// The soft open-file limit is raised towards the hard one first, so that a
// group, and the flush it shares, can be large.
std::size_t GroupSize() {
  constexpr std::size_t kMost = 2048;
  rlimit lim{};
  if (::getrlimit(RLIMIT_NOFILE, &lim) != 0) return 1;
  if (lim.rlim_cur != RLIM_INFINITY && lim.rlim_cur < 2 * kMost + 64) {
    rlimit raised = lim;
    raised.rlim_cur = lim.rlim_max == RLIM_INFINITY ? 2 * kMost + 64 : std::min<rlim_t>(lim.rlim_max, 2 * kMost + 64);
    if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) lim = raised;
  }
  std::size_t n = kMost;
  if (lim.rlim_cur != RLIM_INFINITY) n = std::min<std::size_t>(n, lim.rlim_cur > 64 ? (lim.rlim_cur - 32) / 2 : 1);
  return std::max<std::size_t>(n, 1);
}

// Flushes each file system of the group once, then names the files and
// flushes each of their folders once.
void NameGroup(std::vector<Pending>& group, std::vector<Outcome>& outcomes) {
  std::set<dev_t> synced;
  std::set<dev_t> failedDevices;
  for (auto& p : group) {
    struct stat st {};
    if (::fstat(p.file->handle(), &st) != 0 || synced.count(st.st_dev) || failedDevices.count(st.st_dev)) continue;
    try {
      codec::SyncFileSystem(p.file->handle(), p.target);
      synced.insert(st.st_dev);
    } catch (const codec::CodecError&) {
      failedDevices.insert(st.st_dev);
    }
  }
  std::set<fs::path> folders;
  for (auto& p : group) {
    struct stat st {};
    ::fstat(p.file->handle(), &st);
    Outcome& o = outcomes[p.index];
    try {
      if (failedDevices.count(st.st_dev)) throw codec::CodecError(codec::ErrorKind::WriteTarget, p.target);
      p.file->commit(/*flushFolder=*/false);
      folders.insert(p.target.parent_path());
      o.kind = Outcome::Done;
    } catch (const codec::CodecError& e) {
      o.kind = Outcome::Failed;
      o.line = e.what();
    }
    p.file.reset();
  }
  for (const auto& f : folders) codec::SyncFolder(f);
  group.clear();
}

void Print(const std::string& file, const Outcome& o, BatchMode mode, bool quiet) {
  switch (o.kind) {
    case Outcome::Done:
      if (mode == BatchMode::Check) {
        std::printf("%s: %s\n", file.c_str(), o.line.c_str());
      } else if (!quiet) {
        std::printf("%s -> %s\n", file.c_str(), o.line.c_str());
      }
      break;
    case Outcome::WrongPassword:
      if (mode == BatchMode::Check) {
        std::printf("%s: wrong password\n", file.c_str());
      } else {
        std::fflush(stdout);
        std::fprintf(stderr, "tambril-cli: %s: wrong password\n", file.c_str());
      }
      break;
    case Outcome::Failed:
      std::fflush(stdout);
      std::fprintf(stderr, "tambril-cli: %s\n", o.line.c_str());
      break;
  }
}

}  // namespace

std::vector<std::string> CollectFiles(const std::vector<std::string>& operands, bool recursive, bool encodedOnly) {
  std::vector<std::string> files;
  for (const auto& op : operands) {
    struct stat st {};
    if (recursive && ::stat(op.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      Walk(op, encodedOnly, files);
    } else {
      files.push_back(op);
    }
  }
  return files;
}

int RunBatch(BatchMode mode, const std::vector<std::string>& files, const std::string& password,
             const BatchOptions& options) {
  std::vector<Outcome> outcomes(files.size());
  std::vector<Pending> group;
  const std::size_t groupSize = GroupSize();
  std::size_t printed = 0;
  const auto printDone = [&](std::size_t upTo) {
    for (; printed < upTo; ++printed) Print(files[printed], outcomes[printed], mode, options.quiet);
    std::fflush(stdout);
  };
  try {
    PassMonitor monitor("");
    const codec::CheckpointFn checkpoint = [&monitor] { monitor.checkpoint(); };
    for (std::size_t i = 0; i < files.size(); ++i) {
      checkpoint();
      const fs::path file = files[i];
      Outcome& o = outcomes[i];
      try {
        const codec::InputFile in(file);
        const std::uint64_t size = in.size();
        if (mode == BatchMode::Encode) {
          const fs::path target = EncodedTarget(file);
          if (codec::EntryExists(target)) throw codec::CodecError(codec::ErrorKind::TargetExists, target);
          auto out = codec::EncodeUnnamed(in, size, target, password, ExtensionTag(file), checkpoint);
          out->finishUnflushed();
          o.line = target.string();
          group.push_back({i, target, std::move(out)});
        } else {
          const codec::CheckResult check = codec::CheckPassword(file, size, password);
          if (!check.fits()) {
            o.kind = Outcome::WrongPassword;
          } else if (mode == BatchMode::Check) {
            o.kind = Outcome::Done;
            o.line = PrintableTag(check.tag);
          } else {
            const fs::path target = DecodedTarget(file, check.tag);
            if (codec::EntryExists(target)) throw codec::CodecError(codec::ErrorKind::TargetExists, target);
            auto out = codec::DecodeUnnamed(in, target, check, checkpoint);
            out->finishUnflushed();
            o.line = target.string();
            group.push_back({i, target, std::move(out)});
          }
        }
      } catch (const codec::CodecError& e) {
        o.kind = Outcome::Failed;
        o.line = e.what();
      }
      if (group.size() >= groupSize) {
        NameGroup(group, outcomes);
        printDone(i + 1);
      } else if (group.empty()) {
        printDone(i + 1);
      }
    }
    NameGroup(group, outcomes);
    printDone(files.size());
  } catch (const Interrupted& i) {
    group.clear();  // unnamed: nothing of them stays
    printDone(printed);
    std::fprintf(stderr, "tambril-cli: interrupted; the files listed as done are complete, no other was written\n");
    DieOfSignal(i.signal);
  }

  std::size_t done = 0, skipped = 0, failed = 0;
  for (const auto& o : outcomes) {
    done += o.kind == Outcome::Done;
    skipped += o.kind == Outcome::WrongPassword;
    failed += o.kind == Outcome::Failed;
  }
  if (!options.quiet && mode != BatchMode::Check) {
    std::printf("%zu done, %zu skipped (wrong password), %zu failed\n", done, skipped, failed);
  }
  return failed > 0 ? kExitFile : skipped > 0 ? kExitWrongPassword : kExitOk;
}

}  // namespace tambril::cli
