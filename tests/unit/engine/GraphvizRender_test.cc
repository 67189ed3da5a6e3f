// Drawing with Graphviz's dot: the picture, or why there is none.
#include "engine/GraphvizRender.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(GraphvizRenderTest, DrawsWithDotOrSaysWhyNot) {
  const std::string dot = DEFindGraphviz();
  if (dot.empty()) GTEST_SKIP() << "Graphviz's dot is not installed";
  const struct { std::string program, graph; bool drawn; std::string error; } rows[] = {
      {dot, "graph { a -- b }", true, ""},
      {dot, "graph { a -- ", false, dot + " could not draw the picture: Error: <stdin>: syntax error in line 1"},
      {"/nonexistent/dot", "graph {}", false, "cannot run /nonexistent/dot: No such file or directory"},
  };
  for (const auto& row : rows) {
    std::string svg, error;
    EXPECT_EQ(DERenderSvg(row.program, row.graph, &svg, &error), row.drawn) << row.graph;
    EXPECT_EQ(error.substr(0, row.error.size()), row.error);
    if (row.drawn) {
      EXPECT_NE(svg.find("<title>a&#45;&#45;b</title>"), svg.npos) << svg;
    }
  }
}

TEST(GraphvizRenderTest, FindsDotOnlyOnThePath) {
  const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  setenv("PATH", "/nonexistent:/proc", 1);
  EXPECT_EQ(DEFindGraphviz(), "");
  setenv("PATH", path.c_str(), 1);
}

}  // namespace
