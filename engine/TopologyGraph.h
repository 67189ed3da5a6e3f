// The topology of a run as a picture sees it: one node per NE and one per
// remote address that no NE of the run owns, one edge per adjacency, and
// the groups the nodes are drawn in. Built from a finished report; plain
// data, no reference into the report. No state; safe from any thread.
//
// - An adjacency is a pair of interfaces that see each other: the links
//   A->B and B->A, and the links to each address (global, link-local) of
//   one interface, make one edge. Two NEs joined on two interfaces get two
//   edges. Where the far interface is unknown (the far NE has no local
//   neighbour with the address), the link joins the edge from the same
//   interface to that NE if there is one. An NE seeing itself gets none.
// - An edge's label is the link's prefix: its name when the prefix list
//   has one, else "prefix/length", from the first global address of the
//   interface (of the near end, else the far end); "" when neither has one.
// - Nodes are grouped by site: the DNS domain of the NE's name (all but its
//   first label; for an address, that of the NE that saw it), kept only
//   when the run's nodes come from two sites or more.
// - Every node but a router is also grouped by prefix: an NE by its own
//   prefix ("m_PrefixName", else "m_PrefixAddress/m_PrefixLength"), an
//   address by the prefix of the link to it. A prefix group of one node is
//   dropped (the edge's label names the prefix already). The picture
//   draws a prefix group inside the site of its first node.
#ifndef ENGINE_TOPOLOGYGRAPH_H_
#define ENGINE_TOPOLOGYGRAPH_H_

#include <string>
#include <vector>

#include "engine/RunReport.h"

// What a node stands for; the picture colours each and says so in its legend.
enum class ENodeClass { kIPv6Router, kIPv6Host, kIPv4Only, kOther, kFailed, kNotInRun };

// The legend's words for `nodeClass`.
const char* DENodeClassName(ENodeClass nodeClass);

// kFailed for an NE not processed (or interrupted); else by "m_Capabilities":
// isIPv6Router; any other IPv6 capability (host, node); an IPv4 one only;
// kOther for none of them.
ENodeClass DEClassOf(const CRunNe& ne);

struct CGraphNode {
  std::string id;       // unique in the graph: "ne<index>" or "remote.<address>"
  std::vector<std::string> label;  // lines
  std::vector<std::string> detail; // lines for a tooltip
  ENodeClass nodeClass = ENodeClass::kOther;
  std::string site;   // "" : none
  std::string group;  // prefix group; "" : none
};

struct CGraphEdge {
  size_t from = 0, to = 0;  // indices into CTopologyGraph::nodes: the ends of its first link
  std::string label;
  std::string detail;  // "<NE> <interface> <address> -- <far end>"
};

struct CTopologyGraph {
  std::vector<CGraphNode> nodes;  // the NEs in input order, then addresses in order of first link
  std::vector<CGraphEdge> edges;  // in order of first link
};

CTopologyGraph DEBuildTopologyGraph(const CRunReport& report);

#endif  // ENGINE_TOPOLOGYGRAPH_H_
