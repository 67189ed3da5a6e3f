// The relationship step: which links a run has and which NE owns the far
// end of each.
#include <gtest/gtest.h>

#include <string>

#include "engine/AddressIndex.h"
#include "engine/Relationships.h"
#include "tests/unit/engine/RunFixtures.h"

namespace {

std::string Describe(const CRunLink& l) {
  auto text = [](const std::optional<std::string>& s) { return s ? *s : std::string("null"); };
  std::string locals;
  for (const auto& local : l.localAddresses) locals += (locals.empty() ? "" : ",") + text(local);
  return text(l.neAddress) + " if" + (l.ifIndex ? std::to_string(*l.ifIndex) : "null") + " " +
         locals + " -> " + text(l.remoteAddress) + " @ " + text(l.remoteNeAddress);
}

std::vector<std::string> Links(const CRunReport& report) {
  std::vector<std::string> out;
  for (const CRunLink& link : report.links) out.push_back(Describe(link));
  return out;
}

TEST(AddressIndexTest, ComparesParsedBytes) {
  EXPECT_EQ(DEAddressKey("2001:db8::1"), DEAddressKey("2001:0DB8:0000:0000:0000:0000:0000:0001"));
  EXPECT_NE(DEAddressKey("2001:db8::1"), DEAddressKey("2001:db8::2"));
  EXPECT_NE(DEAddressKey("::ffff:192.0.2.1"), DEAddressKey("192.0.2.1"));
  EXPECT_FALSE(DEAddressKey("r1.lab.example"));
  EXPECT_FALSE(DEAddressKey("2001:db8::1/64"));
}

TEST(RelationshipsTest, OneLinkPerInterfaceAndRemoteAddress) {
  FakeRun run;
  size_t r1 = run.AddNe("192.0.2.1", "192.0.2.1");
  size_t r2 = run.AddNe("r2", "2001:db8:2::ff");
  size_t host = run.AddNe("h1", "192.0.2.10");
  run.names["h1"] = {"2001:db8:1::10"};
  // r1: two addresses on interface 2, each with copies of the interface's
  // neighbours (as the process layer files them), one written otherwise; a
  // loopback without any; interface 3 sees r2 as well.
  run.AddLocal(r1, Local(1, "2001:db8:ff::1"));
  run.AddLocal(r1, Local(2, "2001:db8:1::1"),
               {Remote("2001:db8:1::2"), Remote("2001:0DB8:1:0:0:0:0:10")});
  run.AddLocal(r1, Local(2, "fe80::1"),
               {Remote("2001:db8:1::2"), Remote("2001:db8:1::10"), Remote("2001:db8:1::2")});
  run.AddLocal(r1, Local(3, "2001:db8:3::1"), {Remote("2001:db8:1::2")});
  // r2 owns 2001:db8:1::2 as a local neighbour; it points back at r1 and at
  // a router outside the run.
  run.AddLocal(r2, Local(3, "2001:db8:1::2"), {Remote("2001:db8:1::1"), Remote("2001:db8:9::1")});
  run.Link();
  EXPECT_EQ(Links(run.report),
            (std::vector<std::string>{
                "192.0.2.1 if2 2001:db8:1::1,fe80::1 -> 2001:db8:1::2 @ 2001:db8:2::ff",
                "192.0.2.1 if2 2001:db8:1::1,fe80::1 -> 2001:0DB8:1:0:0:0:0:10 @ 192.0.2.10",
                "192.0.2.1 if3 2001:db8:3::1 -> 2001:db8:1::2 @ 2001:db8:2::ff",
                "2001:db8:2::ff if3 2001:db8:1::2 -> 2001:db8:1::1 @ 192.0.2.1",
                "2001:db8:2::ff if3 2001:db8:1::2 -> 2001:db8:9::1 @ null",
            }));
  // Positions lead back to the records: the first local neighbour of each.
  const CRunLink& merged = run.report.links[1];
  EXPECT_EQ(merged.locals, (std::vector<size_t>{1, 2}));
  EXPECT_EQ(merged.remote, 1u);
  EXPECT_EQ(merged.remoteNe, std::optional<size_t>(host));
  const CRunLink& last = run.report.links.back();
  EXPECT_EQ(last.ne, r2);
  EXPECT_EQ(last.local, 0u);
  EXPECT_EQ(last.remote, 1u);
}

TEST(RelationshipsTest, OwnersAreLocalAddressesUniqueAddressesThenNamesFirstNeWins) {
  FakeRun run;
  size_t a = run.AddNe("a", "2001:db8::a");
  size_t b = run.AddNe("b", "2001:db8::b");
  size_t failed = run.AddNe("c", "2001:db8::c", /*processed=*/false);
  run.AddNe("c", nullptr);  // the same name again: resolved once
  run.AddNe("2001:db8::d/64", "2001:db8::d");  // an address: not resolved
  run.names = {{"a", {"2001:db8::1"}}, {"c", {"2001:db8::c", "2001:db8::c1"}}};
  run.AddLocal(a, Local(1, "2001:db8::b"));  // a claims b's own address first
  run.AddLocal(b, Local(1, "2001:db8::1"),
               {Remote("2001:db8::b"), Remote("2001:db8::c1"), Remote("not-an-address"),
                Remote("not-an-address")});
  run.Link();
  EXPECT_EQ(Links(run.report),
            (std::vector<std::string>{
                "2001:db8::b if1 2001:db8::1 -> 2001:db8::b @ 2001:db8::a",
                "2001:db8::b if1 2001:db8::1 -> 2001:db8::c1 @ 2001:db8::c",
                "2001:db8::b if1 2001:db8::1 -> not-an-address @ null",
                "2001:db8::b if1 2001:db8::1 -> not-an-address @ null",
            }));
  EXPECT_EQ(run.report.links[1].remoteNe, std::optional<size_t>(failed));
  EXPECT_EQ(run.resolved, (std::vector<std::string>{"a", "b", "c"}));

  CAddressIndex owners = DEIndexOwners(run.report.nes, run.Resolver());
  EXPECT_EQ(owners.Find("2001:db8::b")->local, std::optional<size_t>(0));
  EXPECT_EQ(owners.Find("2001:db8::1")->ne, a);  // a's name comes before b's neighbours
  EXPECT_EQ(owners.Find("2001:db8::a")->ne, a);
  EXPECT_FALSE(owners.Find("2001:db8::a")->local);
}

TEST(RelationshipsTest, MissingFieldsGiveEmptyValues) {
  FakeRun run;
  size_t x = run.AddNe("x", nullptr);  // no "m_UniqueAddress"
  run.AddLocal(x, Local(-1, nullptr),
               {Fields({{"m_RemoteNbrIpPfxLength", Int(64)}}), Remote("2001:db8::9")});
  run.AddLocal(x, Local(-1, "2001:db8::5"),
               {Fields({{"m_RemoteNbrIpPfxLength", Int(64)}}), Remote("2001:db8::9")});
  run.AddLocal(x, Local(4, "2001:db8::4"));  // no remote: no link
  run.Link();
  // Without interface index or remote address nothing is merged.
  EXPECT_EQ(Links(run.report), (std::vector<std::string>{
                                   "null ifnull null -> null @ null",
                                   "null ifnull null -> 2001:db8::9 @ null",
                                   "null ifnull 2001:db8::5 -> null @ null",
                                   "null ifnull 2001:db8::5 -> 2001:db8::9 @ null",
                               }));
}

}  // namespace
