// End nodes: IPv4 nodes, and IPv6-only nodes with short address, DNS name,
// scope class, prefix and prefix name.
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

struct ScopeCase {
  const char* address;
  int scope;  // scope number, for the failure message
  int scopeClass;
};

const std::vector<ScopeCase> kScopeCases = {
    {"fe80::1", 1, 1},     {"febf::1", 1, 1},  {"fec0::1", 2, 2},  {"2001:db8::1", 3, 3},
    {"3fff::1", 3, 3},     {"::1", 4, 0},      {"::", 5, 0},       {"::ffff:192.0.2.1", 6, 0},
    {"::192.0.2.1", 7, 0}, {"ff00::1", 8, 0},  {"ff03::1", 8, 0},  {"ff01::1", 9, 3},
    {"ff02::1", 10, 3},    {"ff05::2", 11, 3}, {"ff08::1", 12, 3}, {"ff0e::1", 13, 3},
    {"4000::1", 0, 3},     {"fc00::1", 0, 3},
};

class EndNodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Every address the tests look up has a name here, so that no lookup
    // leaves the process.
    std::string names =
        "2001:db8:1:2::5 v6host.lab\n"
        "fe80::1 ll-router.lab\n"
        "2001:db8:9::5 other.lab\n";
    for (const ScopeCase& c : kScopeCases) names += std::string(c.address) + " scope.lab\n";
    ZWSetNamesOverlay(ZWNamesOverlay::FromText(names));
    dirs_.WritePrefixNames("2001:db8:1:2::/64 lab-net\n");
    agent_ = std::make_unique<MibTestAgent>();
    agent_->m_Requester = &fake_;
    agent_->m_ValidAddr = &validator_;
  }
  void TearDown() override {
    agent_.reset();
    ZWSetNamesOverlay(nullptr);
  }

  ScopedConfigDirs dirs_;
  std::unique_ptr<MibTestAgent> agent_;
  FakeRequester fake_;
  CKelValidAddress validator_;
};

TEST_F(EndNodeTest, LinkLocalOnlyNodeIsNotMediated) {
  CKelRecord ne;
  ne.KRAddOrSetValue("m_IpAddress", "FE80:0000:0000:0000:0000:0000:0000:0001");
  KelTraceCapture trace(4);
  EXPECT_EQ(agent_->DADoMediationFilter(&ne), E_KBFalse);
  EXPECT_EQ(CapabilityNames(ne), (Names{"isUnknownNode", "isIPv6OnlyNode"}));
  EXPECT_EQ(FieldText(ne, "m_UniqueAddress"), "fe80::1");
  EXPECT_EQ(FieldText(ne, "m_DnsName"), "ll-router.lab");
  ASSERT_NE(ne.KRValueOf("m_AddressScope"), nullptr);
  EXPECT_EQ(ne.KRValueOf("m_AddressScope")->KAInt(), 1);
  EXPECT_EQ(FieldText(ne, "m_PrefixAddress"), "<absent>");
  EXPECT_EQ(fake_.Count(), 0);
  EXPECT_TRUE(trace.Contains("\nENTER : CDiscoIPv6Agent::DIPv6ProcessEndNode()\n"));
  EXPECT_TRUE(trace.Contains("-- DIPv6ProcessEndNode() ipv6-only node\n"));
  EXPECT_TRUE(trace.Contains("LEAVE : CDIPv6Agent::DIPv6ProcessEndNode()\n"));
}

