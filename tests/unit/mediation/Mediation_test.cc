// The mediation layer: what is asked, in which order, and what is kept; the accessors' refusals.
#include "tests/unit/processing/NbrTestUtil.h"

namespace {

using namespace nbrtest;

const char kNe[] = "2001:db8::1";
const char* const kColumns[] = {  // in table order
    "ipv6IfDescr", "ipv6IfLowerLayer", "ipv6IfEffectiveMtu", "ipv6IfReasmMaxSize", "ipv6IfIdentifier",
    "ipv6IfIdentifierLength", "ipv6IfPhysicalAddress", "ipv6IfAdminStatus", "ipv6IfOperStatus",
    "ipv6IfLastChange", "ipv6AddrPfxLength", "ipv6AddrType", "ipv6AddrAnycastFlag", "ipv6AddrStatus",
    "ipv6AddrPrefixOnLinkFlag", "ipv6AddrPrefixAutonomousFlag", "ipv6AddrPrefixAdvPreferredLifetime",
    "ipv6AddrPrefixAdvValidLifetime", "ipv6NetToMediaPhysAddress", "ipv6IfNetToMediaState",
    "ipv6NetToMediaValid", "ipv6RouteIfIndex", "ipv6RouteNextHop", "ipv6RouteType", "ipv6RouteValid"};

TEST(MediationLayerTest, WhatIsAskedInWhichOrderAndWhatIsKept) {
  const std::string gets = "G:sysObjectID G:sysDescr G:ipForwarding G:ipv6Forwarding";
  std::string walks;
  for (const char* c : kColumns) walks += std::string(" W:") + c;
  struct {
    const char* what;
    bool v6Answers, columnsAnswer;
    std::string asked;
    size_t keys;
    const char* dumped;  // at level 4, on stdout or in the trace
  } rows[] = {
      {"every column in table order, no index column", true, true, gets + walks, 29,
       "ipv6IfDescr.1\t= 7\nipv6IfDescr.2\t= <null>\n"},
      {"without ipv6Forwarding no column is walked", false, true, gets, 3,
       "LEAVE : CDiscoIPv6Agent::DADoMediationLayer()\n"},
      {"empty or missing columns are not kept", true, false, gets + walks, 4 + 23,
       "CDiscoIPv6Agent::DADoMediationLayer() found no ---ipv6AddrPrefixOnLinkFlag--- data\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ScopedConfigDirs dirs;
    MibTestAgent agent;
    FakeRequester fake;
    for (const char* s : {"sysObjectID", "sysDescr", "ipForwarding"}) fake.SetGet(kNe, s, 1);
    if (row.v6Answers) fake.SetGet(kNe, "ipv6Forwarding", 1);
    for (const std::string c : kColumns) {
      if (row.columnsAnswer) fake.SetColumn(kNe, c, {Row{{1}, Atom(7)}, {{2}, nullptr}});
      else if (c == "ipv6AddrPrefixOnLinkFlag") fake.SetColumn(kNe, c, {});  // and no ipv6IfDescr
      else if (c != "ipv6IfDescr") fake.SetColumn(kNe, c, {Row{{1}, Atom(7)}});
    }
    for (const char* c : {"ipv6IfIndex", "ipv6AddrAddress", "ipv6RouteDest"})
      fake.SetColumn(kNe, c, {{{1}, nullptr}});
    agent.m_Requester = &fake;
    CKelRecord ne;
    ne.KRAddOrSetValue("m_UniqueAddress", kNe);
    ASSERT_EQ(agent.DACreateAndStoreMedData(&ne), 1);
    KelTraceCapture trace(4);
    KelErrorCapture errors;
    testing::internal::CaptureStdout();
    agent.DADoMediationLayer(&ne);
    const std::string out = testing::internal::GetCapturedStdout() + trace.Text();
    std::string asked;
    for (const FakeRequester::Request& r : fake.Requests()) {
      EXPECT_EQ(r.address + "|" + r.instance, std::string(kNe) + (r.walk ? "|" : "|0"));
      asked += (asked.empty() ? "" : " ") + std::string(r.walk ? "W:" : "G:") + r.object;
    }
    EXPECT_EQ(asked, row.asked);
    EXPECT_EQ(agent.DAGetMediationData(&ne)->DMDGetKeys().size(), row.keys);
    EXPECT_NE(out.find(row.dumped), std::string::npos) << out;
    EXPECT_TRUE(errors.Reports().empty());
  }
}

TEST(MediationLayerTest, WithoutRecordStoreOrRequesterNothingIsAskedOrKept) {
  ScopedConfigDirs dirs;
  MibTestAgent agent;
  FakeRequester fake;
  agent.m_Requester = &fake;
  CKelRecord stranger, ne;
  KelErrorCapture errors;
  agent.DADoMediationLayer(nullptr);
  agent.DADoMediationLayer(&stranger);  // has no mediation data
  agent.DACreateAndStoreMedData(&ne);
  agent.m_Requester = nullptr;
  agent.DADoMediationLayer(&ne);
  const std::string none = "-220439| null ref to mediation data so returning";
  EXPECT_EQ(ReportTexts(errors.Reports()), (std::vector<std::string>{none, none, "-220552"}));
  EXPECT_EQ(fake.Count(), 0);
  EXPECT_TRUE(agent.DAGetMediationData(&ne)->DMDGetKeys().empty());
  CKelSnmpVarOp bare(nullptr, nullptr);
  testing::internal::CaptureStdout();
  agent.DLPrint("col", &bare);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "col.<null>\t= <null>\n");
}

// Out of the neighbour builders' reach: answers without mediation data, the anycast flag's own walk.
TEST(AccessorsTest, AnycastFlagAndAnswersWithoutMediationData) {
  ScopedConfigDirs dirs;
  MibTestAgent agent;
  CDiscoMediationData med;
  Tables t;
  t.Int("ipv6AddrAnycastFlag", AddrIndex(1, "fe80::1"), 2);
  t.Int("ipv6AddrAnycastFlag", AddrIndex(2, "fe80::1"), 1);
  t.Text("ipv6IfDescr", {3}, "eth3");
  t.Text("ipv6IfDescr", {1}, "eth1");
  t.Store(&med);
  CKelASN1Address first(AddrIndex(1, "fe80::1")), second(AddrIndex(2, "fe80::1"));
  CKelAtom ifIndex(1);
  KelErrorCapture errors;
  EXPECT_EQ(agent.DIPv6IsAnycastAddress(&med, &first), E_KBFalse);
  EXPECT_EQ(agent.DIPv6IsAnycastAddress(&med, &second), E_KBTrue);
  EXPECT_EQ(agent.DIPv6IsAnycastAddress(nullptr, &second), E_KBFalse);
  EXPECT_EQ(agent.DIPv6GetIfAttr(nullptr, &ifIndex, "ipv6IfDescr"), nullptr);
  const CKelAtom* descr = agent.DIPv6GetIfAttr(&med, &ifIndex, "ipv6IfDescr");  // by its interface
  EXPECT_STREQ(descr != nullptr ? descr->KAString() : "<none>", "eth1");
  EXPECT_EQ(ReportTexts(errors.Reports()),
            (std::vector<std::string>{"-220439|no Mediation Data so return",
                                      "-220439| Mediation Data or ifIndex Atom null so return"}));
}

}  // namespace
