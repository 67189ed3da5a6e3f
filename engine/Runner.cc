#include "engine/Runner.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <thread>
#include <vector>

#include "engine/CDiscoEngine.h"
#include "engine/Crawl.h"
#include "engine/DotReport.h"
#include "engine/GraphvizRender.h"
#include "engine/InterruptSignals.h"
#include "engine/JsonReport.h"
#include "engine/NeInput.h"
#include "engine/PluginLoader.h"
#include "engine/PluginPath.h"
#include "engine/ProgressLine.h"
#include "engine/Relationships.h"
#include "engine/RunHistory.h"
#include "engine/RunOutput.h"
#include "engine/TextReport.h"
#include "engine/UnusedLines.h"
#include "engine/history/RunStore.h"
#include "host/ZWNameWarmer.h"
#include "host/ZWPlatform.h"
#include "host/ZWResolver.h"
#include "snmp/NetSnmpRequester.h"
#include "snmp/ReplayRequester.h"

namespace {

// Restores the process-wide switches a run sets, whichever way it ends.
class RunSwitches {
 public:
  RunSwitches() = default;
  ~RunSwitches() {
    ZWSetLookupCache(false);
    ZWSetNamesOverlay(nullptr);
    ZWSetRawSocketsAllowed(true);
  }
  RunSwitches(const RunSwitches&) = delete;
  RunSwitches& operator=(const RunSwitches&) = delete;
};

// Starts naming the NEs given by address, which the agent names first of
// all, so that no worker waits for a name under the agent's lock.
void WarmNeNames(const std::vector<std::string>& nes) {
  std::vector<in_addr> v4;
  std::vector<in6_addr> v6;
  for (const std::string& ne : nes) {
    in_addr a4;
    in6_addr a6;
    if (inet_pton(AF_INET, ne.c_str(), &a4) == 1) v4.push_back(a4);
    if (inet_pton(AF_INET6, ne.c_str(), &a6) == 1) v6.push_back(a6);
  }
  ZWWarmIPv4AddressNames(v4);
  ZWWarmAddressNames(v6);
}

int Fail(FILE* err, int status, const std::string& message) {
  std::fprintf(err, "ipv6disco: %s\n", message.c_str());
  return status;
}

// `svg`: the picture, already drawn, for --format svg.
void Render(const CRunReport& report, EReportFormat format, const std::string& svg, std::ostream& out) {
  switch (format) {
    case EReportFormat::kText: DEWriteTextReport(report, out); break;
    case EReportFormat::kJson: DEWriteJsonReport(report, out); break;
    case EReportFormat::kDot: DEWriteDotReport(report, out); break;
    case EReportFormat::kJsonLines: DEWriteJsonLinesEnd(report, out); break;
    case EReportFormat::kSvg: out << svg; break;
  }
}

// What the report shows of a job that is done.
CRunNe NeOf(const CDiscoJob& job, const std::string& input) {
  CRunNe ne;
  ne.input = input;
  ne.processed = job.status == E_DJSProcessed;
  ne.interrupted = job.status == E_DJSInterrupted;
  ne.record = job.record.get();
  ne.proc = job.proc.get();
  ne.errors = job.errors;
  ne.snmp = job.snmp;
  ne.nameSeconds = job.nameSeconds;
  return ne;
}

// NeOf for a job of a crawl, with how it was found.
CRunNe Crawled(const CDiscoJob& job, size_t index, const std::vector<std::string>& inputs,
               const CCrawl& crawl) {
  CRunNe ne = NeOf(job, inputs[index]);
  const CCrawlOrigin& origin = crawl.Origin(index);
  ne.hop = origin.hop;
  if (origin.via) ne.foundVia = inputs[*origin.via];
  ne.foundAt = origin.address;
  return ne;
}

}  // namespace

std::unique_ptr<CDiscoStdRequester> DEMakeRequester(const CRunnerOptions& options,
                                                    std::string* error) {
  if (!options.replayDir.empty()) {
    snmp::WalkOptions walk;
    walk.bulk = options.snmp.version != ESnmpVersion::kV1;
    walk.maxRepetitions = options.snmp.maxRepetitions;
    return std::unique_ptr<CDiscoStdRequester>(new CReplayRequester(options.replayDir, walk));
  }
  std::string why;
  std::unique_ptr<CNetSnmpRequester> live = CNetSnmpRequester::Create(options.snmp, &why);
  if (live == nullptr) *error = "SNMP options: " + why;
  return live;
}