TEST_F(EndNodeTest, PrefixAndPrefixName) {
  struct Case {
    const char* label;
    const char* address;
    std::unique_ptr<CKelAtom> length;  // null: no m_PrefixLength
    const char* prefix;                // "<absent>" when not written
    const char* name;
  };
  std::vector<Case> cases;
  cases.push_back({"named /64", "2001:db8:1:2::5", std::make_unique<CKelAtom>(64),
                   "2001:db8:1:2::", "lab-net"});
  cases.push_back({"unnamed prefix", "2001:db8:9::5", std::make_unique<CKelAtom>(64),
                   "2001:db8:9::", "<absent>"});
  cases.push_back({"other length", "2001:db8:1:2::5", std::make_unique<CKelAtom>(48),
                   "2001:db8:1::", "<absent>"});
  cases.push_back({"no length", "2001:db8:1:2::5", nullptr, "<absent>", "<absent>"});
  cases.push_back({"length 0", "2001:db8:1:2::5", std::make_unique<CKelAtom>(0), "::", "<absent>"});
  cases.push_back({"length beyond 128", "2001:db8:1:2::5", std::make_unique<CKelAtom>(500),
                   "2001:db8:1:2::5", "<absent>"});
  cases.push_back({"negative length", "2001:db8:1:2::5", std::make_unique<CKelAtom>(-1), "<absent>",
                   "<absent>"});
  cases.push_back({"length as text", "2001:db8:1:2::5", std::make_unique<CKelAtom>("64"),
                   "<absent>", "<absent>"});
  for (Case& c : cases) {
    CKelRecord ne;
    ne.KRAddOrSetValue("m_UniqueAddress", c.address);
    if (c.length != nullptr) {
      ne.KRAddOrSetValue("m_PrefixLength", static_cast<const CKelAtom*>(c.length.get()));
    }
    agent_->DIPv6ProcessEndNode(&ne);
    EXPECT_EQ(FieldText(ne, "m_PrefixAddress"), c.prefix) << c.label;
    EXPECT_EQ(FieldText(ne, "m_PrefixName"), c.name) << c.label;
    EXPECT_EQ(FieldText(ne, "m_UniqueAddress"), c.address) << c.label;
    EXPECT_EQ(ne.KRValueOf("m_AddressScope")->KAInt(), 3) << c.label;
    EXPECT_EQ(CapabilityNames(ne), Names{"isIPv6OnlyNode"}) << c.label;
  }
}

TEST_F(EndNodeTest, FullIpv6OnlyNodeThroughTheFilter) {
  CKelRecord ne;
  ne.KRAddOrSetValue("m_UniqueAddress", "2001:0db8:0001:0002:0000:0000:0000:0005");
  ne.KRAddOrSetValue("m_PrefixLength", 64);
  EXPECT_EQ(agent_->DADoMediationFilter(&ne), E_KBFalse);
  EXPECT_EQ(FieldText(ne, "m_UniqueAddress"), "2001:db8:1:2::5");
  EXPECT_EQ(FieldText(ne, "m_DnsName"), "v6host.lab");
  EXPECT_EQ(ne.KRValueOf("m_AddressScope")->KAInt(), 3);
  EXPECT_EQ(FieldText(ne, "m_PrefixAddress"), "2001:db8:1:2::");
  EXPECT_EQ(FieldText(ne, "m_PrefixName"), "lab-net");
  EXPECT_EQ(CapabilityNames(ne), (Names{"isUnknownNode", "isIPv6OnlyNode"}));
}

TEST_F(EndNodeTest, ScopeClassOfEveryScope) {
  for (const ScopeCase& c : kScopeCases) {
    CKelRecord ne;
    ne.KRAddOrSetValue("m_IpAddress", c.address);
    agent_->DIPv6ProcessEndNode(&ne);
    ASSERT_NE(ne.KRValueOf("m_AddressScope"), nullptr) << c.address;
    EXPECT_EQ(ne.KRValueOf("m_AddressScope")->KAType(), E_KDTInteger) << c.address;
    EXPECT_EQ(ne.KRValueOf("m_AddressScope")->KAInt(), c.scopeClass)
        << c.address << " (scope " << c.scope << ")";
    EXPECT_EQ(CapabilityNames(ne), Names{"isIPv6OnlyNode"}) << c.address;
  }
}

