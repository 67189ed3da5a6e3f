// The process layer: system fields, and for an IPv6 router its local neighbours, each with
// copies of its interface's remote neighbours; nothing else it built is left over.
#include "snmp/ReplayRequester.h"
#include "tests/unit/processing/NbrTestUtil.h"

namespace {

using namespace nbrtest;

struct Local { FieldTexts fields; std::vector<FieldTexts> remotes; };

class ProcessLayerTest : public ::testing::Test {
 protected:
  void Start(bool withProcData = true) {
    agent_ = std::make_unique<MibTestAgent>();
    agent_->m_ValidAddr = &validator_;
    ne_.KRAddOrSetValue("m_IpAddress", "192.0.2.66");
    agent_->DACreateAndStoreMedData(&ne_);
    if (withProcData) agent_->DACreateAndStoreProcData(&ne_);
    med_ = agent_->DAGetMediationData(&ne_);
  }
  // Interfaces 3 and 4 up, 5 down; two addresses (with their prefix) and the subnet-router anycast
  // address on 3, one on 4 and 5; a default route via gw3 on 3, which the neighbour cache holds too.
  void StoreRouter(long long ipv6Forwarding, bool withAddresses) {
    Tables t;
    t.Interface(3, "eth3", "00:00:5E:00:53:03"), t.Interface(4, "eth4", "00:00:5E:00:53:04");
    t.Interface(5, "eth5", "00:00:5E:00:53:05", 2);
    if (withAddresses) {
      t.Address(3, "2001:db8:3::1", 64, 2, 3), t.Address(3, "2001:db8:3::2", 64);
      t.Address(3, "2001:db8:3::", 64, 1), t.Prefix(3, "2001:db8:3::", 64);
      t.Address(4, "2001:db8:4::1", 64), t.Address(5, "2001:db8:5::1", 64);
    }
    t.Route("::", 0, 3, "2001:db8:3::fe");
    t.Cache(3, "2001:db8:3::fe", "00:00:5E:00:53:FE");
    t.Store(med_);
    const auto scalar = [this](const char* key, CKelAtom* value) {
      ASSERT_EQ(med_->DMDAddSnmp(key, new CKelSnmpVarOp(new CKelASN1Address({0}), value)), 1);
    };
    scalar("sysDescr", new CKelAtom("test router")), scalar("ipForwarding", new CKelAtom(1));
    if (ipv6Forwarding != 0) scalar("ipv6Forwarding", new CKelAtom(ipv6Forwarding));
  }
  std::vector<Local> Process(const char* description = "test router") {
    errors_.Clear();
    agent_->DADoProcessLayer(&ne_);
    EXPECT_EQ(med_->DMDGetDataPtr("m_IpDataList"), nullptr);  // the own address list is gone
    EXPECT_EQ(FieldText(ne_, "m_Description"), description);
    std::vector<Local> result;
    if (const CDiscoProcessedData* proc = agent_->DAGetProcessedData(&ne_)) {
      for (const CDiscoProcessedData::LocalNbr& local : proc->DPDLocalNbrs()) {
        result.push_back({NbrRecordText(local.fields), {}});
        for (const CKelDoubleList* remote : local.remotes)
          result.back().remotes.push_back(NbrRecordText(remote));
      }
    }
    return result;
  }
  std::vector<std::string> Reports() const { return ReportTexts(errors_.Reports()); }

