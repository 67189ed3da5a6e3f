// A large router (5000 addresses, routes and neighbour-cache entries)
// goes through the process layer in time that grows about linearly with
// its tables. Inside the sandbox, so that the thousands of reverse lookups
// of addresses without names are answered at once from the hosts file.
#include "tests/support/LargeRouter.h"

#include <chrono>
#include <iostream>
#include <string>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/CKelValidAddress.h"
#include "host/KelError.h"
#include "tests/support/NbrRecordText.h"
#include "tests/support/TempDir.h"

namespace {

class ProcessAgent : public CDiscoIPv6Agent {
 public:
  using CDiscoIPv6Agent::DADoProcessLayer;
};

struct Timing {
  double seconds = 0;
  size_t locals = 0;
  size_t remotes = 0;
  bool shapeOk = true;
  int reports = 0;
};

Timing ProcessLargeRouter(int n) {
  ScopedConfigDirs dirs;
  ProcessAgent agent;
  CKelValidAddress validator;
  agent.m_ValidAddr = &validator;
  CKelRecord ne;
  ne.KRAddOrSetValue("m_IpAddress", "198.51.100.99");
  agent.DACreateAndStoreMedData(&ne);
  agent.DACreateAndStoreProcData(&ne);
  FillLargeRouter(agent.DAGetMediationData(&ne), n);
  KelErrorCapture errors;
  const auto start = std::chrono::steady_clock::now();
  agent.DADoProcessLayer(&ne);
  Timing run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.reports = static_cast<int>(errors.Reports().size());
  const CDiscoProcessedData* proc = agent.DAGetProcessedData(&ne);
  for (const CDiscoProcessedData::LocalNbr& local : proc->DPDLocalNbrs()) {
    ++run.locals;
    run.remotes += local.remotes.size();
    run.shapeOk = run.shapeOk && local.remotes.size() == 3;
  }
  return run;
}

TEST(LargeRouterTest, FiveThousandOfEachStaysFastAndComplete) {
  const Timing small = ProcessLargeRouter(1250);
  const Timing large = ProcessLargeRouter(5000);
  std::cout << "large router: 1250 -> " << small.seconds << " s, 5000 -> " << large.seconds
            << " s (" << large.locals << " local, " << large.remotes << " remote records, "
            << large.reports << " reports)\n";
  EXPECT_EQ(large.locals, 5000u);
  EXPECT_EQ(large.remotes, 15000u);
  EXPECT_TRUE(large.shapeOk);
  // Every address and every remote neighbour lacks a name: one lookup
  // report each, one "no DNS name" report per local neighbour.
  EXPECT_EQ(large.reports, 5000 * 2 + 7500);
  // Four times the tables: about four times the time (sixteen if
  // quadratic; the column walks of the accessors alone would take hours).
  EXPECT_LT(large.seconds, 10 * small.seconds + 0.5);
  EXPECT_LT(large.seconds, 60.0);
}

}  // namespace
