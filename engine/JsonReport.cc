#include "engine/JsonReport.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "engine/JsonStream.h"
#include "host/CKelVarBind.h"

namespace {

using Json = nlohmann::ordered_json;

Json FieldsOf(const CKelDoubleList* fields);

// One atom: number, string, array, or null for none.
Json ValueOf(const CKelAtom* atom) {
  if (atom == nullptr) return nullptr;
  switch (atom->KAType()) {
    case E_KDTInteger:
      return atom->KAInt64();
    case E_KDTString:
      return atom->KAString();
    case E_KDTList: {
      Json array = Json::array();
      const CKelDoubleList* list = atom->KAList();
      for (CKelListable* e = list->KDLHead(); e != nullptr; e = list->KDLGetNext(e)) {
        switch (e->KLKind()) {
          case E_KLKAtom:
            array.push_back(ValueOf(static_cast<const CKelAtom*>(e)));
            break;
          case E_KLKVarBind: {
            // A named element keeps its name: {"name": value}.
            const auto* field = static_cast<const CKelVarBind*>(e);
            Json object = Json::object();
            object[field->KVBNameText()] = ValueOf(field->KVBValue());
            array.push_back(std::move(object));
            break;
          }
          case E_KLKRecord:
            array.push_back(FieldsOf(&static_cast<const CKelRecord*>(e)->KRFields()));
            break;
          default:
            array.push_back(nullptr);
            break;
        }
      }
      return array;
    }
  }
  return nullptr;
}

// The var binds of `fields` as one object, in list order.
Json FieldsOf(const CKelDoubleList* fields) {
  Json object = Json::object();
  if (fields == nullptr) return object;
  for (CKelListable* e = fields->KDLHead(); e != nullptr; e = fields->KDLGetNext(e)) {
    if (e->KLKind() != E_KLKVarBind) continue;
    const auto* field = static_cast<const CKelVarBind*>(e);
    object[field->KVBNameText()] = ValueOf(field->KVBValue());
  }
  return object;
}

template <typename T>
Json Optional(const std::optional<T>& value) {
  if (!value) return nullptr;
  return *value;
}

// Seconds to the millisecond: a figure for people, not a clock reading.
double Millis(double seconds) { return std::round(seconds * 1000) / 1000; }

Json CostOf(const CRunCost& cost) {
  Json out = Json::object();
  out["requests"] = cost.requests;
  out["pdus"] = cost.pdus;
  out["unanswered"] = cost.unanswered;
  out["snmpSeconds"] = Millis(cost.snmpSeconds);
  out["nameSeconds"] = Millis(cost.nameSeconds);
  return out;
}

// One NE, member by member; its local neighbours one at a time.
void WriteNe(const CRunNe& ne, CJsonStream* stream) {
  CJsonStream& s = *stream;
  s.Open('{');
  s.Key("input").Value(ne.input);
  s.Key("status").Value(ne.processed ? "processed" : "failed");
  const std::string mib = ne.snmp.MibSource();
  s.Key("ipv6Mib").Value(mib.empty() ? Json(nullptr) : Json(mib));
  s.Key("reason").Value(ne.processed ? Json(nullptr) : Json(DEFailureReason(ne)));
  s.Key("cost").Value(CostOf(DECostOf(ne)));
  s.Key("record").Value(ne.record != nullptr ? FieldsOf(&ne.record->KRFields()) : Json(nullptr));
  s.Key("localNeighbours").Open('[');
  if (ne.proc != nullptr) {
    for (const CDiscoProcessedData::LocalNbr& local : ne.proc->DPDLocalNbrs()) {
      Json remotes = Json::array();
      for (const CKelDoubleList* remote : local.remotes) remotes.push_back(FieldsOf(remote));
      Json entry = Json::object();
      entry["fields"] = FieldsOf(local.fields);
      entry["remoteNeighbours"] = std::move(remotes);
      s.Value(entry);
    }
  }
  s.Close();
  Json errors = Json::array();
  for (const KelErrorReport& report : ne.errors) {
    Json entry = Json::object();
    entry["code"] = report.code;
    entry["message"] = report.hasMessage ? Json(report.message) : Json(nullptr);
    errors.push_back(std::move(entry));
  }
  s.Key("errors").Value(errors);
  s.Close();
}

Json LinkOf(const CRunLink& link) {
  Json out = Json::object();
  out["ne"] = Optional(link.neAddress);
  out["ifIndex"] = Optional(link.ifIndex);
  out["local"] = Optional(link.localAddress);
  Json locals = Json::array();
  for (const std::optional<std::string>& address : link.localAddresses) {
    locals.push_back(Optional(address));
  }
  out["locals"] = std::move(locals);
  out["remote"] = Optional(link.remoteAddress);
  out["remoteNe"] = Optional(link.remoteNeAddress);
  return out;
}

}  // namespace

void DEWriteJsonReport(const CRunReport& report, std::ostream& out) {
  CJsonStream s(out);
  s.Open('{');
  Json agent = Json::object();
  agent["name"] = report.agentName;
  agent["description"] = report.agentDescription;
  s.Key("agent").Value(agent);
  s.Key("cost").Value(CostOf(report.TotalCost()));
  s.Key("nes").Open('[');
  for (const CRunNe& ne : report.nes) WriteNe(ne, &s);
  s.Close();
  s.Key("links").Open('[');
  for (const CRunLink& link : report.links) s.Value(LinkOf(link));
  s.Close();
  s.Close();
}
