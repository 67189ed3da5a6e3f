// The relationship step: which links a run has and which NE owns the far end of each.
#include <gtest/gtest.h>

#include "tests/unit/engine/RunFixtures.h"

namespace {

using Texts = std::vector<std::string>;

Texts Links(const CRunReport& report) {  // each as "NE ifINDEX LOCALS -> REMOTE @ OWNER", "-": absent
  auto text = [](const std::optional<std::string>& s) { return s.value_or("-"); };
  Texts out;
  for (const CRunLink& l : report.links) {
    std::string s = text(l.neAddress) + " if" + (l.ifIndex ? std::to_string(*l.ifIndex) : "-");
    const auto locals = DELocalAddresses(report.nes, l);
    for (size_t i = 0; i < locals.size(); ++i) s += (i ? "," : " ") + text(locals[i]);
    out.push_back(s + " -> " + text(l.remoteAddress) + " @ " + text(l.remoteNeAddress));
  }
  return out;
}

TEST(RelationshipsTest, OneLinkPerInterfaceAndRemoteAddress) {
  FakeRun run;
  run.AddNe("192.0.2.1", "192.0.2.1"), run.AddNe("r2", "2001:db8:2::ff"), run.AddNe("h1", "192.0.2.10");
  run.AddNe("x", nullptr), run.names["h1"] = {"2001:db8:1::10"};
  // r1: interface 2 has two addresses with copies of its neighbours, one written otherwise; a loopback
  // without any; interface 3 sees r2 too, which owns 2001:db8:1::2. Without an index nothing merges.
  run.AddLocal(0, Local(1, "2001:db8:ff::1"));
  run.AddLocal(0, Local(2, "2001:db8:1::1"), {Remote("2001:db8:1::2"), Remote("2001:0DB8:1:0:0:0:0:10")});
  run.AddLocal(0, Local(2, "fe80::1"), {Remote("2001:db8:1::2"), Remote("2001:db8:1::10"),
                                         Remote("2001:db8:1::2")});
  run.AddLocal(0, Local(3, "2001:db8:3::1"), {Remote("2001:db8:1::2")});
  run.AddLocal(1, Local(3, "2001:db8:1::2"), {Remote("2001:db8:1::1"), Remote("2001:db8:9::1")});
  run.AddLocal(3, Local(-1, "2001:db8::5"), {Fields({}), Remote("2001:db8::9")});
  run.Link();
  EXPECT_EQ(Links(run.report), (Texts{
      "192.0.2.1 if2 2001:db8:1::1,fe80::1 -> 2001:db8:1::2 @ 2001:db8:2::ff",
      "192.0.2.1 if2 2001:db8:1::1,fe80::1 -> 2001:0DB8:1:0:0:0:0:10 @ 192.0.2.10",
      "192.0.2.1 if3 2001:db8:3::1 -> 2001:db8:1::2 @ 2001:db8:2::ff",
      "2001:db8:2::ff if3 2001:db8:1::2 -> 2001:db8:1::1 @ 192.0.2.1",
      "2001:db8:2::ff if3 2001:db8:1::2 -> 2001:db8:9::1 @ -", "- if- 2001:db8::5 -> - @ -",
      "- if- 2001:db8::5 -> 2001:db8::9 @ -"}));
  const CRunLink& merged = run.report.links[1];  // positions lead back to the records
  EXPECT_TRUE(merged.locals == std::vector<size_t>({1, 2}) && merged.remote == 1u && merged.remoteNe == 2u);
}

TEST(RelationshipsTest, OwnersAreLocalAddressesUniqueAddressesThenNamesFirstNeWins) {
  FakeRun run;
  run.AddNe("a", "2001:db8::a"), run.AddNe("b", "2001:db8::b"), run.AddNe("c", "2001:db8::c", false);
  run.AddNe("c", nullptr), run.AddNe("2001:db8::d/64", "2001:db8::d");  // c: resolved once; d: not at all
  run.names = {{"a", {"2001:db8::1"}}, {"c", {"2001:db8::c", "2001:db8::c1"}}};
  run.AddLocal(0, Local(1, "2001:db8::b"));  // a claims b's own address first
  run.AddLocal(1, Local(1, "2001:db8::1"), {Remote("2001:db8::b"), Remote("2001:db8::c1"), Remote("x:y")});
  run.Link();
  EXPECT_EQ(Links(run.report), (Texts{"2001:db8::b if1 2001:db8::1 -> 2001:db8::b @ 2001:db8::a",
                                      "2001:db8::b if1 2001:db8::1 -> 2001:db8::c1 @ 2001:db8::c",
                                      "2001:db8::b if1 2001:db8::1 -> x:y @ -"}));
  EXPECT_EQ(run.resolved, (Texts{"a", "b", "c"}));
}

}  // namespace
