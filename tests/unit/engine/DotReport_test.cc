// The Graphviz report: NE boxes, interface nodes, one edge per joined pair,
// strangers, and quoting.
#include <gtest/gtest.h>

#include <sstream>

#include "engine/DotReport.h"
#include "tests/unit/engine/RunFixtures.h"

namespace {

std::string Write(const CRunReport& report) {
  std::ostringstream out;
  DEWriteDotReport(report, out);
  return out.str();
}

int Count(const std::string& text, const std::string& needle) {
  int n = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
  return n;
}

TEST(DotReportTest, QuotesEverythingThatCouldBreakTheGraph) {
  EXPECT_EQ(DEDotQuote("plain"), "\"plain\"");
  EXPECT_EQ(DEDotQuote("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(DEDotQuote("a\nb\tc"), "\"a b c\"");
  EXPECT_EQ(DEDotQuote("a\nb", true), "\"a\\nb\"");
}

TEST(DotReportTest, TwoRoutersPointingAtEachOtherGiveOneEdge) {
  FakeRun run;
  size_t a = run.AddNe("a", "192.0.2.1", true, "a.lab");
  size_t b = run.AddNe("b", "192.0.2.2", true, "b.lab");
  size_t host = run.AddNe("h", "2001:db8:1::5", true, "h.lab");
  size_t gone = run.AddNe("s", "2001:db8:1::99", false, "s\"q");
  // Two addresses on a's interface 2, both seeing b and the host; b sees a.
  run.AddLocal(a, Local(2, "2001:db8:1::1", "eth0"),
               {Remote("2001:db8:1::2"), Remote("2001:db8:1::5"), Remote("2001:db8:9::1")});
  run.AddLocal(a, Local(2, "fe80::1", "eth0"), {Remote("2001:db8:1::2"), Remote("2001:db8:9::1")});
  run.AddLocal(b, Local(7, "2001:db8:1::2", "ge-0/0/1"),
               {Remote("2001:db8:1::1"), Remote("2001:db8:1::99")});
  (void)host;
  (void)gone;
  run.Link();
  const std::string dot = Write(run.report);
  EXPECT_EQ(dot.rfind("graph ipv6disco {\n", 0), 0u);
  EXPECT_EQ(dot.substr(dot.size() - 2), "}\n");
  // Clusters for the routers, plain boxes for the others.
  EXPECT_EQ(Count(dot, "subgraph \"cluster_ne"), 2);
  EXPECT_NE(dot.find("\"ne0.if2\" [shape=ellipse, label=\"eth0\\n2001:db8:1::1/64\\nfe80::1/64\"]"),
            std::string::npos)
      << dot;
  EXPECT_NE(dot.find("\"ne1.if7\" [shape=ellipse, label=\"ge-0/0/1\\n2001:db8:1::2/64\"]"),
            std::string::npos)
      << dot;
  EXPECT_NE(dot.find("\"ne3\" [shape=box, style=\"bold,dashed\", label=\"s\\\"q\\n"
                     "2001:db8:1::99\\n(failed)\""),
            std::string::npos)
      << dot;
  // a-b once, a-host once, b-sensor once, a-stranger once.
  EXPECT_EQ(Count(dot, " -- "), 4) << dot;
  EXPECT_EQ(Count(dot, "\"ne0.if2\" -- \"ne1.if7\";"), 1) << dot;
  EXPECT_EQ(Count(dot, "\"ne0.if2\" -- \"ne2\";"), 1) << dot;
  EXPECT_EQ(Count(dot, "\"ne1.if7\" -- \"ne3\";"), 1) << dot;
  EXPECT_EQ(Count(dot, "\"remote.2001:db8:9::1\" [shape=ellipse, style=dashed"), 1) << dot;
  EXPECT_EQ(Count(dot, "\"ne0.if2\" -- \"remote.2001:db8:9::1\";"), 1) << dot;
}

}  // namespace
