// The mediation filter: the forwarding verdict, the SNMP address fallback
// over the name's IPv4 addresses, and which NEs are mediated.
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "host/CKelValidAddress.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "host/ZWResolver.h"
#include "tests/support/FakeRequester.h"
#include "tests/support/MibFixtures.h"
#include "tests/support/TempDir.h"

namespace {

using Names = std::vector<std::string>;

const char kOwn[] = "198.51.100.10";
const char kFirst[] = "198.51.100.11";
const char kSecond[] = "198.51.100.12";

class MediationFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZWSetNamesOverlay(
        ZWNamesOverlay::FromText("198.51.100.11 multi.lab\n"
                                 "198.51.100.12 multi.lab\n"
                                 "2001:db8::50 v6name.lab\n"));
    agent_.m_Requester = &fake_;
    agent_.m_ValidAddr = &validator_;
  }
  void TearDown() override { ZWSetNamesOverlay(nullptr); }

  std::vector<std::string> Targets() const {
    std::vector<std::string> targets;
    for (const FakeRequester::Request& r : fake_.Requests()) targets.push_back(r.address);
    return targets;
  }

  ScopedConfigDirs dirs_;
  MibTestAgent agent_;
  FakeRequester fake_;
  CKelValidAddress validator_;
};

struct DecisionCase {
  const char* label;
  long long v6;  // 0: no answer
  long long v4;  // 0: no answer
  __boolean mediated;
  Names capabilities;
};

TEST_F(MediationFilterTest, DecisionTableForAnNeReachedOverIpv4) {
  const std::vector<DecisionCase> cases = {
      {"IPv6 router", 1, 2, E_KBTrue, {"isIPv6Router"}},
      {"IPv6 host", 2, 1, E_KBTrue, {"isIPv6Host", "isIPv4Node"}},
      {"IPv6 node", 3, 0, E_KBTrue, {"isIPv6Node", "isIPv4Node"}},
      {"IPv4 router", 0, 1, E_KBTrue, {"isIPv4Router", "isIPv4Node"}},
      {"IPv4 host", 0, 2, E_KBTrue, {"isIPv4Host", "isIPv4Node"}},
      {"IPv4 node", 0, 5, E_KBTrue, {"isIPv4Node", "isIPv4Node"}},
      {"silent", 0, 0, E_KBFalse, {"isUnknownNode", "isIPv4Node"}},
  };
  for (const DecisionCase& c : cases) {
    FakeRequester fake;
    if (c.v6 != 0) fake.SetGet(kOwn, "ipv6Forwarding", c.v6);
    if (c.v4 != 0) fake.SetGet(kOwn, "ipForwarding", c.v4);
    agent_.m_Requester = &fake;
    CKelRecord ne;
    ne.KRAddOrSetValue("m_UniqueAddress", kOwn);
    KelTraceCapture trace(4);
    EXPECT_EQ(agent_.DADoMediationFilter(&ne), c.mediated) << c.label;
    EXPECT_EQ(CapabilityNames(ne), c.capabilities) << c.label;
    EXPECT_EQ(FieldText(ne, "m_SnmpAccessIP"), "<absent>") << c.label;
    EXPECT_EQ(FieldText(ne, "m_UniqueAddress"), kOwn) << c.label;
    EXPECT_EQ(ne.KRValuePairOf("m_AddressScope"), nullptr) << c.label;
    EXPECT_TRUE(trace.Contains("\nENTER : CDiscoIPv6Agent::DADoMediationFilter()\n"));
    EXPECT_TRUE(trace.Contains("--CDiscoIPv6Agent::DADoMediationFilter() Input:\n"));
    EXPECT_TRUE(trace.Contains(
        c.mediated == E_KBTrue ? "-- CDiscoIPv6Agent::DADoMediationFilter() - Returning [TRUE]\n"
                               : "-- CDiscoIPv6Agent::DADoMediationFilter() - Returning [FALSE]\n"))
        << c.label;
    EXPECT_TRUE(trace.Contains("LEAVE : CDiscoIPv6Agent::DADoMediationFilter()\n"));
    EXPECT_EQ(trace.Contains("LEAVE : CDIPv6Agent::DIPv6ProcessEndNode()\n"), c.v6 != 1) << c.label;
  }
}

TEST_F(MediationFilterTest, SecondAddressOfTheNameAnswersAndIsRecorded) {
  fake_.SetGet(kSecond, "ipForwarding", 1);
  CKelRecord ne;
  ne.KRAddOrSetValue("m_UniqueAddress", kOwn);
  ne.KRAddOrSetValue("m_Name", "multi.lab");
  KelTraceCapture trace(4);
  EXPECT_EQ(agent_.DADoMediationFilter(&ne), E_KBTrue);
  EXPECT_EQ(FieldText(ne, "m_SnmpAccessIP"), kSecond);
  EXPECT_EQ(CapabilityNames(ne), (Names{"isIPv4Router", "isIPv4Node"}));
  // Own address, then each name address: ipv6Forwarding, then ipForwarding.
  EXPECT_EQ(Targets(), (std::vector<std::string>{kOwn, kOwn, kFirst, kFirst, kSecond, kSecond}));
  EXPECT_TRUE(
      trace.Contains("CDiscoIPv6Agent::DIPv6UpdateNeSnmpIp() Try snmp ip[198.51.100.11]\n"));
  EXPECT_TRUE(
      trace.Contains("CDiscoIPv6Agent::DIPv6UpdateNeSnmpIp() Try snmp ip[198.51.100.12]\n"));
  EXPECT_EQ(trace.Count("set snmp access ip["), 1);
  EXPECT_TRUE(
      trace.Contains("CDiscoIPv6Agent::DIPv6UpdateNeSnmpIp() set snmp access ip[198.51.100.12]\n"));
}

