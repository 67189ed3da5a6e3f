// The column walk and the single GET against scripted agents.
#include <deque>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "snmp/ColumnWalk.h"

namespace {

using snmp::EPduOutcome;
using snmp::EWireType;
using snmp::Oid;
using snmp::PduReply;
using snmp::VarBind;

const Oid kColumn{1, 3, 6, 1, 2, 1, 55, 1, 5, 1, 2};

Oid Row(uint32_t i) {
  Oid oid = kColumn;
  oid.push_back(i);
  return oid;
}

VarBind Bind(const Oid& oid, long long value = 1) {
  VarBind bind;
  bind.oid = oid;
  bind.value.type = EWireType::kInteger;
  bind.value.integer = value;
  return bind;
}

VarBind Exception(const Oid& oid, EWireType type) {
  VarBind bind;
  bind.oid = oid;
  bind.value.type = type;
  return bind;
}

PduReply Answer(std::vector<VarBind> binds, long errorStatus = 0) {
  PduReply reply;
  reply.outcome = EPduOutcome::kAnswer;
  reply.errorStatus = errorStatus;
  reply.binds = std::move(binds);
  return reply;
}

PduReply Silence() { return PduReply(); }

// Replies from a script, recording what was asked.
class ScriptedChannel : public snmp::PduChannel {
 public:
  explicit ScriptedChannel(std::deque<PduReply> script) : m_Script(std::move(script)) {}
  PduReply Get(const Oid& oid) override { return Next("get " + snmp::OidText(oid)); }
  PduReply GetNext(const Oid& oid) override { return Next("next " + snmp::OidText(oid)); }
  PduReply GetBulk(const Oid& oid, int reps) override {
    return Next("bulk " + std::to_string(reps) + " " + snmp::OidText(oid));
  }
  std::vector<std::string> asked;

