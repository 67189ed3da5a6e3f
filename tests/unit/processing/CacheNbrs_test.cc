// Remote neighbours from the neighbour cache: merged into the routing
// table's records of the same address and interface, or records of their
// own.
#include "tests/unit/processing/NbrTestUtil.h"

namespace {

using nbrtest::ScopedNames;
using nbrtest::Tables;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const FieldTexts kGw = {"m_RemoteNbrIpAddr=2001:db8::1", "m_RemoteNbrIpPfxLength=64",
                        "m_RemoteNbrIpScope=3", "m_RemoteNbrIpDNSName=gw.lab"};

class CacheNbrsTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    agent_ = std::make_unique<nbrtest::ProcessAgent>();
    agent_->m_ValidAddr = &validator_;
    tables_.Address(2, "2001:db8::a", 64);  // the NE's own address
  }
  void TearDown() override {
    agent_->DIPv6RemoveLocalIpList(&med_);
    nbrtest::DeleteTree(tree_);
  }
  // Stores the tables, the own address list, and builds both kinds of
  // remote neighbours, at the trace level of the test's parameter (0:
  // indexed lookups and merges; 4: the accessors and record walks).
  void Build() {
    tables_.Store(&med_);
    ASSERT_EQ(agent_->DIPv6BuildLocalIpList(&med_), 1);
    KelTraceCapture trace(GetParam());
    errors_.Clear();
    tree_ = agent_->DIPv6GetRemoteNbrTags(&med_);
    trace_ = trace.Text();
  }
  std::vector<std::string> Reports() const { return ReportTexts(errors_.Reports()); }
  int TraceCount(const std::string& needle) const {
    int count = 0;
    for (size_t at = trace_.find(needle); at != std::string::npos;
         at = trace_.find(needle, at + 1)) {
      ++count;
    }
    return count;
  }

  ScopedConfigDirs dirs_;
  ScopedNames names_{{{"2001:db8::1", "gw"}, {"2001:db8::5", "h5"}, {"2001:db8::a", "own"}}};
  Tables tables_;
  CDiscoMediationData med_;
  CKelValidAddress validator_;
  std::unique_ptr<nbrtest::ProcessAgent> agent_;
  KelErrorCapture errors_;
  CKelTreeList* tree_ = nullptr;
  std::string trace_;
};

TEST_P(CacheNbrsTest, EntryMergesIntoEveryRouteRecordOfItsAddressAndInterfaceOnly) {
  tables_.Route("::", 0, 1, 2, "2001:db8::1");
  tables_.Route("2001:db8:10::", 48, 1, 2, "2001:db8::1");
  tables_.Cache(2, "2001:db8::1", "00:00:5E:00:53:01");
  tables_.Cache(3, "2001:db8::1", "00:00:5E:00:53:03");  // another interface: a record of its own
  Build();
  FieldTexts merged = kGw;
  merged.push_back("m_RemoteNbrMacAddr=00:00:5E:00:53:01");
  EXPECT_THAT(TreeRecordsText(tree_, 2), ElementsAre(merged, merged));
  EXPECT_THAT(
      TreeRecordsText(tree_, 3),
      ElementsAre(ElementsAre("m_RemoteNbrIpAddr=2001:db8::1", "m_RemoteNbrIpPfxLength=64",
                              "m_RemoteNbrIpScope=3", "m_RemoteNbrMacAddr=00:00:5E:00:53:03",
                              "m_RemoteNbrIpDNSName=gw.lab")));
  EXPECT_EQ(TreeRecordCount(tree_), 3);
  EXPECT_THAT(Reports(), IsEmpty());
}

TEST_P(CacheNbrsTest, WithoutUsableRouteTheCacheMakesTheTree) {
  tables_.Route("2001:db8:10::", 48, 1, 2, "fe80::1");  // no neighbour
  // State and validity do not matter.
  tables_.Cache(2, "2001:db8::5", "00:00:5E:00:53:05", 6, 2);
  Build();
  ASSERT_NE(tree_, nullptr);
  EXPECT_EQ(TreeRecordCount(tree_), 1);
  EXPECT_THAT(
      TreeRecordsText(tree_, 2),
      ElementsAre(ElementsAre("m_RemoteNbrIpAddr=2001:db8::5", "m_RemoteNbrIpPfxLength=64",
                              "m_RemoteNbrIpScope=3", "m_RemoteNbrMacAddr=00:00:5E:00:53:05",
                              "m_RemoteNbrIpDNSName=h5.lab")));
}

TEST_P(CacheNbrsTest, OwnAndLinkLocalEntriesAreNoNeighbours) {
  tables_.Cache(2, "2001:db8::a", "00:00:5E:00:53:0A");
  tables_.Cache(2, "fe80::1", "00:00:5E:00:53:01");
  tables_.Cache(2, "ff02::1", "33:33:00:00:00:01");
  Build();
  EXPECT_EQ(tree_, nullptr);
  EXPECT_THAT(Reports(),  // there is no routing table
              ElementsAre("-220439|screwed: one of ifRouteType, ifRouteIfIndex, ifRouteNextHop is "
                          "null"));
  if (GetParam() == 4) {
    EXPECT_EQ(TraceCount("20:01:0D:B8:00:00:00:00:00:00:00:00:00:00:00:0A is not consider as a "
                         "remote neighbour!\n"),
              1);
    EXPECT_EQ(TraceCount("is not consider"), 1);  // nothing about the link-local entry
  }
}

