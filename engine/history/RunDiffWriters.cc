// The diff of two runs as text and as JSON.
#include <nlohmann/json.hpp>

#include "engine/history/RunDiff.h"

namespace {

using Json = nlohmann::ordered_json;

std::string RunTitle(const CRunSummary& run) { return "run " + std::to_string(run.id) + " (" + run.started + ")"; }

Json Optional(const std::optional<std::string>& text) { return text ? Json(*text) : Json(nullptr); }

Json RunJson(const CRunSummary& run) {
  Json j = Json::object();
  j["id"] = run.id;
  j["started"] = run.started;
  return j;
}

}  // namespace

void DEWriteDiffText(const CRunDiff& diff, std::ostream& out) {
  out << RunTitle(diff.from) << " -> " << RunTitle(diff.to) << ": ";
  if (diff.nes.empty()) {
    out << "nothing changed\n";
    return;
  }
  out << diff.nes.size() << " NE" << (diff.nes.size() == 1 ? "" : "s") << " changed\n";
  const auto mac = [](const std::optional<std::string>& m) { return m ? *m : std::string("none"); };
  for (const CNeChange& c : diff.nes) {
    out << c.ne;
    if (c.kind == CNeChange::kNew) out << "  (new, " << *c.classTo << ")";
    if (c.kind == CNeChange::kGone) out << "  (gone, was " << *c.classFrom << ")";
    out << "\n";
    if (c.kind == CNeChange::kChanged && c.classFrom) out << "  ~ class " << *c.classFrom << " -> " << *c.classTo << "\n";
    for (const auto& a : c.addressesAdded) out << "  + address " << a.address << " on " << a.interface << "\n";
    for (const auto& a : c.addressesRemoved) out << "  - address " << a.address << " on " << a.interface << "\n";
    for (const auto& n : c.appeared) {
      out << "  + neighbour " << n.address << " on " << n.interface << (n.mac ? " mac " + *n.mac : "") << "\n";
    }
    for (const auto& n : c.vanished) {
      out << "  - neighbour " << n.address << " on " << n.interface << (n.mac ? " mac " + *n.mac : "") << "\n";
    }
    for (const auto& m : c.moved) out << "  ~ neighbour " << m.address << " moved from " << m.from << " to " << m.to << "\n";
    for (const auto& m : c.macChanged) {
      out << "  ~ neighbour " << m.address << " on " << m.interface << ": mac " << mac(m.from) << " -> " << mac(m.to) << "\n";
    }
    for (const auto& l : c.linksAdded) {
      out << "  + link " << l.interface << " -> " << l.remote << (l.remoteNe ? " (" + *l.remoteNe + ")" : "") << "\n";
    }
    for (const auto& l : c.linksRemoved) {
      out << "  - link " << l.interface << " -> " << l.remote << (l.remoteNe ? " (" + *l.remoteNe + ")" : "") << "\n";
    }
  }
}

void DEWriteDiffJson(const CRunDiff& diff, std::ostream& out) {
  Json j = Json::object();
  j["from"] = RunJson(diff.from);
  j["to"] = RunJson(diff.to);
  j["nes"] = Json::array();
  for (const CNeChange& c : diff.nes) {
    Json ne = Json::object();
    ne["ne"] = c.ne;
    ne["change"] = c.kind == CNeChange::kNew ? "new" : c.kind == CNeChange::kGone ? "gone" : "changed";
    ne["class"] = Json::object({{"from", Optional(c.classFrom)}, {"to", Optional(c.classTo)}});
    auto addresses = [](const std::vector<CNeChange::Address>& list) {
      Json a = Json::array();
      for (const auto& x : list) a.push_back({{"interface", x.interface}, {"address", x.address}});
      return a;
    };
    auto neighbours = [](const std::vector<CNeChange::Neighbour>& list) {
      Json a = Json::array();
      for (const auto& x : list) a.push_back({{"address", x.address}, {"interface", x.interface}, {"mac", Optional(x.mac)}});
      return a;
    };
    auto links = [](const std::vector<CNeChange::Link>& list) {
      Json a = Json::array();
      for (const auto& x : list) a.push_back({{"interface", x.interface}, {"remote", x.remote}, {"remoteNe", Optional(x.remoteNe)}});
      return a;
    };
    Json moved = Json::array(), macs = Json::array();
    for (const auto& m : c.moved) moved.push_back({{"address", m.address}, {"from", m.from}, {"to", m.to}});
    for (const auto& m : c.macChanged) {
      macs.push_back({{"address", m.address}, {"interface", m.interface}, {"from", Optional(m.from)}, {"to", Optional(m.to)}});
    }
    ne["addresses"] = {{"added", addresses(c.addressesAdded)}, {"removed", addresses(c.addressesRemoved)}};
    ne["neighbours"] = {{"appeared", neighbours(c.appeared)}, {"vanished", neighbours(c.vanished)},
                        {"moved", moved}, {"macChanged", macs}};
    ne["links"] = {{"added", links(c.linksAdded)}, {"removed", links(c.linksRemoved)}};
    j["nes"].push_back(std::move(ne));
  }
  out << j.dump(2) << "\n";
}