 private:
  PduReply Next(const std::string& request) {
    asked.push_back(request);
    if (m_Script.empty()) {
      ADD_FAILURE() << "request beyond the script: " << request;
      return Silence();
    }
    PduReply reply = m_Script.front();
    m_Script.pop_front();
    return reply;
  }
  std::deque<PduReply> m_Script;
};

std::vector<std::string> RowTexts(const snmp::WalkResult& result) {
  std::vector<std::string> rows;
  for (const VarBind& bind : result.rows) {
    rows.push_back(snmp::OidText(snmp::OidSuffix(bind.oid, kColumn.size())));
  }
  return rows;
}

snmp::WalkOptions Bulk(int reps) {
  snmp::WalkOptions options;
  options.maxRepetitions = reps;
  return options;
}

const std::string kCol = snmp::OidText(kColumn);

TEST(ColumnWalkTest, BulkWalkEndsAtTheFirstBindingOutsideTheColumn) {
  Oid next{1, 3, 6, 1, 2, 1, 55, 1, 5, 1, 3, 1};
  ScriptedChannel channel({Answer({Bind(Row(1)), Bind(Row(2)), Bind(Row(5))}),
                           Answer({Bind(Row(7)), Bind(next), Bind(next)})});
  snmp::WalkResult result = snmp::WalkColumn(&channel, kColumn, Bulk(3));
  EXPECT_TRUE(result.answered);
  EXPECT_EQ(result.error, "");
  EXPECT_EQ(RowTexts(result), (std::vector<std::string>{"1", "2", "5", "7"}));
  EXPECT_EQ(result.requests, 2);
  EXPECT_EQ(channel.asked,
            (std::vector<std::string>{"bulk 3 " + kCol, "bulk 3 " + kCol + ".5"}));
}

TEST(ColumnWalkTest, GetNextWalkEndsAtEndOfMibViewOrNoSuchName) {
  ScriptedChannel v2({Answer({Bind(Row(1))}),
                      Answer({Exception(Row(1), EWireType::kEndOfMibView)})});
  snmp::WalkOptions next;
  next.bulk = false;
  snmp::WalkResult result = snmp::WalkColumn(&v2, kColumn, next);
  EXPECT_EQ(RowTexts(result), (std::vector<std::string>{"1"}));
  EXPECT_EQ(result.error, "");
  EXPECT_EQ(v2.asked, (std::vector<std::string>{"next " + kCol, "next " + kCol + ".1"}));

  ScriptedChannel v1({Answer({Bind(Row(3))}), Answer({Bind(Row(3))}, snmp::kErrNoSuchName)});
  result = snmp::WalkColumn(&v1, kColumn, next);
  EXPECT_EQ(RowTexts(result), (std::vector<std::string>{"3"}));
  EXPECT_EQ(result.error, "");
}

TEST(ColumnWalkTest, EmptyColumnAndSilentDevice) {
  ScriptedChannel empty({Answer({Bind({1, 3, 6, 1, 2, 1, 55, 1, 5, 1, 3, 1})})});
  snmp::WalkResult result = snmp::WalkColumn(&empty, kColumn, Bulk(10));
  EXPECT_TRUE(result.answered);
  EXPECT_TRUE(result.rows.empty());
  EXPECT_EQ(result.error, "");

  ScriptedChannel silent({Silence()});
  result = snmp::WalkColumn(&silent, kColumn, Bulk(10));
  EXPECT_FALSE(result.answered);
  EXPECT_EQ(result.error, "");
  EXPECT_EQ(result.requests, 1);
}

TEST(ColumnWalkTest, TooBigHalvesTheRepetitions) {
  ScriptedChannel channel({Answer({}, snmp::kErrTooBig), Answer({}, snmp::kErrTooBig),
                           Answer({Bind(Row(1)), Bind(Row(2))}),
                           Answer({Bind(Row(3)), Exception(Row(3), EWireType::kEndOfMibView)})});
  snmp::WalkResult result = snmp::WalkColumn(&channel, kColumn, Bulk(10));
  EXPECT_EQ(RowTexts(result), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(result.error, "");
  EXPECT_EQ(channel.asked, (std::vector<std::string>{"bulk 10 " + kCol, "bulk 5 " + kCol,
                                                     "bulk 2 " + kCol, "bulk 2 " + kCol + ".2"}));
}

TEST(ColumnWalkTest, BrokenRepliesStopTheWalkWithTheRowsSoFar) {
  struct Case {
    const char* what;
    std::deque<PduReply> script;
    snmp::WalkOptions options;
    std::vector<std::string> rows;
    const char* error;
  } cases[] = {
      {"OID repeated",
       {Answer({Bind(Row(1)), Bind(Row(2))}), Answer({Bind(Row(2))})},
       Bulk(2),
       {"1", "2"},
       "OID 1.3.6.1.2.1.55.1.5.1.2.2 does not increase on 1.3.6.1.2.1.55.1.5.1.2.2 after 2 rows"},
      {"OID going back inside one reply",
       {Answer({Bind(Row(4)), Bind(Row(3))})},
       Bulk(2),
       {"4"},
       "OID 1.3.6.1.2.1.55.1.5.1.2.3 does not increase on 1.3.6.1.2.1.55.1.5.1.2.4 after 1 row"},
      {"empty reply", {Answer({Bind(Row(1))}), Answer({})}, Bulk(1), {"1"},
       "empty response after 1 row"},
      {"silent after the first reply", {Answer({Bind(Row(1))}), Silence()}, Bulk(1), {"1"},
       "no answer after 1 row"},
      {"genErr", {Answer({Bind(Row(1))}, 5)}, Bulk(4), {}, "error-status 5 after 0 rows"},
      {"tooBig at one repetition",
       {Answer({}, snmp::kErrTooBig), Answer({}, snmp::kErrTooBig)},
       Bulk(2),
       {},
       "error-status 1 after 0 rows"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedChannel channel(c.script);
    snmp::WalkResult result = snmp::WalkColumn(&channel, kColumn, c.options);
    EXPECT_TRUE(result.answered);
    EXPECT_EQ(RowTexts(result), c.rows);
    EXPECT_EQ(result.error, c.error);
  }
}

TEST(ColumnWalkTest, FailedRequestAndRowLimit) {
  PduReply failed;
  failed.outcome = EPduOutcome::kFailed;
  failed.detail = "Authentication failure";
  ScriptedChannel channel({failed});
  snmp::WalkResult result = snmp::WalkColumn(&channel, kColumn, Bulk(4));
  EXPECT_FALSE(result.answered);
  EXPECT_EQ(result.error, "request failed (Authentication failure) after 0 rows");

  ScriptedChannel endless({Answer({Bind(Row(1)), Bind(Row(2)), Bind(Row(3))})});
  snmp::WalkOptions limited = Bulk(3);
  limited.maxRows = 2;
  result = snmp::WalkColumn(&endless, kColumn, limited);
  EXPECT_EQ(RowTexts(result), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(result.error, "too many rows after 2 rows");
}

TEST(ColumnWalkTest, GetExactTakesOnlyTheValueOfTheAskedOid) {
  const Oid asked{1, 3, 6, 1, 2, 1, 55, 1, 1, 0};
  struct Case {
    const char* what;
    PduReply reply;
    bool ok;
    EPduOutcome outcome;
  } cases[] = {
      {"value", Answer({Bind(asked, 1)}), true, EPduOutcome::kAnswer},
      {"noSuchObject", Answer({Exception(asked, EWireType::kNoSuchObject)}), false,
       EPduOutcome::kAnswer},
      {"noSuchInstance", Answer({Exception(asked, EWireType::kNoSuchInstance)}), false,
       EPduOutcome::kAnswer},
      {"v1 noSuchName", Answer({Bind(asked)}, snmp::kErrNoSuchName), false,
       EPduOutcome::kAnswer},
      {"another OID", Answer({Bind({1, 3, 6, 1, 2, 1, 55, 1, 2, 0})}), false,
       EPduOutcome::kAnswer},
      {"no binding", Answer({}), false, EPduOutcome::kAnswer},
      {"silence", Silence(), false, EPduOutcome::kNoAnswer},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedChannel channel({c.reply});
    VarBind out;
    EPduOutcome outcome = EPduOutcome::kFailed;
    std::string detail = "x";
    EXPECT_EQ(snmp::GetExact(&channel, asked, &out, &outcome, &detail), c.ok);
    EXPECT_EQ(outcome, c.outcome);
    if (c.ok) {
      EXPECT_EQ(out.value.integer, 1);
    }
  }
}

}  // namespace
