#include "engine/JsonReport.h"

#include <cmath>
#include <cstring>
#include <nlohmann/json.hpp>

#include "engine/JsonStream.h"
#include "engine/Relationships.h"
#include "host/CKelVarBind.h"

namespace {

using Json = nlohmann::ordered_json;

// Whether `a` and `b` name the same field. Short names are kept once for
// the process, so equal pointers answer most questions.
bool SameName(const CKelVarBind* a, const CKelVarBind* b) {
  return a->KVBNameText() == b->KVBNameText() || strcmp(a->KVBNameText(), b->KVBNameText()) == 0;
}

void StreamFields(const CKelDoubleList* fields, CJsonStream* s);

// One atom: number, string, array, or null for none.
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
      case E_KLKVarBind: {  // a named element keeps its name: {"name": value}
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

// Whether two var binds of `fields` share a name.
bool RepeatsAName(const CKelDoubleList* fields) {
  for (CKelListable* e = fields->KDLHead(); e != nullptr; e = fields->KDLGetNext(e)) {
    for (CKelListable* f = fields->KDLHead(); f != e; f = fields->KDLGetNext(f)) {
      if (e->KLKind() == E_KLKVarBind && f->KLKind() == E_KLKVarBind &&
          SameName(static_cast<const CKelVarBind*>(e), static_cast<const CKelVarBind*>(f))) {
        return true;
      }
    }
  }
  return false;
}

// The var bind among `fields` whose value the member for `field`'s name
// shows: its last, or null when `field` is not the first of its name.
const CKelVarBind* MemberValue(const CKelDoubleList* fields, const CKelVarBind* field) {
  const CKelVarBind* last = field;
  bool before = true;
  for (CKelListable* f = fields->KDLHead(); f != nullptr; f = fields->KDLGetNext(f)) {
    if (f == field) {
      before = false;
    } else if (f->KLKind() == E_KLKVarBind && SameName(static_cast<const CKelVarBind*>(f), field)) {
      if (before) return nullptr;
      last = static_cast<const CKelVarBind*>(f);
    }
  }
  return last;
}

// The var binds of `fields` as one object, in list order. A name given
// twice is one member, where it first stands, with its last value.
void StreamFields(const CKelDoubleList* fields, CJsonStream* s) {
  s->Open('{');
  const bool repeats = fields != nullptr && RepeatsAName(fields);
  for (CKelListable* e = fields != nullptr ? fields->KDLHead() : nullptr; e != nullptr; e = fields->KDLGetNext(e)) {
    if (e->KLKind() != E_KLKVarBind) continue;
    const auto* field = static_cast<const CKelVarBind*>(e);
    const CKelVarBind* value = repeats ? MemberValue(fields, field) : field;
    if (value == nullptr) continue;
    s->Key(field->KVBNameText());
    StreamValue(value->KVBValue(), s);
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

// One NE, member by member; its local neighbours one at a time. `crawled`:
// with how it was found.
void WriteNe(const CRunNe& ne, bool crawled, CJsonStream* stream) {
  CJsonStream& s = *stream;
  s.Open('{');
  s.Key("input").Value(ne.input);
  if (crawled) {
    s.Key("hop").Int(ne.hop);
    Json via = nullptr;
    if (!ne.foundVia.empty()) {
      via = Json::object();
      via["ne"] = ne.foundVia;
      via["address"] = ne.foundAt;
    }
    s.Key("foundVia").Value(via);
  }
  s.Key("status").Text(DEStatusWord(ne));
  const std::string mib = ne.snmp.MibSource();
  s.Key("ipv6Mib").Value(mib.empty() ? Json(nullptr) : Json(mib));
  s.Key("reason").Value(ne.processed ? Json(nullptr) : Json(DEFailureReason(ne)));
  s.Key("cost").Value(CostOf(DECostOf(ne)));
  if (ne.record != nullptr) {
    StreamFields(&ne.record->KRFields(), &s.Key("record"));
  } else {
    s.Key("record").Null();
  }
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

// The report's members, "nes" left out unless `withNes`.
void WriteReport(const CRunReport& report, bool withNes, CJsonStream* stream) {
  CJsonStream& s = *stream;
  s.Open('{');
  Json agent = Json::object();
  agent["name"] = report.agentName;
  agent["description"] = report.agentDescription;
  s.Key("agent").Value(agent);
  s.Key("cost").Value(CostOf(report.TotalCost()));
  if (report.crawl) {
    Json crawl = Json::object();
    crawl["seeds"] = static_cast<long long>(report.crawl->seeds);
    crawl["discovered"] = static_cast<long long>(report.crawl->discovered);
    crawl["merged"] = static_cast<long long>(report.crawl->merged);
    crawl["maxNes"] = static_cast<long long>(report.crawl->maxNes);
    crawl["maxNesReached"] = report.crawl->ceilingHit;
    s.Key("crawl").Value(crawl);
  }
  if (withNes) {
    s.Key("nes").Open('[');
    for (const CRunNe& ne : report.nes) WriteNe(ne, report.crawl.has_value(), &s);
    s.Close();
  }
  s.Key("links").Open('[');
  for (const CRunLink& link : report.links) StreamLink(report.nes, link, &s);
  s.Close();
  s.Close();
}

}  // namespace

void DEWriteJsonReport(const CRunReport& report, std::ostream& out) {
  CJsonStream s(out);
  WriteReport(report, true, &s);
}

void DEWriteJsonLine(const CRunNe& ne, bool crawled, std::ostream& out) {
  CJsonStream s(out, true);
  WriteNe(ne, crawled, &s);
}

void DEWriteJsonLinesEnd(const CRunReport& report, std::ostream& out) {
  CJsonStream s(out, true);
  WriteReport(report, false, &s);
}