int DERunDiscovery(const CRunnerOptions& options, FILE* err) {
  // Before any thread starts, so that every thread holds them back.
  CInterruptSignals signals;
  // Input files and options first: what the user named must be usable
  // before anything starts.
  std::shared_ptr<ZWNamesOverlay> overlay;
  if (!options.hostsFile.empty()) {
    std::string why;
    std::vector<ZWUnusedLine> unused;
    overlay = ZWNamesOverlay::FromFile(options.hostsFile, &why, &unused);
    if (overlay == nullptr) {
      return Fail(err, kExitUsage, "--hosts: " + why);
    }
    std::fputs(DEUnusedLinesText(options.hostsFile, unused).c_str(), err);
  }
  const std::string graphviz = options.format == EReportFormat::kSvg ? DEFindGraphviz() : "";
  if (options.format == EReportFormat::kSvg && graphviz.empty()) {
    return Fail(err, kExitUsage, "--format svg needs Graphviz's dot (Debian package graphviz)");
  }
  std::string problem;
  std::unique_ptr<CDiscoStdRequester> requester = DEMakeRequester(options, &problem);
  if (requester == nullptr) return Fail(err, kExitUsage, problem);

  // The history is checked before anything is sent: a file that cannot
  // take the run is refused untouched.
  std::unique_ptr<CRunStore> history;
  if (!options.historyFile.empty()) {
    history = DEOpenRunStore(options.historyFile, false, &problem);
    if (history == nullptr) return Fail(err, kExitUsage, "--db: " + problem);
  }
  const std::string started = DEUtcNow();

  // Declared before everything the run makes, so that it is restored last.
  CRunOutput output;
  if (!output.Open(options, &problem)) return Fail(err, kExitFatal, problem);

  RunSwitches switches;
  if (!options.etcDir.empty()) setenv("ZW_ETC_PATH", options.etcDir.c_str(), 1);
  if (!options.varDir.empty()) setenv("ZW_VAR_PATH", options.varDir.c_str(), 1);
  ZWSetNamesOverlay(overlay);
  ZWSetLookupCache(true);  // every address and name is asked once a run
  // Replaying sends nothing: the agent's probes meet a refused raw socket.
  ZWSetRawSocketsAllowed(options.replayDir.empty());

  CPluginLibrary plugin;
  const std::string pluginPath = options.plugin.empty() ? DEDefaultPluginPath() : options.plugin;
  if (!plugin.Open(pluginPath, &problem)) return Fail(err, kExitFatal, problem);
  CDiscoAgent* agent = plugin.Factory()();
  if (agent == nullptr) {
    return Fail(err, kExitFatal, "the plug-in '" + pluginPath + "' made no agent");
  }
  agent->KASetSCName();
  agent->KASetSCDesc();
  std::unique_ptr<CKelRecord> definition = CDiscoEngine::DEMakeAgentDefinition(agent->KAGetName());

  CDiscoEngineOptions engineOptions;
  engineOptions.workers = options.threads > 0
                              ? options.threads
                              : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  engineOptions.ownAgent = true;
  engineOptions.setNames = false;
  engineOptions.agentDefinition = definition.get();
  CDiscoEngine engine(agent, requester.get(), engineOptions);

  // The NEs of the run in job order: those given, then those a crawl finds.
  std::vector<std::string> inputs = options.nes;
  std::unique_ptr<CCrawl> crawl;
  if (options.crawl) {
    crawl.reset(new CCrawl(options.crawlLimits, DEResolveIPv6));
    for (const std::string& ne : inputs) crawl->AddSeed(ne);
  }
  WarmNeNames(inputs);
  for (const std::string& ne : inputs) engine.DESubmit(DEMakeNeRecord(ne).release());
  engine.DEStartUp();
  const bool lines = options.format == EReportFormat::kJsonLines;
  auto writeLine = [&](const CRunNe& ne) {
    return !lines || output.WritePart([&](std::ostream& out) { DEWriteJsonLine(ne, crawl != nullptr, out); }, &problem);
  };
  size_t written = 0;  // without crawling: the NEs written, in the order they were done
  auto writeDone = [&] {
    for (const size_t done = engine.DEDoneCount(); lines && !crawl && written < done; ++written) {
      const size_t index = engine.DEFinishedJob(written);
      if (!writeLine(NeOf(engine.DEJob(index), inputs[index]))) return false;
    }
    return true;
  };
  // Crawling: follows the jobs done, in job order, and submits what they
  // found; JSON lines are written as the NEs are followed.
  auto follow = [&] {
    while (crawl->Followed() < engine.DEJobCount() && engine.DEJobDone(crawl->Followed())) {
      const size_t index = crawl->Followed();
      const CRunNe ne = Crawled(engine.DEJob(index), index, inputs, *crawl);
      const std::vector<std::string> found = crawl->FollowNext(ne);
      if (!crawl->SameAs(index) && !writeLine(ne)) return false;
      WarmNeNames(found);
      for (const std::string& address : found) {
        inputs.push_back(address);
        engine.DESubmit(DEMakeNeRecord(address).release());
      }
    }
    return true;
  };
  bool interrupted = false;
  {
    CProgressLine progress(err, isatty(fileno(err)) == 1 && !output.TracesToStandardError());
    for (size_t done = 0;;) {
      done = engine.DEWaitDone(done, std::chrono::milliseconds(100));
      // Taken before the lines are written and the jobs followed, so that
      // a job ending meanwhile is still written (or followed) next round.
      const bool allDone = engine.DEDoneCount() == engine.DEJobCount();
      if (!interrupted && signals.Poll() != 0) {
        interrupted = true;
        engine.DEInterrupt();
        progress.Finish();  // the message takes a line of its own
        std::fputs("ipv6disco: interrupted: ending the NEs under way (a second signal stops at once)\n", err);
      }
      if (!writeDone() || (crawl && !interrupted && !follow())) {
        engine.DEInterrupt();
        return Fail(err, kExitFatal, problem);
      }
      progress.Update(engine.DEDoneCount(), engine.DEJobCount());
      if (allDone && (!crawl || interrupted || crawl->Followed() == engine.DEJobCount())) {
        break;
      }
    }
  }

  CRunReport report;
  report.agentName = agent->KAGetName();
  report.agentDescription = agent->KAGetDesc();
  for (size_t i = 0; i < engine.DEJobCount(); ++i) {
    if (!crawl) {
      report.nes.push_back(NeOf(engine.DEJob(i), inputs[i]));
    } else if (!crawl->SameAs(i)) {
      report.nes.push_back(Crawled(engine.DEJob(i), i, inputs, *crawl));
    }
  }
  if (crawl) {
    CRunCrawl summary;
    summary.seeds = options.nes.size();
    for (const CRunNe& ne : report.nes) summary.discovered += !ne.foundVia.empty();
    summary.merged = engine.DEJobCount() - report.nes.size();
    summary.maxNes = options.crawlLimits.maxNes;
    summary.ceilingHit = crawl->CeilingHit();
    report.crawl = summary;
    if (summary.ceilingHit) {
      std::fprintf(err, "ipv6disco: --crawl stopped at --max-nes %zu: more NEs were found\n", summary.maxNes);
    } else if (summary.discovered == 0 && !interrupted) {
      std::fputs(crawl->RemoteNeighboursSeen() == 0
                     ? "ipv6disco: --crawl found no new NE: the NEs reported no remote neighbours "
                       "(is automatic discovery off in the agent configuration?)\n"
                     : "ipv6disco: --crawl found no new NE: every remote neighbour is an NE of the run "
                       "or outside the crawl's bounds\n",
                 err);
    }
  }
  // Names resolve while the run's names overlay is still installed.
  report.links = DEBuildLinks(report.nes, DEIndexOwners(report.nes, DEResolveIPv6));

  std::string svg;
  if (options.format == EReportFormat::kSvg) {
    std::ostringstream dot;
    DEWriteDotReport(report, dot);
    if (!DERenderSvg(graphviz, dot.str(), &svg, &problem)) return Fail(err, kExitFatal, problem);
  }
  if (!output.WriteReport([&](std::ostream& out) { Render(report, options.format, svg, out); }, &problem)) {
    return Fail(err, kExitFatal, problem);
  }
  if (history != nullptr) {
    const std::optional<long long> id =
        history->Append(DEStoredRun(report, options.arguments, options.nes, started, DEUtcNow()), &problem);
    if (!id) return Fail(err, kExitFatal, problem + " (the report is written)");
  }
  // A signal that came after the last NE was done cut nothing short.
  if (report.InterruptedCount() > 0) return 128 + signals.Caught();
  const bool cutShort = report.crawl && report.crawl->ceilingHit;
  return report.FailedCount() == 0 && !cutShort ? kExitAllProcessed : kExitSomeFailed;
}
