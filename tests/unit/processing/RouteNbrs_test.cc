// Remote neighbours from the routing table: which routes make one, what
// a record holds, and the two working operations behind it.
#include "tests/unit/processing/NbrTestUtil.h"

namespace {

using nbrtest::ScopedNames;
using nbrtest::Tables;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char kOwn[] = "2001:db8:1::1";
const std::vector<std::pair<std::string, std::string>> kNames = {
    {"2001:db8:1::fe", "gw1"}, {"2001:db8:1::fd", "gw2"}, {"2001:db8:9::1", "far"},
    {"fec0::9", "site"},       {"::192.0.2.9", "compat"}, {"4000::9", "unknown"},
    {"2001:db8:1::5", "h5"},   {"2001:db8:1::1", "own"}};

class RouteNbrsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    agent_ = std::make_unique<nbrtest::ProcessAgent>();
    agent_->m_ValidAddr = &validator_;
  }
  // The NE's own address 2001:db8:1::1/64 on interface 2, in its address
  // table and (unless `withOwnList` is false) in its own address list.
  void Store(bool withOwnList = true) {
    tables_.Address(2, kOwn, 64);
    tables_.Store(&med_);
    if (withOwnList) {
      ASSERT_EQ(agent_->DIPv6BuildLocalIpList(&med_), 1);
    }
  }
  CKelTreeList* Routes() {
    errors_.Clear();
    return agent_->DIPv6GetRemoteNbrFromIpRoutingTable(&med_);
  }
  void TearDown() override { agent_->DIPv6RemoveLocalIpList(&med_); }
  std::vector<std::string> Reports() const { return ReportTexts(errors_.Reports()); }

  ScopedConfigDirs dirs_;
  ScopedNames names_{kNames};
  Tables tables_;
  CDiscoMediationData med_;
  CKelValidAddress validator_;
  std::unique_ptr<nbrtest::ProcessAgent> agent_;
  KelErrorCapture errors_;
};

TEST_F(RouteNbrsTest, NextHopScopeDecidesAndGivesTheClass) {
  struct Case {
    const char* nextHop;
    const char* scopeClass;  // null: not a neighbour
  } cases[] = {{"2001:db8:9::1", "3"}, {"fec0::9", "2"},
               {kOwn, "3"},  // no own address list: the NE itself is remote too
               {"::192.0.2.9", "0"},   {"4000::9", "3"},
               {"fe80::9", nullptr},   {"::", nullptr},
               {"ff02::9", nullptr},   {"::ffff:192.0.2.9", nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nextHop);
    tables_ = Tables();
    tables_.Route("2001:db8:20::", 48, 1, 2, c.nextHop);
    Store(false);
    KelTraceCapture trace(4);
    CKelTreeList* tree = Routes();
    if (c.scopeClass == nullptr) {
      EXPECT_EQ(tree, nullptr);
      EXPECT_EQ(trace.Count(" is NOT site-local/global\n"), 1);
    } else {
      const std::vector<FieldTexts> records = TreeRecordsText(tree, 2);
      ASSERT_EQ(records.size(), 1u);
      EXPECT_EQ(records[0][2], std::string("m_RemoteNbrIpScope=") + c.scopeClass);
    }
    EXPECT_THAT(Reports(), IsEmpty());
    nbrtest::DeleteTree(tree);
  }
}

TEST_F(RouteNbrsTest, RoutesThatGiveNoNeighbour) {
  tables_.Route("2001:db8:12::", 48, 1, 3, "2001:db8:1::fd", 2);  // not valid
  tables_.Route("2001:db8:1::1", 128, 1, 2, kOwn);                // via the NE itself
  tables_.Route("::", 0, 1, 2, "fe80::1");                        // link-local next hop
  Store();
  KelTraceCapture trace(4);
  EXPECT_EQ(Routes(), nullptr);
  EXPECT_EQ(trace.Count("Invalid route : 32.1.13.184.0.18.0.0.0.0.0.0.0.0.0.0.48.1\n"), 1);
  EXPECT_EQ(trace.Count(" Next hop is a local ipv6 address[20:01:0D:B8:00:01:00:00:00:00:00:00:00:"
                        "00:00:01]\n"),
            1);
  EXPECT_EQ(trace.Count("FE80:0000:0000:0000:0000:0000:0000:0001 is NOT site-local/global\n"), 1);
  EXPECT_EQ(trace.Count("No data found in valid route list for "), 2);
  EXPECT_THAT(
      Reports(),
      ElementsAre("-220439|skip invalid route index",
                  "-220439|No entry for 32.1.13.184.0.18.0.0.0.0.0.0.0.0.0.0.48.1 in valid routes "
                  "list.",
                  "-220439|No entry for 32.1.13.184.0.1.0.0.0.0.0.0.0.0.0.1.128.1 in valid routes "
                  "list."));
}

