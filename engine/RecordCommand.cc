#include "engine/RecordCommand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <thread>

#include "engine/InterruptSignals.h"
#include "engine/ProgressLine.h"
#include "engine/Recorder.h"
#include "engine/Runner.h"
#include "engine/UnusedLines.h"
#include "host/ZWResolver.h"
#include "snmp/NetSnmpRequester.h"

namespace {

const char kProgram[] = "ipv6disco record: ";

int Fail(FILE* err, int status, const std::string& message) {
  std::fprintf(err, "%s%s\n", kProgram, message.c_str());
  return status;
}

// Removes the names overlay however the command ends.
class OverlayInstalled {
 public:
  explicit OverlayInstalled(std::shared_ptr<ZWNamesOverlay> overlay) { ZWSetNamesOverlay(std::move(overlay)); }
  ~OverlayInstalled() { ZWSetNamesOverlay(nullptr); }
  OverlayInstalled(const OverlayInstalled&) = delete;
  OverlayInstalled& operator=(const OverlayInstalled&) = delete;
};

// "" when `folder` is a folder, made now if it was missing; else why not.
std::string MakeFolder(const std::string& folder) {
  struct stat st;
  if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
    return "--out: cannot make the folder " + folder + ": " + std::strerror(errno);
  }
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return "--out: " + folder + " is not a folder";
  return "";
}

}  // namespace

int DERunRecord(const CRecordOptions& options, FILE* out, FILE* err) {
  // Before any thread starts, so that every thread holds them back.
  CInterruptSignals signals;
  std::shared_ptr<ZWNamesOverlay> overlay;
  if (!options.hostsFile.empty()) {
    std::string why;
    std::vector<ZWUnusedLine> unused;
    overlay = ZWNamesOverlay::FromFile(options.hostsFile, &why, &unused);
    if (overlay == nullptr) return Fail(err, kExitUsage, "--hosts: " + why);
    std::fputs(DEUnusedLinesText(options.hostsFile, unused).c_str(), err);
  }
  std::string problem;
  std::unique_ptr<CNetSnmpRequester> source = CNetSnmpRequester::Create(options.snmp, &problem);
  if (source == nullptr) return Fail(err, kExitUsage, "SNMP options: " + problem);
  problem = MakeFolder(options.outDir);
  if (!problem.empty()) return Fail(err, kExitFatal, problem);

  OverlayInstalled names(overlay);
  const int threads = options.threads > 0 ? options.threads
                                          : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  std::vector<CRecordedNe> results;
  {
    CProgressLine progress(err, isatty(fileno(err)) == 1);
    bool interrupted = false;
    results = DERecordNes(options.nes, source.get(), options.outDir, threads, [&](size_t done) {
      if (!interrupted && signals.Poll() != 0) {
        interrupted = true;
        progress.Finish();  // the message takes a line of its own
        std::fprintf(err, "%sinterrupted: finishing the NEs under way (a second signal stops at once)\n",
                     kProgram);
      }
      progress.Update(done, options.nes.size());
      return !interrupted;
    });
  }
  size_t recorded = 0;
  bool writeFailed = false;
  for (const CRecordedNe& ne : results) {
    if (!ne.recorded) {
      writeFailed = writeFailed || ne.writeFailed;
      if (!ne.interrupted) std::fprintf(err, "%s%s: %s\n", kProgram, ne.ne.c_str(), ne.error.c_str());
      continue;
    }
    ++recorded;
    std::fprintf(out, "%s -> %s (%zu objects, %d requests", ne.ne.c_str(), ne.file.c_str(), ne.objects,
                 ne.requests);
    if (ne.leftOut > 0) std::fprintf(out, "; %zu values left out that snmprec cannot hold", ne.leftOut);
    std::fputs(")\n", out);
  }
  std::fprintf(out, "recorded %zu of %zu NEs in %s\n", recorded, results.size(), options.outDir.c_str());
  // A signal that came after the last NE was started cut nothing short.
  for (const CRecordedNe& ne : results) {
    if (ne.interrupted) return 128 + signals.Caught();
  }
  if (writeFailed) return kExitFatal;
  return recorded == results.size() ? kExitAllProcessed : kExitSomeFailed;
}

int DERecordCommand(const std::vector<std::string>& args) {
  CRecordOptions options;
  std::string error;
  switch (DEParseRecordOptions(args, &options, &error)) {
    case ERunnerCommand::kHelp:
    case ERunnerCommand::kVersion:
      std::fputs(DERecordUsage(), stdout);
      return kExitAllProcessed;
    case ERunnerCommand::kUsageError:
      std::fprintf(stderr, "%s\n", error.c_str());
      return kExitUsage;
    case ERunnerCommand::kRun:
      break;
  }
  return DERunRecord(options, stdout, stderr);
}
