// The process layer: system fields on the NE record, and for an IPv6
// router its local neighbours with copies of the remote neighbours of
// their interfaces in the processed data; everything else it built is
// gone afterwards (the sanitized build checks that nothing leaks).
#include "tests/unit/processing/NbrTestUtil.h"

namespace {

using nbrtest::ScopedNames;
using nbrtest::Tables;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ProcessLayerTest : public ::testing::Test {
 protected:
  // The agent is made by Start, after the test has written its files.
  void Start(bool withProcData = true) {
    agent_ = std::make_unique<nbrtest::ProcessAgent>();
    agent_->m_ValidAddr = &validator_;
    ne_.KRAddOrSetValue("m_IpAddress", "198.51.100.7");
    agent_->DACreateAndStoreMedData(&ne_);
    if (withProcData) agent_->DACreateAndStoreProcData(&ne_);
    med_ = agent_->DAGetMediationData(&ne_);
  }
  // A router: interfaces 3 and 4, two addresses on 3 and one on 4 (none
  // without `withAddresses`), one route via 2001:db8:3::fe on interface 3,
  // which the neighbour cache holds too.
  void StoreRouter(long long ipv6Forwarding = 1, bool withAddresses = true) {
    Tables t;
    t.Interface(3, "eth3", "00:00:5E:00:53:03");
    t.Interface(4, "eth4", "00:00:5E:00:53:04");
    if (withAddresses) {
      t.Address(3, "2001:db8:3::1", 64);
      t.Address(3, "2001:db8:3::2", 64);
      t.Address(4, "2001:db8:4::1", 64);
    }
    t.Route("::", 0, 1, 3, "2001:db8:3::fe");
    t.Cache(3, "2001:db8:3::fe", "00:00:5E:00:53:FE");
    t.Store(med_);
    StoreScalarText(med_, "sysDescr", "test router");
    StoreScalarText(med_, "sysObjectID", "1.3.6.1.4.1.9");
    StoreScalar(med_, "ipForwarding", 1);
    if (ipv6Forwarding != 0) StoreScalar(med_, "ipv6Forwarding", ipv6Forwarding);
  }
  void Process() {
    errors_.Clear();
    agent_->DADoProcessLayer(&ne_);
  }
  std::vector<LocalNbrText> Nbrs() const {
    const CDiscoProcessedData* proc = agent_->DAGetProcessedData(&ne_);
    return proc != nullptr ? ProcessedText(*proc) : std::vector<LocalNbrText>{};
  }
  std::vector<std::string> Reports() const { return ReportTexts(errors_.Reports()); }

  ScopedConfigDirs dirs_;
  ScopedNames names_{{{"2001:db8:3::1", "a3"},
                      {"2001:db8:3::2", "b3"},
                      {"2001:db8:4::1", "a4"},
                      {"2001:db8:3::fe", "gw3"}}};
  CKelValidAddress validator_;
  std::unique_ptr<nbrtest::ProcessAgent> agent_;
  CKelRecord ne_;
  CDiscoMediationData* med_ = nullptr;
  KelErrorCapture errors_;
};

const FieldTexts kGw3 = {"m_RemoteNbrIpAddr=2001:db8:3::fe", "m_RemoteNbrIpPfxLength=64",
                         "m_RemoteNbrIpScope=3", "m_RemoteNbrIpDNSName=gw3.lab",
                         "m_RemoteNbrMacAddr=00:00:5E:00:53:FE"};

std::string AddressOf(const LocalNbrText& local) { return local.fields[11]; }

TEST_F(ProcessLayerTest, RemoteNeighbourIsCopiedUnderEveryLocalNeighbourOfItsInterface) {
  for (int level : {0, 4}) {
    SCOPED_TRACE(level);
    Start();
    StoreRouter();
    KelTraceCapture trace(level);
    Process();
    const std::vector<LocalNbrText> nbrs = Nbrs();
    ASSERT_EQ(nbrs.size(), 3u);
    EXPECT_EQ(AddressOf(nbrs[0]), "ipv6AddrAddress=2001:db8:3::1");
    EXPECT_EQ(AddressOf(nbrs[1]), "ipv6AddrAddress=2001:db8:3::2");
    EXPECT_EQ(AddressOf(nbrs[2]), "ipv6AddrAddress=2001:db8:4::1");
    EXPECT_THAT(nbrs[0].remotes, ElementsAre(kGw3));
    EXPECT_THAT(nbrs[1].remotes, ElementsAre(kGw3));
    EXPECT_THAT(nbrs[2].remotes, IsEmpty());
    // Two copies, not one record filed twice.
    const auto& stored = agent_->DAGetProcessedData(&ne_)->DPDLocalNbrs();
    EXPECT_NE(stored[0].remotes[0], stored[1].remotes[0]);
    EXPECT_THAT(Reports(), ElementsAre("-220439|No remote nbrs for IfIndex 4"));
    EXPECT_EQ(FieldText(ne_, "m_Description"), "test router");
    EXPECT_EQ(FieldText(ne_, "m_ObjectId"), "1.3.6.1.4.1.9");
    if (level == 4) {
      EXPECT_EQ(trace.Count("-- CDiscoIPv6Agent::DADoProcessLayer() has local nbr ifIndex=3, "
                            "looking for any remote nbrs on same interface\n"),
                2);
    }
  }
}

TEST_F(ProcessLayerTest, AutomaticDiscoveryOffAddsLocalNeighboursAlone) {
  dirs_.WriteConfig("AutoDiscovery 0\n");
  Start();
  StoreRouter();
  KelTraceCapture trace(4);
  Process();
  const std::vector<LocalNbrText> nbrs = Nbrs();
  ASSERT_EQ(nbrs.size(), 3u);
  for (const LocalNbrText& local : nbrs) EXPECT_THAT(local.remotes, IsEmpty());
  EXPECT_THAT(Reports(), IsEmpty());
  EXPECT_EQ(trace.Count("CDiscoIPv6Agent::DADoProcessLayer() - No remote nbrs...\n"), 1);
}

TEST_F(ProcessLayerTest, OnlyIPv6RoutersGetNeighbours) {
  struct Case {
    const char* what;
    long long ipv6Forwarding;  // 0: no reply
  } cases[] = {{"IPv6 host", 2}, {"IPv6 node", 3}, {"IPv4 router", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Start();
    StoreRouter(c.ipv6Forwarding);
    Process();
    EXPECT_THAT(Nbrs(), IsEmpty());
    EXPECT_THAT(Reports(), IsEmpty());
    EXPECT_EQ(FieldText(ne_, "m_Description"), "test router");
    EXPECT_EQ(FieldText(ne_, "m_ObjectId"), "1.3.6.1.4.1.9");
    EXPECT_EQ(med_->DMDGetDataPtr("m_IpDataList"), nullptr);
  }
}

TEST_F(ProcessLayerTest, SystemRepliesMissingOrWithoutValue) {
  Start();
  ne_.KRAddOrSetValue("m_ObjectId", "kept");
  StoreScalar(med_, "ipv6Forwarding", 2);
  Process();
  EXPECT_EQ(FieldText(ne_, "m_Description"), "<absent>");
  EXPECT_EQ(FieldText(ne_, "m_ObjectId"), "kept");
  EXPECT_THAT(Reports(), IsEmpty());

  StoreScalarNoValue(med_, "sysDescr");
  StoreScalarNoValue(med_, "sysObjectID");
  Process();
  EXPECT_EQ(FieldText(ne_, "m_Description"), "<absent>");
  EXPECT_EQ(FieldText(ne_, "m_ObjectId"), "kept");
  EXPECT_THAT(Reports(),
              ElementsAre("-220439|sysDescr value null....", "-220439|sysObjectId value null...."));
}

TEST_F(ProcessLayerTest, WithoutAddressTableTheRemoteNeighboursAreDropped) {
  Start();
  StoreRouter(1, false);
  Process();
  EXPECT_THAT(Nbrs(), IsEmpty());
  EXPECT_THAT(Reports(), ElementsAre("-220439| ipv6AddrTable empty", "-220439|local IP list empty",
                                     "-220439",  // the own address list was not built
                                     "-220439|no IPv6 addresses so return",  // local neighbours
                                     "-220439|no IPv6 addresses so return",  // gw3's prefix length
                                     "-220439|procData null or no local nbrs!"));
  EXPECT_EQ(med_->DMDGetDataPtr("m_IpDataList"), nullptr);
}

TEST_F(ProcessLayerTest, WithoutProcessedDataNothingIsHandedOverOrKept) {
  Start(false);
  StoreRouter();
  Process();
  EXPECT_EQ(agent_->DAGetProcessedData(&ne_), nullptr);
  EXPECT_THAT(Reports(), ElementsAre("-220439|procData null or no local nbrs!"));
  EXPECT_EQ(med_->DMDGetDataPtr("m_IpDataList"), nullptr);
}

TEST_F(ProcessLayerTest, NoRecordOrNoMediationData) {
  Start();
  KelTraceCapture trace(4);
  errors_.Clear();
  agent_->DADoProcessLayer(nullptr);
  EXPECT_THAT(Reports(), ElementsAre("-220439| ne is null - this should NEVER happen"));
  EXPECT_EQ(trace.Count("LEAVE : CDiscoIPv6Agent::DADoProcessLayer()"), 0);
  CKelRecord stranger;
  errors_.Clear();
  agent_->DADoProcessLayer(&stranger);
  EXPECT_THAT(Reports(), IsEmpty());
  EXPECT_EQ(trace.Count("-- CDiscoIPv6Agent::DADoProcessLayer() found no Mediation Data for:\n"),
            1);
  EXPECT_EQ(trace.Count("LEAVE : CDiscoIPv6Agent::DADoProcessLayer()\n"), 1);
}

}  // namespace