TEST_F(RouteNbrsTest, TwoRoutesViaOneNextHopGiveTwoEqualRecords) {
  tables_.Route("::", 0, 1, 2, "2001:db8:1::fe");
  tables_.Route("2001:db8:10::", 48, 1, 2, "2001:db8:1::fe");
  tables_.Route("2001:db8:11::", 48, 1, 3, "2001:db8:9::1");  // no own address on its prefix
  Store();
  CKelTreeList* tree = Routes();
  const FieldTexts gw = {"m_RemoteNbrIpAddr=2001:db8:1::fe", "m_RemoteNbrIpPfxLength=64",
                         "m_RemoteNbrIpScope=3", "m_RemoteNbrIpDNSName=gw1.lab"};
  EXPECT_THAT(TreeRecordsText(tree, 2), ElementsAre(gw, gw));
  EXPECT_THAT(
      TreeRecordsText(tree, 3),
      ElementsAre(ElementsAre("m_RemoteNbrIpAddr=2001:db8:9::1", "m_RemoteNbrIpPfxLength=128",
                              "m_RemoteNbrIpScope=3", "m_RemoteNbrIpDNSName=far.lab")));
  EXPECT_EQ(TreeRecordCount(tree), 3);
  EXPECT_THAT(Reports(), IsEmpty());
  nbrtest::DeleteTree(tree);
}

TEST_F(RouteNbrsTest, ARowAddedBetweenTheWalksIsNoNeighbour) {
  tables_.Route("2001:db8:10::", 48, 1, 2, "2001:db8:1::fe");
  // A route that ipv6RouteValid saw and ipv6RouteNextHop did not.
  tables_.Int("ipv6RouteValid", nbrtest::RouteIndex("2001:db8:30::", 48), 1);
  tables_.Int("ipv6RouteIfIndex", nbrtest::RouteIndex("2001:db8:30::", 48), 2);
  Store();
  KelTraceCapture trace(4);
  CKelTreeList* tree = Routes();
  EXPECT_EQ(TreeRecordCount(tree), 1);
  EXPECT_EQ(trace.Count("Could not find entry in next hop tree list on key "
                        "32.1.13.184.0.48.0.0.0.0.0.0.0.0.0.0.48.1 This is inconsistent. Possible "
                        "Dynamic routing table? \n"),
            1);
  EXPECT_THAT(Reports(),
              ElementsAre("-220439|WARNING: valid asn1 and next hop asn1 "
                          "inconsistant32.1.13.184.0.48.0.0.0.0.0.0.0.0.0.0.48.1",
                          "-220439|No entry for 32.1.13.184.0.48.0.0.0.0.0.0.0.0.0.0.48.1 in valid "
                          "routes list."));
  nbrtest::DeleteTree(tree);
}

TEST_F(RouteNbrsTest, AMissingColumnGivesNoNeighbours) {
  for (const char* column : {"ipv6RouteValid", "ipv6RouteIfIndex", "ipv6RouteNextHop"}) {
    SCOPED_TRACE(column);
    tables_ = Tables();
    tables_.Route("2001:db8:10::", 48, 1, 2, "2001:db8:1::fe");
    tables_.Drop(column);
    CDiscoMediationData med;
    tables_.Store(&med);
    errors_.Clear();
    EXPECT_EQ(agent_->DIPv6GetRemoteNbrFromIpRoutingTable(&med), nullptr);
    EXPECT_THAT(Reports(),
                ElementsAre("-220439|screwed: one of ifRouteType, ifRouteIfIndex, ifRouteNextHop "
                            "is null"));
  }
}

