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

// ipv6IfTable, which the requester fetches whole: ten columns side by side.
const std::string kEntry = "1.3.6.1.2.1.55.1.5.1";
constexpr int kBulk = 0xA5;

// One round of the table's walk: row `i` of each of the ten columns (value
// 10 x column + i); with i = 0, the binding after each column's last row.
std::vector<Binding> Round(int i) {
  std::vector<Binding> binds;
  for (int column = 2; column <= 11; ++column) {
    const std::string after = column < 11 ? kEntry + "." + std::to_string(column + 1) + ".1"
                                          : "1.3.6.1.2.1.55.1.6.0";
    binds.push_back({i > 0 ? kEntry + "." + std::to_string(column) + "." + std::to_string(i) : after,
                     0x02, 10 * column + i});
  }
  return binds;
}
Reply Rows(std::vector<int> rounds, int errorStatus = 0) {
  Reply reply;
  reply.errorStatus = errorStatus;
  for (int i : rounds) {
    std::vector<Binding> round = Round(i);
    reply.binds.insert(reply.binds.end(), round.begin(), round.end());
  }
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
  ScriptedSnmpAgent agent({Rows({}, 1), Rows({}, 1), Rows({1, 2}), Rows({3, 0})});
  ASSERT_NE(agent.Port(), 0);
  KelErrorCapture errors;
  std::unique_ptr<CNetSnmpRequester> live = LiveAt(agent, 8);
  auto record = RecordAt("127.0.0.1");
  EXPECT_THAT(WalkText(live.get(), record.get(), "ipv6IfDescr"),
              ElementsAre("1 = int:21", "2 = int:22", "3 = int:23"));
  std::vector<long> repetitions;
  for (const ScriptedSnmpAgent::Request& request : agent.Requests()) {
    EXPECT_EQ(request.pduType, kBulk);
    repetitions.push_back(request.maxRepetitions);
  }
  EXPECT_THAT(repetitions, ElementsAre(8, 4, 2, 2));
  EXPECT_EQ(agent.Requests().back().oid, kEntry + ".2.2");
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
      {"OID that does not increase", {Rows({1, 2}), Rows({2, 3})}, {"1 = int:21", "2 = int:22"},
       "does not increase"},
      {"OID going back", {Rows({5, 4})}, {"5 = int:25"}, "does not increase"},
      {"empty reply", {Rows({1, 2}), Rows({})}, {"1 = int:21", "2 = int:22"},
       "empty response after 20 rows"},
      {"silent half-way", {Rows({1, 2}), Silence()}, {"1 = int:21", "2 = int:22"},
       "no answer after 20 rows"},
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
    EXPECT_THAT(message, HasSubstr("walk of ipv6IfTable at 127.0.0.1 stopped: "));
    EXPECT_THAT(message, HasSubstr(c.message));
  }
}

TEST(SnmpBrokenAgentTest, GetTakesOnlyTheValueOfTheAskedInstance) {
  const std::string forwarding = "1.3.6.1.2.1.4.1.0";  // ipForwarding
  auto reply = [](std::vector<Binding> binds, int errorStatus = 0) {
    Reply r;
    r.errorStatus = errorStatus;
    r.binds = std::move(binds);
    return r;
  };
  ScriptedSnmpAgent agent({reply({{forwarding, 0x02, 1}}), reply({{"1.3.6.1.2.1.4.2.0", 0x02, 1}}),
                           reply({{forwarding, 0x81, 0}}), reply({{forwarding, 0x82, 0}}),
                           reply({}), reply({{forwarding, 0x02, 1}}, 5), Silence()});
  ASSERT_NE(agent.Port(), 0);
  KelErrorCapture errors;
  std::unique_ptr<CNetSnmpRequester> live = LiveAt(agent, 2);
  auto record = RecordAt("127.0.0.1");
  std::vector<std::string> results;
  for (int i = 0; i < 7; ++i) results.push_back(GetText(live.get(), record.get(), "ipForwarding"));
  EXPECT_THAT(results, ElementsAre("0 = int:1", "<null var-op>", "<null var-op>", "<null var-op>",
                                   "<null var-op>", "<null var-op>", "<null var-op>"));
  EXPECT_EQ(errors.Reports().size(), 0u);
  EXPECT_EQ(live->DSRCounts().noAnswer, 1);
}

}  // namespace
