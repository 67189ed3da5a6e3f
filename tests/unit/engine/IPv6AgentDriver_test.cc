// The engine driving the real IPv6 agent through the paths that need no
// name service or device: the start-up gate, a missing agent definition
// and a missing start-up thread.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "agent/CDiscoIPv6Agent.h"
#include "engine/CDiscoEngine.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "tests/support/FakeRequester.h"
#include "tests/support/TempDir.h"

namespace {

using std::chrono::milliseconds;

const char kMissingDefinition[] = "The agent definition is missing, please check the agnt file !";

CKelRecord* NewNe(int i) {
  auto* ne = new CKelRecord();
  ne->KRAddOrSetValue("m_IpAddress", ("192.0.2." + std::to_string(i)).c_str());
  return ne;
}

const char* Text(const CKelRecord* record, const char* field) {
  const CKelAtom* value = record != nullptr ? record->KRValueOf(field) : nullptr;
  return value != nullptr ? value->KAString() : nullptr;
}

int Count(const CDiscoJob& job, int code) {
  int n = 0;
  for (const KelErrorReport& r : job.errors) n += r.code == code;
  return n;
}

class IPv6AgentDriverTest : public ::testing::Test {
 protected:
  ScopedConfigDirs dirs;  // no configuration files: the agent's defaults
  KelErrorCapture errors;
  FakeRequester requester;
  std::unique_ptr<CDiscoIPv6Agent> agent{new CDiscoIPv6Agent()};
};

TEST_F(IPv6AgentDriverTest, MissingDefinitionFailsEveryNeWithItsOwnReport) {
  CDiscoEngineOptions options;
  options.workers = 3;
  CDiscoEngine engine(agent.get(), &requester, options);
  engine.DEStartUp();
  for (int i = 1; i <= 6; ++i) engine.DESubmit(NewNe(i));
  ASSERT_TRUE(engine.DEWaitAll(milliseconds(20000)));
  for (size_t i = 0; i < engine.DEJobCount(); ++i) {
    const CDiscoJob& job = engine.DEJob(i);
    SCOPED_TRACE("job " + std::to_string(i));
    EXPECT_EQ(job.status, E_DJSFailed) << DEStatusName(job.status);
    ASSERT_NE(job.record, nullptr);
    EXPECT_STREQ(Text(job.record.get(), "m_UpdAgent"), "IPv6");
    ASSERT_NE(job.record->KRValueOf("m_FailedFlag"), nullptr);
    EXPECT_EQ(job.record->KRValueOf("m_FailedFlag")->KAInt(), 1);
    ASSERT_EQ(job.errors.size(), 1u);
    EXPECT_EQ(job.errors[0].code, -220439);
    EXPECT_EQ(job.errors[0].message, kMissingDefinition);
  }
  EXPECT_EQ(errors.Count(-220439, kMissingDefinition), 6);
  EXPECT_EQ(requester.Count(), 0);  // nothing was asked of any device
}

TEST_F(IPv6AgentDriverTest, WithoutStartUpThreadEachNeReportsItAndGoesOn) {
  CDiscoEngineOptions options;
  options.workers = 2;
  options.startUpThread = false;
  CDiscoEngine engine(agent.get(), &requester, options);
  for (int i = 1; i <= 4; ++i) engine.DESubmit(NewNe(i));
  // No start-up call: without a start-up thread nobody waits.
  ASSERT_TRUE(engine.DEWaitAll(milliseconds(20000)));
  for (size_t i = 0; i < engine.DEJobCount(); ++i) {
    const CDiscoJob& job = engine.DEJob(i);
    EXPECT_EQ(Count(job, -220552), 1) << "job " << i;
    EXPECT_EQ(Count(job, -220439), 1) << "job " << i;
    EXPECT_EQ(job.status, E_DJSFailed) << "job " << i;
  }
}

TEST_F(IPv6AgentDriverTest, NesWaitAtTheGateUntilStartUpIsDone) {
  KelTraceCapture trace(4);
  CDiscoEngineOptions options;
  options.workers = 2;
  CDiscoEngine engine(agent.get(), &requester, options);
  engine.DESubmit(NewNe(1));
  engine.DESubmit(NewNe(2));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (trace.Count("Start-up still being done - start wait.") < 2 &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(milliseconds(5));
  }
  ASSERT_EQ(trace.Count("Start-up still being done - start wait."), 2) << trace.Text();
  EXPECT_EQ(engine.DEDoneCount(), 0u);
  EXPECT_FALSE(trace.Contains("Start-up finished - continue."));

  engine.DEStartUp();
  ASSERT_TRUE(engine.DEWaitAll(milliseconds(20000)));
  EXPECT_EQ(trace.Count("Start-up finished - continue."), 2);

  // A record that comes after start-up passes at once.
  engine.DESubmit(NewNe(3));
  ASSERT_TRUE(engine.DEWaitAll(milliseconds(20000)));
  EXPECT_EQ(trace.Count("Finished doing start-up stuff continue."), 1);
  EXPECT_EQ(trace.Count("Start-up still being done - start wait."), 2);
}

}  // namespace