TEST_F(RouteNbrsTest, AutomaticDiscoveryOffReadsNothing) {
  dirs_.WriteConfig("AutoDiscovery 0\n");
  nbrtest::ProcessAgent off;
  tables_.Route("2001:db8:10::", 48, 1, 2, "2001:db8:1::fe");
  tables_.Cache(2, "2001:db8:1::5", "00:00:5E:00:53:05");
  Store(false);
  KelTraceCapture trace(4);
  EXPECT_EQ(off.DIPv6GetRemoteNbrTags(&med_), nullptr);
  EXPECT_EQ(trace.Text(), "");
  EXPECT_THAT(Reports(), IsEmpty());
  // Switched on, the same tables give neighbours.
  CKelTreeList* tree = agent_->DIPv6GetRemoteNbrTags(&med_);
  EXPECT_EQ(TreeRecordCount(tree), 2);
  nbrtest::DeleteTree(tree);
}

// The validity step alone: bad next-hop texts are reported, own addresses dropped.
TEST_F(RouteNbrsTest, ValidRoutesAreTheRemoteOnes) {
  CKelTreeList own(E_KBFalse);  // the NE's addresses: one
  CKelAtom ownAtom("20:01:0D:B8:00:01:00:00:00:00:00:00:00:00:00:01");
  own.KTLAdd(ownAtom.KAString(), static_cast<void*>(&ownAtom));
  const std::string remote = nbrtest::ByteWise("2001:db8:1::fe");
  CKelTreeList nextHops(E_KBFalse);
  nextHops.KTLAdd("1.1", const_cast<char*>(remote.c_str()));
  nextHops.KTLAdd("1.2", const_cast<char*>(ownAtom.KAString()));
  nextHops.KTLAdd("1.3", const_cast<char*>("not an address"));
  nextHops.KTLAdd("1.4", static_cast<void*>(nullptr));
  nextHops.KTLAdd("1.5", const_cast<char*>(remote.c_str()));
  CKelDoubleList* valid = MakeColumn({
      FakeRequester::IntRow({1, 1}, 1),     // remote
      FakeRequester::IntRow({1, 2}, 1),     // own address
      FakeRequester::IntRow({1, 3}, 1),     // invalid text
      FakeRequester::IntRow({1, 4}, 1),     // no text
      FakeRequester::IntRow({1, 5}, 2),     // not valid
      FakeRequester::Row{{1, 6}, nullptr},  // no value: not valid
      FakeRequester::IntRow({1, 7}, 1),     // no next hop at all
  });
  CKelTreeList validIndexes(E_KBFalse);
  errors_.Clear();
  KelTraceCapture trace(4);
  EXPECT_EQ(agent_->DIPv6DetermineValidRemoteNeighbours(2, valid, &nextHops, &own, &validIndexes),
            -220439);
  ASSERT_EQ(validIndexes.KTLCount(), 1);
  auto* dest = static_cast<CKelVarBind*>(validIndexes.KTLGet("1.1")->KPData());
  EXPECT_EQ(std::string(dest->KVBNameText()), remote);
  EXPECT_EQ(dest->KVBValue(), nullptr);
  EXPECT_THAT(Reports(),
              ElementsAre("-220439|invalid ip address", "-220439|next hop ip address null",
                          "-220439|invalid ip address", "-220439|skip invalid route index",
                          "-220439|skip invalid route index",
                          "-220439|WARNING: valid asn1 and next hop asn1 inconsistant1.7"));
  EXPECT_EQ(trace.Count("Next hop is a remote ipv6 address["), 1);
  EXPECT_EQ(trace.Count(" Next hop is a local ipv6 address["), 1);
  EXPECT_EQ(trace.Count("Invalid route : 1.5\n"), 1);
  EXPECT_EQ(trace.Count("Invalid route : 1.6\n"), 1);
  delete dest;
  validIndexes.KTLDeleteWrappers();
  nextHops.KTLDeleteWrappers();
  own.KTLDeleteWrappers();
  delete valid;
}

}  // namespace