  ScopedConfigDirs dirs_;
  ScopedNames names_{{{"2001:db8:3::1", "a3"}, {"2001:db8:3::2", "b3"}, {"2001:db8:4::1", "a4"},
                      {"2001:db8:3::fe", "gw3"}, {"2001:db8:3::", "any3"}}};
  CKelValidAddress validator_;
  std::unique_ptr<MibTestAgent> agent_;
  CKelRecord ne_;
  CDiscoMediationData* med_ = nullptr;
  KelErrorCapture errors_;
};

TEST_F(ProcessLayerTest, RemoteNeighbourIsCopiedUnderEveryLocalNeighbourOfItsInterface) {
  dirs_.WritePrefixNames("2001:db8:3::/64 Lab-Three\n");
  const FieldTexts gw3 = {"m_RemoteNbrIpAddr=2001:db8:3::fe", "m_RemoteNbrIpPfxLength=64",
                          "m_RemoteNbrIpScope=3", "m_RemoteNbrIpDNSName=gw3.lab",
                          "m_RemoteNbrMacAddr=00:00:5E:00:53:FE"};
  Start();
  StoreRouter(1, true);
  KelTraceCapture trace(4);  // the accessors answer
  const std::vector<Local> nbrs = Process();
  ASSERT_EQ(nbrs.size(), 3u);
  EXPECT_THAT(nbrs[0].fields, ElementsAre(
      "ipv6IfIndex=3", "ipv6IfDescr=eth3", "ipv6IfLowerLayer=0.0", "ipv6IfEffectiveMtu=1500",
      "ipv6IfReasmMaxSize=65535", "ipv6IfIdentifier=02:00:5E:FF:FE:00:53:01", "ipv6IfIdentifierLength=64",
      "ipv6IfPhysicalAddress=00:00:5E:00:53:03", "ipv6IfAdminStatus=1", "ipv6IfOperStatus=1",
      "ipv6IfLastChange=7", "ipv6AddrAddress=2001:db8:3::1", "ipv6AddrPfxLength=64", "ipv6AddrType=3",
      "ipv6AddrAnycastFlag=2", "ipv6AddrStatus=1", "ipv6AddrScope=3", "ipv6AddrDNSName=a3.lab",
      "ipv6AddrV4Addresses=192.0.2.1", "ipv6AddrPrefix=2001:db8:3::", "ipv6AddrPrefixName=Lab-Three",
      "ipv6AddrPrefixOnLinkFlag=1", "ipv6AddrPrefixAutonomousFlag=1",
      "ipv6AddrPrefixAdvPreferredLifetime=100", "ipv6AddrPrefixAdvValidLifetime=200"));
  EXPECT_EQ(nbrs[1].fields[11], "ipv6AddrAddress=2001:db8:3::2");
  EXPECT_EQ(nbrs[2].fields[11], "ipv6AddrAddress=2001:db8:4::1");
  for (size_t i = 0; i < 3; ++i)
    EXPECT_EQ(nbrs[i].remotes, i < 2 ? std::vector<FieldTexts>{gw3} : std::vector<FieldTexts>{});
  const auto& stored = agent_->DAGetProcessedData(&ne_)->DPDLocalNbrs();
  EXPECT_NE(stored[0].remotes[0], stored[1].remotes[0]);  // two copies, not one record twice
  EXPECT_THAT(Reports(), ElementsAre("-220439|No remote nbrs for IfIndex 4"));
  for (const char* f : {"DADoProcessLayer", "DIPv6GetIpForwarding"})
    EXPECT_EQ(trace.Count(std::string("\nENTER : CDiscoIPv6Agent::") + f + "()\n"), 1);
}

TEST_F(ProcessLayerTest, WhatTheProcessLayerHandsOver) {
  const std::string e = "-220439|", noLocal = e + "procData null or no local nbrs!";
  const std::string nullIp = e + " local nbr ip string null", noAddresses = e + "no IPv6 addresses so return";
  CReplayRequester replay(TEST_SOURCE_DIR "/tests/fixtures/snmp/devices");
  struct {
    const char *what, *config;
    long long ipv6Forwarding;  // 0: no reply; -1: what 192.0.2.66 replies (its sysDescr is an integer)
    bool addresses, procData;
    size_t locals;  // none with remote neighbours
    std::vector<std::string> reports;
  } rows[] = {
      {"automatic discovery off", "AutoDiscovery 0\n", 1, true, true, 3, {}},
      {"IPv6 host", "", 2, true, true, 0, {}},
      {"IPv4 router", "", 0, true, true, 0, {}},
      {"no processed data", "", 1, true, false, 0, {noLocal}},
      {"no address table", "", 1, false, true, 0,
       {e + " ipv6AddrTable empty", e + "local IP list empty", "-220439", noAddresses, noAddresses, noLocal}},
      {"indexes and values no conforming agent sends", "", -1, true, true, 0,
       {e + "out of range", nullIp, nullIp, e + "no anycast flag so return", e + "no anycast flag so return",
        e + "screwed: one of ifRouteType, ifRouteIfIndex, ifRouteNextHop is null",
        e + "screwed: one of stateList,validList or physAddrList is null", noLocal}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    dirs_.WriteConfig(row.config);
    Start(row.procData);
    if (row.ipv6Forwarding < 0) agent_->m_Requester = &replay, agent_->DADoMediationLayer(&ne_);
    else StoreRouter(row.ipv6Forwarding, row.addresses);
    const std::vector<Local> nbrs = Process(row.ipv6Forwarding < 0 ? "<not text>" : "test router");
    EXPECT_EQ(nbrs.size(), row.locals);
    for (const Local& local : nbrs) EXPECT_THAT(local.remotes, IsEmpty());
    EXPECT_EQ(Reports(), row.reports);
  }
}

// Indexes 0 to 6 only, each atom once; a field without value refuses the list with its own report.
TEST(CapabilitiesTest, ListTakesValidIndexesAndEachAtomOnce) {
  ScopedConfigDirs dirs;
  MibTestAgent agent;
  CKelRecord ne, bare;
  for (int index : {0, 7, -1, 1}) EXPECT_EQ(agent.DIPv6SetOrAddCapability(&ne, index), index);
  CKelAtom* atom = new CKelAtom("isIPv6Host");
  agent.DIPv6SetOrAddCapability(&ne, atom);
  KelErrorCapture errors;
  agent.DIPv6SetOrAddCapability(&ne, atom);  // already the list's: kept there
  EXPECT_EQ(CapabilityNames(ne), (std::vector<std::string>{"isUnknownNode", "isIPv6Router", "isIPv6Host"}));
  ASSERT_EQ(bare.KRAddOrSetValue("m_Capabilities", "x"), 1);
  bare.KRValuePairOf("m_Capabilities")->KVBSetValue(nullptr);
  EXPECT_EQ(agent.DIPv6SetOrAddCapability(&bare, 3), 3);
  EXPECT_EQ(bare.KRValueOf("m_Capabilities"), nullptr);
  EXPECT_EQ(errors.Count(KEL_ERR_DUPLICATE), 2);
}

}  // namespace