TEST_F(MediationFilterTest, FirstAnsweringAddressEndsTheFallback) {
  fake_.SetGet(kFirst, "ipv6Forwarding", 2);
  fake_.SetGet(kSecond, "ipv6Forwarding", 1);
  CKelRecord ne;
  ne.KRAddOrSetValue("m_UniqueAddress", kOwn);
  ne.KRAddOrSetValue("m_Name", "multi.lab");
  EXPECT_EQ(agent_.DADoMediationFilter(&ne), E_KBTrue);
  EXPECT_EQ(FieldText(ne, "m_SnmpAccessIP"), kFirst);
  EXPECT_EQ(CapabilityNames(ne), (Names{"isIPv6Host", "isIPv4Node"}));
  EXPECT_EQ(fake_.Count(kSecond), 0);
}

TEST_F(MediationFilterTest, NoAddressAnsweringLeavesTheRecordWithoutAccessAddress) {
  CKelRecord ne;
  ne.KRAddOrSetValue("m_UniqueAddress", kOwn);
  ne.KRAddOrSetValue("m_Name", "multi.lab");
  EXPECT_EQ(agent_.DADoMediationFilter(&ne), E_KBFalse);
  EXPECT_EQ(FieldText(ne, "m_SnmpAccessIP"), "<absent>");
  EXPECT_EQ(CapabilityNames(ne), (Names{"isUnknownNode", "isIPv4Node"}));
  EXPECT_EQ(fake_.Count(), 6);
}

TEST_F(MediationFilterTest, IpAddressNotAcceptedStillTriesTheNamesIpv4Addresses) {
  // Known by an IPv6 address only, so its own address is never asked; its
  // name's IPv4 address answers as an IPv6 router.
  fake_.SetGet(kSecond, "ipv6Forwarding", 1);
  CKelRecord ne;
  ne.KRAddOrSetValue("m_UniqueAddress", "2001:db8::50");
  ne.KRAddOrSetValue("m_Name", "multi.lab");
  EXPECT_EQ(agent_.DADoMediationFilter(&ne), E_KBTrue);
  EXPECT_EQ(FieldText(ne, "m_SnmpAccessIP"), kSecond);
  EXPECT_EQ(CapabilityNames(ne), Names{"isIPv6Router"});
  EXPECT_EQ(Targets(), (std::vector<std::string>{kFirst, kFirst, kSecond}));
}

TEST_F(MediationFilterTest, NamesThatGiveNoIpv4AddressSkipTheFallback) {
  struct Case {
    const char* label;
    std::unique_ptr<CKelAtom> name;  // null: no m_Name
  };
  std::vector<Case> cases;
  cases.push_back({"no name", nullptr});
  cases.push_back({"name with IPv6 address only", std::make_unique<CKelAtom>("v6name.lab")});
  cases.push_back({"name that is a number", std::make_unique<CKelAtom>(42)});
  for (Case& c : cases) {
    FakeRequester fake;
    agent_.m_Requester = &fake;
    CKelRecord ne;
    ne.KRAddOrSetValue("m_UniqueAddress", kOwn);
    if (c.name != nullptr) ne.KRAddOrSetValue("m_Name", static_cast<const CKelAtom*>(c.name.get()));
    EXPECT_EQ(agent_.DIPv6UpdateNeSnmpIp(&ne), 0) << c.label;
    EXPECT_EQ(fake.Count(), 2) << c.label;  // the own address only
    EXPECT_EQ(CapabilityNames(ne), Names{"isUnknownNode"}) << c.label;
  }
}

TEST_F(MediationFilterTest, NullRecordIsRefused) {
  KelErrorCapture errors;
  EXPECT_EQ(agent_.DADoMediationFilter(nullptr), E_KBFalse);
  EXPECT_EQ(errors.Count(-220439, " neRecord is null - this should NEVER happen"), 1);
  EXPECT_EQ(errors.Reports().size(), 1u);
  EXPECT_EQ(agent_.DIPv6UpdateNeSnmpIp(nullptr), 0);
  EXPECT_EQ(fake_.Count(), 0);
}

TEST_F(MediationFilterTest, WithoutValidatorNoAddressCountsAsIpv4) {
  agent_.m_ValidAddr = nullptr;
  fake_.SetGet(kOwn, "ipv6Forwarding", 1);
  CKelRecord ne;
  ne.KRAddOrSetValue("m_UniqueAddress", kOwn);
  EXPECT_EQ(agent_.DADoMediationFilter(&ne), E_KBFalse);
  EXPECT_EQ(CapabilityNames(ne), Names{"isUnknownNode"});
  EXPECT_EQ(fake_.Count(), 0);
}

}  // namespace
