#include "engine/DotReport.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "engine/Quoted.h"
#include "engine/TopologyGraph.h"

namespace {

// The look of each class: fill, line colour, extra style, text colour.
struct Look {
  const char* fill;
  const char* line;
  const char* style;
  const char* font;
};

Look LookOf(ENodeClass nodeClass) {
  switch (nodeClass) {
    case ENodeClass::kIPv6Router: return {"#c6dbef", "#2171b5", "", "black"};
    case ENodeClass::kIPv6Host: return {"#c7e9c0", "#238b45", "", "black"};
    case ENodeClass::kIPv4Only: return {"#fdd0a2", "#d94801", "", "black"};
    case ENodeClass::kOther: return {"white", "black", "", "black"};
    case ENodeClass::kFailed: return {"#f0f0f0", "gray50", ",dashed", "gray40"};
    case ENodeClass::kNotInRun: return {"white", "gray50", ",dashed", "gray30"};
  }
  return {"white", "black", "", "black"};
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

// `extra`: more attributes, each with a comma before it.
void WriteNode(const std::string& id, const std::string& label, const std::string& tooltip, ENodeClass nodeClass,
               const std::string& indent, std::ostream& out, const char* extra = "") {
  const Look look = LookOf(nodeClass);
  out << indent << DEDotQuote(id) << " [label=" << DEDotQuote(label, true);
  if (nodeClass == ENodeClass::kNotInRun) out << ", shape=ellipse";
  out << ", style=\"filled" << (nodeClass == ENodeClass::kNotInRun ? "" : ",rounded") << look.style
      << "\", fillcolor=\"" << look.fill << "\", color=\"" << look.line << "\", fontcolor=\"" << look.font << "\"";
  if (!tooltip.empty()) out << ", tooltip=" << DEDotQuote(tooltip, true);
  out << extra << "];\n";
}

void WriteGraphNode(const CGraphNode& node, const std::string& indent, std::ostream& out) {
  WriteNode(node.id, Lines(node.label), Lines(node.detail), node.nodeClass, indent, out);
}

void OpenCluster(const std::string& id, const std::string& label, const char* style, const std::string& indent,
                 std::ostream& out) {
  out << indent << "subgraph " << DEDotQuote(id) << " {\n"
      << indent << "  label=" << DEDotQuote(label) << "; style=\"" << style << "\"; color=gray60;\n";
}

}  // namespace

std::string DEDotQuote(const std::string& text, bool lineBreaks) {
  std::string out = "\"";
  for (char c : DEValidUtf8(text)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n' && lineBreaks) {
      out += "\\n";
    } else if (byte < 0x20 || byte == 0x7f) {
      out += ' ';
    } else {
      out += c;
    }
  }
  return out + "\"";
}

void DEWriteDotReport(const CRunReport& report, std::ostream& out) {
  const CTopologyGraph graph = DEBuildTopologyGraph(report);
  out << "graph ipv6disco {\n"
      << "  graph [rankdir=LR, fontname=\"Helvetica\", fontsize=10, nodesep=0.2, ranksep=0.5];\n"
      << "  node [shape=box, fontname=\"Helvetica\", fontsize=10];\n"
      << "  edge [fontname=\"Helvetica\", fontsize=8, fontcolor=gray25, color=gray40];\n";

  // Sites in order of first node, each with its prefix groups (in the
  // site of their first node); then the groups and nodes of no site.
  std::vector<std::string> sites{""};
  std::map<std::string, std::vector<std::string>> groupsOf;  // site -> groups
  std::map<std::string, std::string> siteOfGroup;
  for (const CGraphNode& node : graph.nodes) {
    if (std::find(sites.begin(), sites.end(), node.site) == sites.end()) sites.push_back(node.site);
    if (!node.group.empty() && siteOfGroup.emplace(node.group, node.site).second) {
      groupsOf[node.site].push_back(node.group);
    }
  }
  size_t clusters = 0;
  for (const std::string& site : sites) {
    std::string indent = "  ";
    if (!site.empty()) OpenCluster("cluster_" + std::to_string(++clusters), site, "rounded,bold", indent, out), indent += "  ";
    for (const CGraphNode& node : graph.nodes) {
      if (node.site == site && node.group.empty()) WriteGraphNode(node, indent, out);
    }
    for (const std::string& group : groupsOf[site]) {
      OpenCluster("cluster_" + std::to_string(++clusters), group, "rounded,dashed", indent, out);
      for (const CGraphNode& node : graph.nodes) {
        if (node.group == group) WriteGraphNode(node, indent + "  ", out);
      }
      out << indent << "}\n";
    }
    if (!site.empty()) out << "  }\n";
  }

  std::set<ENodeClass> shown;
  for (const CGraphNode& node : graph.nodes) shown.insert(node.nodeClass);
  OpenCluster("cluster_legend", "legend", "rounded", "  ", out);
  for (ENodeClass nodeClass : shown) {
    WriteNode("legend." + std::to_string(static_cast<int>(nodeClass)), DENodeClassName(nodeClass), "", nodeClass,
              "    ", out,
              ", fontsize=8, height=0.2, margin=\"0.06,0.02\"");
  }
  out << "  }\n";

  for (const CGraphEdge& edge : graph.edges) {
    out << "  " << DEDotQuote(graph.nodes[edge.from].id) << " -- " << DEDotQuote(graph.nodes[edge.to].id);
    out << " [label=" << DEDotQuote(edge.label) << ", tooltip=" << DEDotQuote(edge.detail) << "];\n";
  }
  out << "}\n";
}
