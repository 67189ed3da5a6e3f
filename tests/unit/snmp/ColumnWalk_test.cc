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

VarBind Bind(const Oid& oid, long long value = 1, EWireType type = EWireType::kInteger) {
  VarBind bind;
  bind.oid = oid;
  bind.value.type = type;
  bind.value.integer = value;
  return bind;
}
VarBind Exception(const Oid& oid, EWireType type) { return Bind(oid, 0, type); }

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
  PduReply GetNext(const std::vector<Oid>& oids) override { return Next("next " + snmp::OidText(oids.front())); }
  PduReply GetBulk(const std::vector<Oid>& oids, int reps) override {
    return Next("bulk " + std::to_string(reps) + " " + snmp::OidText(oids.front()));
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

snmp::WalkOptions Bulk(int reps, int maxRows = 0) {
  snmp::WalkOptions options;
  options.maxRepetitions = reps;
  if (maxRows > 0) options.maxRows = maxRows;
  return options;
}
snmp::WalkOptions Next() {
  snmp::WalkOptions options;
  options.bulk = false;
  return options;
}

const std::string kCol = snmp::OidText(kColumn);

TEST(ColumnWalkTest, WalksEndCleanlyOrWithTheRowsSoFarAndAReason) {
  const Oid next{1, 3, 6, 1, 2, 1, 55, 1, 5, 1, 3, 1};
  PduReply failed;
  failed.outcome = EPduOutcome::kFailed;
  failed.detail = "Authentication failure";
  using Texts = std::vector<std::string>;
  struct Case {
    const char* what;
    std::deque<PduReply> script;
    snmp::WalkOptions options;
    Texts rows;
    const char* error;
    bool answered;
    Texts asked;  // empty: not checked
  } cases[] = {
      {"bulk ends at the first binding outside the column",
       {Answer({Bind(Row(1)), Bind(Row(2)), Bind(Row(5))}), Answer({Bind(Row(7)), Bind(next), Bind(next)})},
       Bulk(3), {"1", "2", "5", "7"}, "", true, {"bulk 3 " + kCol, "bulk 3 " + kCol + ".5"}},
      {"getnext ends at endOfMibView",
       {Answer({Bind(Row(1))}), Answer({Exception(Row(1), EWireType::kEndOfMibView)})},
       Next(), {"1"}, "", true, {"next " + kCol, "next " + kCol + ".1"}},
      {"getnext ends at v1 noSuchName",
       {Answer({Bind(Row(3))}), Answer({Bind(Row(3))}, snmp::kErrNoSuchName)}, Next(), {"3"}, "",
       true, {}},
      {"empty column", {Answer({Bind(next)})}, Bulk(10), {}, "", true, {"bulk 10 " + kCol}},
      {"silent device", {Silence()}, Bulk(10), {}, "", false, {"bulk 10 " + kCol}},
      {"tooBig halves the repetitions",
       {Answer({}, snmp::kErrTooBig), Answer({}, snmp::kErrTooBig),
        Answer({Bind(Row(1)), Bind(Row(2))}),
        Answer({Bind(Row(3)), Exception(Row(3), EWireType::kEndOfMibView)})},
       Bulk(10), {"1", "2", "3"}, "", true,
       {"bulk 10 " + kCol, "bulk 5 " + kCol, "bulk 2 " + kCol, "bulk 2 " + kCol + ".2"}},
      {"tooBig at one repetition", {Answer({}, snmp::kErrTooBig), Answer({}, snmp::kErrTooBig)},
       Bulk(2), {}, "error-status 1 after 0 rows", true, {}},
      {"OID repeated", {Answer({Bind(Row(1)), Bind(Row(2))}), Answer({Bind(Row(2))})}, Bulk(2),
       {"1", "2"},
       "OID 1.3.6.1.2.1.55.1.5.1.2.2 does not increase on 1.3.6.1.2.1.55.1.5.1.2.2 after 2 rows",
       true, {}},
      {"OID going back inside one reply", {Answer({Bind(Row(4)), Bind(Row(3))})}, Bulk(2), {"4"},
       "OID 1.3.6.1.2.1.55.1.5.1.2.3 does not increase on 1.3.6.1.2.1.55.1.5.1.2.4 after 1 row",
       true, {}},
      {"empty reply", {Answer({Bind(Row(1))}), Answer({})}, Bulk(1), {"1"},
       "empty response after 1 row", true, {}},
      {"silent after the first reply", {Answer({Bind(Row(1))}), Silence()}, Bulk(1), {"1"},
       "no answer after 1 row", true, {}},
      {"genErr", {Answer({Bind(Row(1))}, 5)}, Bulk(4), {}, "error-status 5 after 0 rows", true, {}},
      {"failed request", {failed}, Bulk(4), {},
       "request failed (Authentication failure) after 0 rows", false, {}},
      {"row limit", {Answer({Bind(Row(1)), Bind(Row(2)), Bind(Row(3))})}, Bulk(3, 2), {"1", "2"},
       "too many rows after 2 rows", true, {}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedChannel channel(c.script);
    snmp::WalkResult result = snmp::WalkColumn(&channel, kColumn, c.options);
    EXPECT_EQ(result.answered, c.answered);
    EXPECT_EQ(RowTexts(result), c.rows);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(result.requests, static_cast<int>(channel.asked.size()));
    if (!c.asked.empty()) {
      EXPECT_EQ(channel.asked, c.asked);
    }
  }
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
