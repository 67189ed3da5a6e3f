#include "engine/JsonReport.h"

#include <cmath>
#include <cstring>
#include <nlohmann/json.hpp>

#include "engine/JsonStream.h"
#include "engine/Relationships.h"
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

// Whether two var binds of `fields` share a name: a JSON object keeps one
// member per name (the first place, the last value), which only a whole
// value built in memory gives.
bool RepeatsAName(const CKelDoubleList* fields) {
  for (CKelListable* e = fields->KDLHead(); e != nullptr; e = fields->KDLGetNext(e)) {
    if (e->KLKind() != E_KLKVarBind) continue;
    const char* name = static_cast<const CKelVarBind*>(e)->KVBNameText();
    for (CKelListable* f = fields->KDLHead(); f != e; f = fields->KDLGetNext(f)) {
      if (f->KLKind() == E_KLKVarBind && strcmp(static_cast<const CKelVarBind*>(f)->KVBNameText(), name) == 0) {
        return true;
      }
    }
  }
  return false;
}

void StreamFields(const CKelDoubleList* fields, CJsonStream* s);

// The same as ValueOf, written as it goes.
void StreamValue(const CKelAtom* atom, CJsonStream* s) {
  if (atom == nullptr) return s->Null();
  switch (atom->KAType()) {
    case E_KDTInteger:
      return s->Int(atom->KAInt64());
    case E_KDTString:
      return s->Text(atom->KAString());
    case E_KDTList:
      break;
  }
  s->Open('[');
  const CKelDoubleList* list = atom->KAList();
  for (CKelListable* e = list->KDLHead(); e != nullptr; e = list->KDLGetNext(e)) {
    switch (e->KLKind()) {
      case E_KLKAtom:
        StreamValue(static_cast<const CKelAtom*>(e), s);
        break;
      case E_KLKVarBind: {
        const auto* field = static_cast<const CKelVarBind*>(e);
        s->Open('{');
        s->Key(field->KVBNameText());
        StreamValue(field->KVBValue(), s);
        s->Close();
        break;
      }
      case E_KLKRecord:
        StreamFields(&static_cast<const CKelRecord*>(e)->KRFields(), s);
        break;
      default:
        s->Null();
        break;
    }
  }
  s->Close();
}

// The same as FieldsOf, written as it goes.
void StreamFields(const CKelDoubleList* fields, CJsonStream* s) {
  if (fields != nullptr && RepeatsAName(fields)) return s->Value(FieldsOf(fields));
  s->Open('{');
  for (CKelListable* e = fields != nullptr ? fields->KDLHead() : nullptr; e != nullptr; e = fields->KDLGetNext(e)) {
    if (e->KLKind() != E_KLKVarBind) continue;
    const auto* field = static_cast<const CKelVarBind*>(e);
    s->Key(field->KVBNameText());
    StreamValue(field->KVBValue(), s);
  }
  s->Close();
}

void StreamOptional(const std::optional<std::string>& value, CJsonStream* s) {
  if (value) return s->Text(*value);
  s->Null();
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
      s.Open('{');
      StreamFields(local.fields, &s.Key("fields"));
      s.Key("remoteNeighbours").Open('[');
      for (const CKelDoubleList* remote : local.remotes) StreamFields(remote, &s);
      s.Close();
      s.Close();
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

void StreamLink(const std::vector<CRunNe>& nes, const CRunLink& link, CJsonStream* s) {
  s->Open('{');
  StreamOptional(link.neAddress, &s->Key("ne"));
  if (link.ifIndex) {
    s->Key("ifIndex").Int(*link.ifIndex);
  } else {
    s->Key("ifIndex").Null();
  }
  StreamOptional(link.localAddress, &s->Key("local"));
  s->Key("locals").Open('[');
  for (const std::optional<std::string>& address : DELocalAddresses(nes, link)) StreamOptional(address, s);
  s->Close();
  StreamOptional(link.remoteAddress, &s->Key("remote"));
  StreamOptional(link.remoteNeAddress, &s->Key("remoteNe"));
  s->Close();
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
  for (const CRunLink& link : report.links) StreamLink(report.nes, link, &s);
  s.Close();
  s.Close();
}