TEST_F(EndNodeTest, IpAddressFieldComesFirst) {
  CKelRecord ne;
  ne.KRAddOrSetValue("m_UniqueAddress", "2001:db8::dead");
  ne.KRAddOrSetValue("m_IpAddress", "2001:db8:1:2:0:0:0:5");
  agent_->DIPv6ProcessEndNode(&ne);
  EXPECT_EQ(FieldText(ne, "m_UniqueAddress"), "2001:db8:1:2::5");
  EXPECT_EQ(FieldText(ne, "m_IpAddress"), "2001:db8:1:2:0:0:0:5");
}

TEST_F(EndNodeTest, AddressGivenWithLengthIsDescribed) {
  // As name processing leaves an NE given as "address/length".
  CKelRecord ne;
  ne.KRAddOrSetValue("m_IpAddress", "2001:db8:1:2::5/64");
  ne.KRAddOrSetValue("m_UniqueAddress", "2001:db8:1:2::5");
  ne.KRAddOrSetValue("m_PrefixLength", 64);
  agent_->DIPv6ProcessEndNode(&ne);
  EXPECT_EQ(FieldText(ne, "m_IpAddress"), "2001:db8:1:2::5/64");
  EXPECT_EQ(FieldText(ne, "m_DnsName"), "v6host.lab");
  EXPECT_EQ(FieldText(ne, "m_PrefixAddress"), "2001:db8:1:2::");
  EXPECT_EQ(FieldText(ne, "m_PrefixName"), "lab-net");
  EXPECT_EQ(CapabilityNames(ne), Names{"isIPv6OnlyNode"});
}

TEST_F(EndNodeTest, Ipv4NodeGetsOnlyItsCapability) {
  CKelRecord ne;
  ne.KRAddOrSetValue("m_UniqueAddress", "198.51.100.10");
  ne.KRAddOrSetValue("m_PrefixLength", 24);
  KelTraceCapture trace(4);
  agent_->DIPv6ProcessEndNode(&ne);
  EXPECT_EQ(CapabilityNames(ne), Names{"isIPv4Node"});
  EXPECT_TRUE(trace.Contains("-- DIPv6ProcessEndNode() found ipv4-only node\n"));
  for (const char* field : {"m_DnsName", "m_AddressScope", "m_PrefixAddress", "m_PrefixName"}) {
    EXPECT_EQ(ne.KRValuePairOf(field), nullptr) << field;
  }
}

TEST_F(EndNodeTest, NodesWithoutUsableAddressGetNothing) {
  struct Case {
    const char* label;
    const char* ipAddress;      // null: field absent
    const char* uniqueAddress;  // null: field absent
  } cases[] = {
      {"no address", nullptr, nullptr},
      {"not an address", "not-an-address", nullptr},
      {"invalid IpAddress hides a valid UniqueAddress", "2001:db8::zz", "2001:db8::1"},
      {"empty", "", nullptr},
      {"IPv4 with a prefix length suffix", nullptr, "198.51.100.1/24"},
  };
  for (const Case& c : cases) {
    CKelRecord ne;
    if (c.ipAddress != nullptr) ne.KRAddOrSetValue("m_IpAddress", c.ipAddress);
    if (c.uniqueAddress != nullptr) ne.KRAddOrSetValue("m_UniqueAddress", c.uniqueAddress);
    const int fieldsBefore = ne.KRFields().KDLLength();
    agent_->DIPv6ProcessEndNode(&ne);
    EXPECT_EQ(ne.KRFields().KDLLength(), fieldsBefore) << c.label;
  }
  CKelRecord numeric;
  numeric.KRAddOrSetValue("m_IpAddress", 7);
  agent_->DIPv6ProcessEndNode(&numeric);
  EXPECT_EQ(numeric.KRFields().KDLLength(), 1);

  KelErrorCapture errors;
  agent_->DIPv6ProcessEndNode(nullptr);
  EXPECT_EQ(errors.Count(-220552), 1);
}

}  // namespace