TEST_P(CacheNbrsTest, EntriesWithoutIndexOrLinkLayerAddress) {
  tables_.Add("ipv6NetToMediaPhysAddress",
              FakeRequester::Row{AddrIndex(2, "2001:db8::5"), nullptr});
  tables_.Int("ipv6IfNetToMediaState", AddrIndex(2, "2001:db8::5"), 1);
  tables_.Int("ipv6NetToMediaValid", AddrIndex(2, "2001:db8::5"), 1);
  tables_.Store(&med_);
  med_.DMDGetSnmpGetNext("ipv6NetToMediaPhysAddress")->KDLAddToListEnd(RowWithoutIndex(1));
  tables_ = Tables();
  tables_.Address(2, "2001:db8::a", 64);
  Build();
  EXPECT_THAT(TreeRecordsText(tree_, 2),
              ElementsAre(ElementsAre("m_RemoteNbrIpAddr=2001:db8::5", "m_RemoteNbrIpPfxLength=64",
                                      "m_RemoteNbrIpScope=3", "m_RemoteNbrMacAddr",
                                      "m_RemoteNbrIpDNSName=h5.lab")));
  EXPECT_THAT(Reports(),
              ElementsAre("-220439|screwed: one of ifRouteType, ifRouteIfIndex, ifRouteNextHop is "
                          "null",
                          "-220439|physical address is null",
                          "-220439|index ASN1 address is null, ignored"));
}

TEST_P(CacheNbrsTest, AMissingCacheColumnLeavesTheRouteRecords) {
  tables_.Route("::", 0, 1, 2, "2001:db8::1");
  tables_.Cache(2, "2001:db8::1", "00:00:5E:00:53:01");
  tables_.Drop("ipv6NetToMediaValid");
  Build();
  EXPECT_THAT(TreeRecordsText(tree_, 2), ElementsAre(kGw));
  EXPECT_THAT(Reports(),
              ElementsAre("-220439|screwed: one of stateList,validList or physAddrList is null"));
}

INSTANTIATE_TEST_SUITE_P(TraceLevels, CacheNbrsTest, ::testing::Values(0, 4));

TEST(CacheNbrsNoDataTest, NoMediationDataKeepsTheTreeGiven) {
  ScopedConfigDirs dirs;
  CDiscoIPv6Agent agent;
  KelErrorCapture errors;
  EXPECT_EQ(agent.DIPv6GetRemoteNbrFromNetToMediaTable(nullptr, nullptr), nullptr);
  CKelTreeList tree(E_KBTrue);
  EXPECT_EQ(agent.DIPv6GetRemoteNbrFromNetToMediaTable(nullptr, &tree), &tree);
  EXPECT_EQ(
      errors.Count(-220439, "no mediation data so leaving DIPv6GetRemoteNbrFromNetToMediaTable()"),
      2);
}

// A tree handed in from elsewhere may hold a wrapper without record: the
// merge reports it each time it walks past it, and merges into the rest.
TEST(CacheNbrsForeignTreeTest, WrapperWithoutRecordIsReportedAndPassedOver) {
  for (int level : {0, 4}) {
    SCOPED_TRACE(level);
    ScopedConfigDirs dirs;
    ScopedNames names({{"2001:db8::1", "gw"}, {"2001:db8::2", "two"}});
    CDiscoIPv6Agent agent;
    CKelValidAddress validator;
    agent.m_ValidAddr = &validator;
    CDiscoMediationData med;
    Tables tables;
    tables.Cache(2, "2001:db8::1", "00:00:5E:00:53:01");
    tables.Cache(2, "2001:db8::2", "00:00:5E:00:53:02");
    tables.Store(&med);
    auto* tree = new CKelTreeList(E_KBTrue);
    tree->KTLAdd(2, static_cast<void*>(nullptr));
    auto* record = new CKelDoubleList();
    record->KDLAddToListEnd(new CKelVarBind("m_RemoteNbrIpAddr", "2001:DB8::1"));
    tree->KTLAdd(2, static_cast<void*>(record));
    KelTraceCapture trace(level);
    KelErrorCapture errors;
    EXPECT_EQ(agent.DIPv6GetRemoteNbrFromNetToMediaTable(&med, tree), tree);
    EXPECT_THAT(NbrRecordText(record), ElementsAre("m_RemoteNbrIpAddr=2001:DB8::1",
                                                   "m_RemoteNbrMacAddr=00:00:5E:00:53:01"));
    // Two entries walked past the empty wrapper; ::1 on the way.
    EXPECT_EQ(errors.Count(-220439, " remote nbr DL ptr is null so dont add to procData"), 2);
    EXPECT_EQ(TreeRecordCount(tree), 3);  // the empty wrapper, the record, ::2
    nbrtest::DeleteTree(tree);
  }
}

}  // namespace
