// The live requester against agents that break the protocol, which no
// simulator does: tooBig, OIDs that do not increase, empty replies, replies
// about other OIDs, silence half-way through a walk.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "host/KelError.h"
#include "snmp/NetSnmpRequester.h"
#include "snmp/RequesterErrors.h"
#include "tests/support/ScriptedSnmpAgent.h"
#include "tests/support/SnmpTestUtil.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Reply = ScriptedSnmpAgent::Reply;
using Binding = ScriptedSnmpAgent::Binding;

const std::string kDescr = "1.3.6.1.2.1.55.1.5.1.2";  // ipv6IfDescr
const std::string kNextColumn = "1.3.6.1.2.1.55.1.5.1.3.1";
constexpr int kBulk = 0xA5;

Binding Row(int i, long long value) { return {kDescr + "." + std::to_string(i), 0x02, value}; }
Reply Rows(std::vector<Binding> binds, int errorStatus = 0) {
  Reply reply;
  reply.errorStatus = errorStatus;
  reply.binds = std::move(binds);
  return reply;
}
Reply Silence() {
  Reply reply;
  reply.silent = true;
  return reply;
}

std::unique_ptr<CNetSnmpRequester> LiveAt(const ScriptedSnmpAgent& agent, int repetitions) {
  CNetSnmpOptions options;
  options.port = agent.Port();
  options.maxRepetitions = repetitions;
  options.timeoutMs = 300;
  options.retries = 0;  // each request is one reply of the script
  return CNetSnmpRequester::Create(options, nullptr);
}

TEST(SnmpBrokenAgentTest, TooBigShrinksTheRepetitions) {
  ScriptedSnmpAgent agent({Rows({}, 1), Rows({}, 1), Rows({Row(1, 10), Row(2, 20)}),
                       Rows({Row(3, 30), {kNextColumn, 0x02, 7}})});
  ASSERT_NE(agent.Port(), 0);
  KelErrorCapture errors;
  std::unique_ptr<CNetSnmpRequester> live = LiveAt(agent, 8);
  auto record = RecordAt("127.0.0.1");
  EXPECT_THAT(WalkText(live.get(), record.get(), "ipv6IfDescr"),
              ElementsAre("1 = int:10", "2 = int:20", "3 = int:30"));
  std::vector<long> repetitions;
  for (const ScriptedSnmpAgent::Request& request : agent.Requests()) {
    EXPECT_EQ(request.pduType, kBulk);
    repetitions.push_back(request.maxRepetitions);
  }
  EXPECT_THAT(repetitions, ElementsAre(8, 4, 2, 2));
  EXPECT_EQ(agent.Requests().back().oid, kDescr + ".2");
  EXPECT_EQ(errors.Reports().size(), 0u);
  EXPECT_EQ(live->DSRCounts().pdus, 4);
}

TEST(SnmpBrokenAgentTest, BrokenRepliesStopTheWalkWithAReport) {
  struct Case {
    const char* what;
    std::vector<Reply> script;
    std::vector<std::string> rows;
    const char* message;
  } cases[] = {
      {"OID that does not increase",
       {Rows({Row(1, 1), Row(2, 2)}), Rows({Row(2, 2), Row(3, 3)})},
       {"1 = int:1", "2 = int:2"},
       "does not increase"},
      {"OID going back", {Rows({Row(5, 5), Row(4, 4)})}, {"5 = int:5"}, "does not increase"},
      {"empty reply", {Rows({Row(1, 1), Row(2, 2)}), Rows({})}, {"1 = int:1", "2 = int:2"},
       "empty response after 2 rows"},
      {"silent half-way", {Rows({Row(1, 1), Row(2, 2)}), Silence()}, {"1 = int:1", "2 = int:2"},
       "no answer after 2 rows"},
      {"genErr", {Rows({}, 5)}, {}, "error-status 5 after 0 rows"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedSnmpAgent agent(c.script);
    ASSERT_NE(agent.Port(), 0);
    KelErrorCapture errors;
    std::unique_ptr<CNetSnmpRequester> live = LiveAt(agent, 2);
    EXPECT_EQ(WalkText(live.get(), RecordAt("127.0.0.1").get(), "ipv6IfDescr"), c.rows);
    ASSERT_EQ(errors.Count(snmp::kErrWalkStopped), 1);
    const std::string message = errors.Reports()[0].message;
    EXPECT_THAT(message, HasSubstr("walk of ipv6IfDescr at 127.0.0.1 stopped: "));
    EXPECT_THAT(message, HasSubstr(c.message));
  }
}

TEST(SnmpBrokenAgentTest, GetTakesOnlyTheValueOfTheAskedInstance) {
  const std::string forwarding = "1.3.6.1.2.1.55.1.1.0";
  ScriptedSnmpAgent agent({Rows({{forwarding, 0x02, 1}}), Rows({{"1.3.6.1.2.1.55.1.2.0", 0x02, 1}}),
                       Rows({{forwarding, 0x81, 0}}), Rows({{forwarding, 0x82, 0}}),
                       Rows({}), Rows({{forwarding, 0x02, 1}}, 5), Silence()});
  ASSERT_NE(agent.Port(), 0);
  KelErrorCapture errors;
  std::unique_ptr<CNetSnmpRequester> live = LiveAt(agent, 2);
  auto record = RecordAt("127.0.0.1");
  std::vector<std::string> results;
  for (int i = 0; i < 7; ++i) results.push_back(GetText(live.get(), record.get(), "ipv6Forwarding"));
  EXPECT_THAT(results, ElementsAre("0 = int:1", "<null var-op>", "<null var-op>", "<null var-op>",
                                   "<null var-op>", "<null var-op>", "<null var-op>"));
  EXPECT_EQ(errors.Reports().size(), 0u);
  EXPECT_EQ(live->DSRCounts().noAnswer, 1);
}

}  // namespace
