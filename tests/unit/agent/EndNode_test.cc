// End nodes: IPv4 nodes, and IPv6-only nodes with short address, DNS name, scope class, prefix, prefix name.
#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "host/CKelValidAddress.h"
#include "host/ZWResolver.h"
#include "tests/support/FakeRequester.h"
#include "tests/support/MibFixtures.h"
#include "tests/support/TempDir.h"

namespace {

// "field=value " of the fields an end node may get, then the capabilities.
std::string Described(const CKelRecord& ne) {
  std::string out;
  for (const char* f : {"m_IpAddress", "m_UniqueAddress", "m_DnsName", "m_AddressScope", "m_PrefixAddress",
                        "m_PrefixName"}) {
    if (const CKelAtom* a = ne.KRValueOf(f)) {
      char* t = a->KAStrRep();
      out += std::string(f + 2) + "=" + t + " ";
      free(t);
    }
  }
  for (const std::string& c : CapabilityNames(ne)) out += c + " ";
  return out;
}

TEST(EndNodeTest, EndNodeFieldsByAddress) {
  ZWSetNamesOverlay(ZWNamesOverlay::FromText("2001:db8:1:2::5 v6host.lab\nfe80::1 ll-router.lab\n"));
  ScopedConfigDirs dirs;
  dirs.WritePrefixNames("2001:db8:1:2::/64 lab-net\n");
  MibTestAgent agent;
  FakeRequester fake;
  CKelValidAddress validator;
  agent.m_Requester = &fake, agent.m_ValidAddr = &validator;
  const std::string v6 = "UniqueAddress=2001:db8:1:2::5 DnsName=v6host.lab AddressScope=3 ",
                    only = "isIPv6OnlyNode ", net = "PrefixAddress=2001:db8:1:2:: PrefixName=lab-net ",
                    filtered = "isUnknownNode " + only,
                    ll = "UniqueAddress=fe80::1 DnsName=ll-router.lab AddressScope=1 ";
  const char *h = "2001:db8:1:2::5", *full = "2001:0db8:0001:0002:0000:0000:0000:0005";
  auto n = [](auto value) { return std::make_shared<CKelAtom>(value); };
  // null: field absent; filter: through the mediation filter, which must not mediate an IPv6-only node
  const struct { const char *what, *ip, *unique; std::shared_ptr<CKelAtom> length; std::string fields;
                 bool filter = false; } rows[] = {
      {"named /64", nullptr, h, n(64), v6 + net + only},
      {"address given with length", "2001:db8:1:2::5/64", h, n(64),
       "IpAddress=2001:db8:1:2::5/64 " + v6 + net + only},
      {"unnamed prefix", nullptr, "2001:db8:9::5", n(64),
       "UniqueAddress=2001:db8:9::5 AddressScope=3 PrefixAddress=2001:db8:9:: " + only},
      {"other length", nullptr, h, n(48), v6 + "PrefixAddress=2001:db8:1:: " + only},
      {"no length", nullptr, h, nullptr, v6 + only},
      {"length 0", nullptr, h, n(0), v6 + "PrefixAddress=:: " + only},
      {"length beyond 128", nullptr, h, n(500), v6 + "PrefixAddress=2001:db8:1:2::5 " + only},
      {"negative length", nullptr, h, n(-1), v6 + only}, {"length as text", nullptr, h, n("64"), v6 + only},
      {"IpAddress first", "2001:db8:1:2:0:0:0:5", "::d", nullptr,
       "IpAddress=2001:db8:1:2:0:0:0:5 " + v6 + only},
      {"link-local", "FE80:0:0:0:0:0:0:1", nullptr, nullptr, "IpAddress=FE80:0:0:0:0:0:0:1 " + ll + only},
      {"IPv4 node", nullptr, "198.51.100.10", n(24), "UniqueAddress=198.51.100.10 isIPv4Node "},
      {"no address", nullptr, nullptr, nullptr, ""}, {"no address either", "x", 0, 0, "IpAddress=x "},
      {"invalid IpAddress hides a valid UniqueAddress", "2001:db8::zz", "2001:db8::1", nullptr,
       "IpAddress=2001:db8::zz UniqueAddress=2001:db8::1 "},
      {"IPv4 with a length suffix", nullptr, "198.51.100.1/24", nullptr, "UniqueAddress=198.51.100.1/24 "},
      {"filtered", nullptr, full, n(64), v6 + net + filtered, true},
      {"filtered link-local", nullptr, "fe80::1", n(64), ll + "PrefixAddress=fe80:: " + filtered, true},
  };
  for (const auto& row : rows) {
    CKelRecord ne;
    if (row.ip) ne.KRAddOrSetValue("m_IpAddress", row.ip);
    if (row.unique) ne.KRAddOrSetValue("m_UniqueAddress", row.unique);
    if (row.length) ne.KRAddOrSetValue("m_PrefixLength", static_cast<const CKelAtom*>(row.length.get()));
    if (!row.filter) agent.DIPv6ProcessEndNode(&ne);
    EXPECT_EQ(row.filter ? agent.DADoMediationFilter(&ne) : E_KBFalse, E_KBFalse) << row.what;
    EXPECT_EQ(Described(ne), row.fields) << row.what;
  }
  EXPECT_EQ(fake.Count(), 0);
  const std::pair<const char*, int> scopes[] = {  // address, scope class; a number has no scope
      {"febf::1", 1}, {"fec0::1", 2}, {"3fff::1", 3}, {"::1", 0}, {"::", 0}, {"::ffff:192.0.2.1", 0},
      {"::192.0.2.1", 0}, {"ff00::1", 0}, {"ff03::1", 0}, {"ff01::1", 3}, {"ff02::1", 3}, {"ff05::2", 3},
      {"ff08::1", 3}, {"ff0e::1", 3}, {"4000::1", 3}, {"7", -1}};
  for (const auto& [address, scopeClass] : scopes) {
    CKelRecord ne;
    scopeClass < 0 ? ne.KRAddOrSetValue("m_IpAddress", 7) : ne.KRAddOrSetValue("m_IpAddress", address);
    agent.DIPv6ProcessEndNode(&ne);
    const CKelAtom* scope = ne.KRValueOf("m_AddressScope");
    const bool right = scope && scope->KAType() == E_KDTInteger && scope->KAInt() == scopeClass;
    EXPECT_TRUE(scopeClass < 0 ? !scope : right) << address;
  }
  ZWSetNamesOverlay(nullptr);
}

}  // namespace
