// A router's discovery with each allocation of the record library failed in turn: the run goes on, the
// failure is reported, nothing leaks (sanitized build), and the other NE of the run does not notice.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "agent/CDiscoIPv6Agent.h"
#include "engine/CDiscoEngine.h"
#include "host/KelAlloc.h"
#include "host/KelError.h"
#include "snmp/ReplayRequester.h"
#include "tests/support/TempDir.h"
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

const char kRouter[] = "198.51.100.10", kOther[] = "192.0.2.66";
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
const long kStride = 7;  // a sanitized discovery takes ten times as long
#else
const long kStride = 1;
#endif

// Fails the `failAt`-th allocation (-1: none) made while it processes the router; counts them.
struct FailingAgent : CDiscoIPv6Agent {
  long failAt = -1, made = 0;
  void DAProcessNewNe(CKelRecord* ne) override {
    const CKelAtom* address = ne->KRValueOf("m_IpAddress");
    const bool router = address != nullptr && std::string(address->KAString()) == kRouter;
    if (router) KelFailAllocationAfter(failAt);
    CDiscoIPv6Agent::DAProcessNewNe(ne);
    if (router) made = KelFailAllocationAfter(-1);
  }
};

struct Outcome {
  std::string router, other;  // status and -220553 reports; status and record
  long made = 0;
};

Outcome Discover(long failAt) {
  FailingAgent agent;
  agent.failAt = failAt;
  CReplayRequester replay(TEST_SOURCE_DIR "/tests/fixtures/snmp/devices");
  std::unique_ptr<CKelRecord> definition = CDiscoEngine::DEMakeAgentDefinition("IPv6");
  CDiscoEngineOptions options;
  options.workers = 2, options.agentDefinition = definition.get();
  Outcome o;
  {
    CDiscoEngine engine(&agent, &replay, options);
    engine.DEStartUp();
    for (const char* ne : {kRouter, kOther}) {
      auto* record = new CKelRecord();
      record->KRAddOrSetValue("m_IpAddress", ne);
      engine.DESubmit(record);
    }
    engine.DEWaitAll();
    o.router = DEStatusName(engine.DEJob(0).status);
    for (const KelErrorReport& e : engine.DEJob(0).errors) o.router += e.code == -220553 ? " -220553" : "";
    const CDiscoJob& other = engine.DEJob(1);
    o.other = std::string(DEStatusName(other.status)) + (other.record ? other.record->KRToString() : "");
  }
  o.made = agent.made;
  return o;
}

TEST(AllocationFailureTest, EachFailedAllocationOfADiscoveryIsReportedAndHarmsNothingElse) {
  KelErrorCapture errors;
  ScopedConfigDirs dirs;
  const Outcome whole = Discover(-1);
  ASSERT_EQ(whole.router, "processed");
  ASSERT_GT(whole.made, 1000);  // the router's allocations are all counted
  std::string failures;
  const long stride = getenv("ALLOC_STRIDE") ? std::max(1L, atol(getenv("ALLOC_STRIDE"))) : kStride;  // 1: all
  for (long n = 0; n < whole.made; n += stride) {
    const pid_t child = fork();  // each in a process of its own, so that a leak is that failure's
    if (child == 0) {
      const Outcome o = Discover(n);
      bool fine = (o.router.rfind("processed -220553", 0) == 0 || o.router.rfind("failed -220553", 0) == 0) &&
                  o.other == whole.other;
#if defined(__SANITIZE_ADDRESS__)
      fine = fine && __lsan_do_recoverable_leak_check() == 0;
#endif
      if (!fine) fprintf(stderr, "allocation %ld: router %s; other %s\n", n, o.router.c_str(), o.other.c_str());
      _exit(fine ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) failures += " " + std::to_string(n);
  }
  EXPECT_EQ(failures, "") << "of " << whole.made << " allocations";
}

}  // namespace
