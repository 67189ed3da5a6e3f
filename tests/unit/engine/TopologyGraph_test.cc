// The picture's graph: the class of each NE, one edge per adjacency with its prefix, groups by prefix and site.
#include "engine/TopologyGraph.h"

#include <gtest/gtest.h>

#include "tests/unit/engine/RunFixtures.h"

namespace {

CKelAtom* Capabilities(const std::vector<const char*>& words) {
  auto* list = new CKelDoubleList();
  for (const char* word : words) list->KDLAddToListEnd(Str(word));
  return new CKelAtom(list, E_KDTList);
}

TEST(TopologyGraphTest, AnNeIsClassedByItsCapabilitiesUnlessItFailed) {
  const struct { std::vector<const char*> capabilities; bool processed; ENodeClass nodeClass; } rows[] = {
      {{"isIPv4Router", "isIPv6Router"}, true, ENodeClass::kIPv6Router},
      {{"isIPv6Host", "isIPv6OnlyNode"}, true, ENodeClass::kIPv6Host},
      {{"isIPv4Node", "isIPv6Node"}, true, ENodeClass::kIPv6Host},
      {{"isIPv4Router", "isIPv4Node"}, true, ENodeClass::kIPv4Only},
      {{"isUnknownNode"}, true, ENodeClass::kOther},
      {{"isIPv6Router"}, false, ENodeClass::kFailed},
  };
  for (const auto& row : rows) {
    FakeRun run;
    run.AddNe("n", nullptr, row.processed);
    run.records[0]->KRAddOrSetValue("m_Capabilities", Capabilities(row.capabilities));
    EXPECT_EQ(DEClassOf(run.report.nes[0]), row.nodeClass) << row.capabilities[0] << " " << row.processed;
  }
}

CKelDoubleList* Global(long long ifIndex, const char* address, const char* prefix, const char* name = nullptr) {
  FieldList f{{"ipv6IfIndex", Int(ifIndex)}, {"ipv6AddrAddress", Str(address)}, {"ipv6AddrPfxLength", Int(64)},
              {"ipv6AddrScope", Int(3)}, {"ipv6AddrPrefix", Str(prefix)}};
  if (name != nullptr) f.push_back({"ipv6AddrPrefixName", Str(name)});
  return Fields(f);
}

CKelDoubleList* LinkLocal(long long ifIndex, const char* address) {
  return Fields({{"ipv6IfIndex", Int(ifIndex)}, {"ipv6AddrAddress", Str(address)}, {"ipv6AddrPfxLength", Int(64)},
                 {"ipv6AddrScope", Int(1)}, {"ipv6AddrPrefix", Str("fe80::")}});
}

// Routers a and b joined twice (on "ab" and 2001:db8:2::/64), each side seeing the other's global and link-local
// address, and a through b's loopback, which no local neighbour of b holds; a sees a host of the run and a stranger
// on the second link, and its own address.
TEST(TopologyGraphTest, EachAdjacencyIsOneEdgeLabelledWithItsPrefix) {
  FakeRun run;
  run.AddNe("a", "2001:db8:ff::a", true, "a.x.example");
  run.AddNe("b", "2001:db8:ff::b", true, "b.y.example");
  run.AddNe("h", "2001:db8:2::50", true, "h.x.example");
  for (size_t ne : {0, 1}) run.records[ne]->KRAddOrSetValue("m_Capabilities", Capabilities({"isIPv6Router"}));
  run.records[2]->KRAddOrSetValue("m_PrefixAddress", "2001:db8:2::");
  run.records[2]->KRAddOrSetValue("m_PrefixLength", Int(64));
  run.AddLocal(0, LinkLocal(2, "fe80::a"), {Remote("fe80::b"), Remote("2001:db8:1::2")});
  run.AddLocal(0, Global(2, "2001:db8:1::1", "2001:db8:1::", "ab"),
               {Remote("2001:db8:1::2"), Remote("fe80::b"), Remote("2001:db8:ff::b"), Remote("2001:db8:1::1")});
  run.AddLocal(0, Global(3, "2001:db8:2::1", "2001:db8:2::"),
               {Remote("2001:db8:2::2"), Remote("2001:db8:2::50"), Remote("2001:db8:2::99")});
  run.AddLocal(1, Global(5, "2001:db8:1::2", "2001:db8:1::", "ab"), {Remote("2001:db8:1::1")});
  run.AddLocal(1, LinkLocal(5, "fe80::b"), {Remote("fe80::a")});
  run.AddLocal(1, LinkLocal(6, "fe80::b:6"), {Remote("2001:db8:2::1")});
  run.AddLocal(1, Global(6, "2001:db8:2::2", "2001:db8:2::"));
  run.Link();
  const CTopologyGraph graph = DEBuildTopologyGraph(run.report);
  std::vector<std::string> edges, nodes;
  for (const CGraphEdge& e : graph.edges) edges.push_back(graph.nodes[e.from].id + " " + graph.nodes[e.to].id + " " + e.label);
  for (const CGraphNode& n : graph.nodes) nodes.push_back(n.id + " [" + n.site + "] [" + n.group + "]");
  EXPECT_EQ(edges, (std::vector<std::string>{"ne0 ne1 ab", "ne0 ne1 2001:db8:2::/64", "ne0 ne2 2001:db8:2::/64",
                                             "ne0 remote.2001:db8:2::99 2001:db8:2::/64"}));
  EXPECT_EQ(nodes, (std::vector<std::string>{"ne0 [x.example] []", "ne1 [y.example] []",
                                             "ne2 [x.example] [2001:db8:2::/64]",
                                             "remote.2001:db8:2::99 [x.example] [2001:db8:2::/64]"}));
  EXPECT_EQ(graph.edges[0].detail, "a.x.example interface 2 fe80::a -- b.y.example interface 5 fe80::b");
}

}  // namespace
