// The column walk and the single GET against scripted channels.
#include <sstream>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "snmp/ColumnWalk.h"

namespace {

using snmp::EPduOutcome, snmp::EWireType, snmp::Oid, snmp::PduReply;
using Oids = std::vector<Oid>;

const Oid kColumn{1, 2};  // the walk reads any column alike

// A reply: "silent", "failed", or bindings "N" (row N, INTEGER 1), "N!" / "No" / "Ni" (endOfMibView /
// noSuchObject / noSuchInstance), "x" (the next column), "none", with "errS" for error-status S.
PduReply Reply(const std::string& text) {
  if (text == "silent") return {};
  if (text == "failed") return {EPduOutcome::kFailed, 0, 0, {}, "Authentication failure"};
  PduReply reply{EPduOutcome::kAnswer, 0, 0, {}, ""};
  std::istringstream in(text);
  for (std::string t; in >> t;) {
    if (t.rfind("err", 0) == 0) reply.errorStatus = std::stol(t.substr(3));
    if (t != "x" && !isdigit(t[0])) continue;
    Oid oid = kColumn;
    if (t == "x") oid.back() = 3;
    oid.push_back(t == "x" ? 1 : std::stoul(t));
    const char k = t.back();
    const EWireType type = k == '!' ? EWireType::kEndOfMibView : k == 'o' ? EWireType::kNoSuchObject
                           : k == 'i' ? EWireType::kNoSuchInstance : EWireType::kInteger;
    reply.binds.push_back({oid, {type, 1, 0, "", {}}});
  }
  return reply;
}

// Replies from a script of replies separated by "|", recording what was asked.
struct ScriptedChannel : snmp::PduChannel {
  explicit ScriptedChannel(const std::string& text) {
    std::istringstream in(text);
    for (std::string reply; std::getline(in, reply, '|');) script.push_back(Reply(reply));
  }
  PduReply Get(const Oid& oid) override { return Next("get", oid); }
  PduReply GetNext(const Oids& o) override { return Next("next", o[0]); }
  PduReply GetBulk(const Oids& o, int n) override { return Next("bulk " + std::to_string(n), o[0]); }
  PduReply Next(const std::string& pdu, const Oid& oid) {
    const std::string request = pdu + " " + snmp::OidText(oid);
    asked += (count++ ? ", " : "") + request;
    EXPECT_LE(count, static_cast<int>(script.size())) << "request beyond the script: " << request;
    return count <= static_cast<int>(script.size()) ? script[count - 1] : PduReply();
  }
  std::vector<PduReply> script;
  std::string asked;
  int count = 0;
};

TEST(ColumnWalkTest, WalksEndCleanlyOrWithTheRowsSoFarAndAReason) {
  const struct {
    const char *what, *script;
    int repetitions, maxRows;  // repetitions 0: GETNEXT
    const char *rows, *error;
    bool answered;
    const char* asked;  // "" not checked
  } rows[] = {
      {"bulk ends outside the column", "1 2 5|7 x x", 3, 9, "1 2 5 7", "", true, "bulk 3 1.2, bulk 3 1.2.5"},
      {"getnext ends at endOfMibView", "1|1!", 0, 9, "1", "", true, "next 1.2, next 1.2.1"},
      {"getnext ends at v1 noSuchName", "3|err2 3", 0, 9, "3", "", true, ""},
      {"empty column", "x", 10, 9, "", "", true, "bulk 10 1.2"},
      {"silent device", "silent", 10, 9, "", "", false, "bulk 10 1.2"},
      {"tooBig halves the repetitions", "err1|err1|1 2|3 3!", 10, 9, "1 2 3", "", true,
       "bulk 10 1.2, bulk 5 1.2, bulk 2 1.2, bulk 2 1.2.2"},
      {"tooBig at one repetition", "err1|err1", 2, 9, "", "error-status 1 (tooBig) after 0 rows", true, ""},
      {"OID repeated", "1 2|2", 2, 9, "1 2", "OID 1.2.2 does not increase on 1.2.2 after 2 rows", true, ""},
      {"empty reply", "1|none", 1, 9, "1", "empty response after 1 row", true, ""},
      {"genErr", "err5 1", 4, 9, "", "error-status 5 (genErr) after 0 rows", true, ""},
      {"noSuchName to a bulk", "1|err2 2", 1, 9, "1", "error-status 2 (noSuchName) after 1 row", true, ""},
      {"failed", "failed", 4, 9, "", "request failed (Authentication failure) after 0 rows", false, ""},
      {"row limit", "1 2 3", 3, 2, "1 2", "too many rows after 2 rows", true, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ScriptedChannel channel(row.script);
    snmp::WalkOptions o;
    o.bulk = row.repetitions > 0, o.maxRepetitions = row.repetitions, o.maxRows = row.maxRows;
    const snmp::WalkResult result = snmp::WalkColumn(&channel, kColumn, o);
    std::string rows;
    for (const auto& bind : result.rows) rows += (rows.empty() ? "" : " ") + std::to_string(bind.oid.back());
    EXPECT_EQ(rows, row.rows);
    EXPECT_EQ(result.error, row.error);
    EXPECT_EQ(result.answered, row.answered);
    EXPECT_EQ(result.requests, channel.count);
    EXPECT_EQ(channel.asked, *row.asked ? row.asked : channel.asked);
  }
}

TEST(ColumnWalkTest, GetExactTakesOnlyTheValueOfTheAskedOid) {
  for (const char* reply : {"1", "1o", "1i", "err2 1", "err5 1", "2", "none", "silent"}) {
    SCOPED_TRACE(reply);
    ScriptedChannel channel(reply);
    snmp::VarBind out;
    EPduOutcome outcome = EPduOutcome::kFailed;
    std::string detail;
    const bool value = std::string(reply) == "1";
    EXPECT_EQ(snmp::GetExact(&channel, {1, 2, 1}, &out, &outcome, &detail), value);
    EXPECT_EQ(out.value.integer, value ? 1 : out.value.integer);
    EXPECT_EQ(outcome, *reply == 's' ? EPduOutcome::kNoAnswer : EPduOutcome::kAnswer);
    EXPECT_EQ(detail, std::string(reply) == "err5 1" ? "error-status 5 (genErr)" : "");
  }
}

}  // namespace
