#include "snmp/DeviceView.h"

#include <cstring>

#include "host/KelError.h"
#include "host/KelTrace.h"
#include "host/KelTypes.h"
#include "host/ZWNameWarmer.h"
#include "snmp/AtomConversion.h"
#include "snmp/RequesterErrors.h"
#include "snmp/Rfc2465Translation.h"

namespace snmp {

namespace {

// Request details are traced one level above the agent's own lines.
constexpr int kTraceLevel = 5;

Oid Concat(const Oid& a, const Oid& b) {
  Oid out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

using Rows = std::vector<std::pair<const Oid*, const WireValue*>>;

// The IPv6 address that ends a row index of ifIndex and 16 octets.
bool IndexAddress(const Oid& index, in6_addr* address) {
  if (index.size() != 17) return false;
  for (size_t i = 0; i < 16; ++i) {
    if (index[i + 1] > 255) return false;
    address->s6_addr[i] = static_cast<uint8_t>(index[i + 1]);
  }
  return true;
}

// The IPv6 address that a value of 16 octets holds.
bool OctetsAddress(const WireValue& value, in6_addr* address) {
  if (value.type != EWireType::kOctetString || value.octets.size() != 16) return false;
  memcpy(address->s6_addr, value.octets.data(), 16);
  return true;
}

// Hands the addresses that the agent will name (the address table's and the
// neighbour cache's, by row index, and the routes' next hops) to the name
// warmer, so that their names are looked up while the agent reads on.
void WarmNames(const MibObject& column, const Rows& rows) {
  const std::string name = column.name;
  const bool byIndex = name == "ipv6AddrPfxLength" || name == "ipv6NetToMediaPhysAddress";
  if (!byIndex && name != "ipv6RouteNextHop") return;
  std::vector<in6_addr> addresses;
  for (const auto& [index, value] : rows) {
    in6_addr address;
    if (byIndex ? IndexAddress(*index, &address) : OctetsAddress(*value, &address)) addresses.push_back(address);
  }
  ZWWarmAddressNames(addresses);
}

// A new empty list for a walk's rows; null when memory runs out (the
// record library reports it).
CKelDoubleList* NewList() { return new CKelDoubleList(); }

// Appends `varOp` (MakeVarOp's; null skipped); a row the list cannot take
// for want of memory is dropped (the record library reports it).
void Append(CKelDoubleList* list, CKelSnmpVarOp* varOp) {
  if (varOp != nullptr && list->KDLAddToListEnd(varOp) != KEL_OK) delete varOp;
}

}  // namespace

CDeviceView::CDeviceView(std::string target, Opener open, const WalkOptions& walk,
                         RequestCounter* counter)
    : m_Target(std::move(target)), m_Open(std::move(open)), m_Walk(walk), m_Counter(counter) {}

void CDeviceView::CountPdus(long n) {
  m_Pdus += n;
  m_Counter->AddPdus(n);
}

PduChannel* CDeviceView::Channel() {
  if (m_Channel != nullptr) return m_Channel.get();
  std::string why;
  m_Channel = m_Open(&why);
  if (m_Channel == nullptr) Fail("cannot open an SNMP session to " + m_Target + ": " + why);
  return m_Channel.get();
}

void CDeviceView::Release() {
  if (m_Channel != nullptr && !m_Channel->Keep()) m_Channel.reset();
}

void CDeviceView::Fail(const std::string& text, int code) {
  CKelError(code, __FILE__, __LINE__, text.c_str());
  if (m_Failure.empty()) m_Failure = text;
}

CDeviceView::Answer CDeviceView::GetOnce(const Oid& oid, const char* what) {
  auto cached = m_Gets.find(oid);
  if (cached != m_Gets.end()) return cached->second;
  Answer answer;
  PduChannel* channel = Channel();
  if (channel == nullptr) return answer;  // not kept: nothing was asked
  CountPdus(1);
  VarBind bind;
  EPduOutcome outcome = EPduOutcome::kNoAnswer;
  std::string detail;
  int strays = 0;
  if (GetExact(channel, oid, &bind, &outcome, &detail, &strays)) answer.bind = std::move(bind);
  m_Strays += strays;
  Release();
  answer.answered = outcome == EPduOutcome::kAnswer;
  if (outcome == EPduOutcome::kFailed) {
    Fail(std::string("GET of ") + what + " at " + m_Target + " failed: " + detail);
  } else if (!detail.empty()) {  // an answer with an error-status
    Fail(std::string("GET of ") + what + " at " + m_Target + " answered " + detail, kErrErrorStatus);
  }
  m_Gets.emplace(oid, answer);
  return answer;
}

CKelSnmpVarOp* CDeviceView::Get(const MibObject& object, const Oid& instance) {
  ++m_Requests;
  m_Counter->AddGet();
  const Oid oid = Concat(object.oid, instance);
  const std::string name = std::string(object.name) + "." + OidText(instance);
  Answer answer = GetOnce(oid, name.c_str());
  bool newer = false;
  if (answer.answered && !answer.bind && std::string(object.name) == "ipv6Forwarding" &&
      instance == Oid{0}) {
    Answer successor = GetOnce(Ipv6IpForwardingInstance(), "ipv6IpForwarding.0");
    if (successor.bind) {
      answer.bind = successor.bind;
      answer.bind->oid = oid;
      newer = true;
    }
  }
  if (answer.answered) {
    ++m_Answered;
  } else {
    m_Counter->AddNoAnswer();
  }
  CKelSnmpVarOp* varOp = answer.bind ? MakeVarOp(object, *answer.bind) : nullptr;
  // Only IPv6 data counts: the system group and ipForwarding are neither MIB's.
  static const Oid kIpv6Mib{1, 3, 6, 1, 2, 1, 55};
  if (varOp != nullptr && OidIsUnder(object.oid, kIpv6Mib)) {
    ++(newer ? m_Rfc4293Values : m_Rfc2465Values);
  }
  genXPLTracef(kTraceLevel, "SNMP GET %s at %s: %s\n", name.c_str(), m_Target.c_str(),
               varOp == nullptr ? (answer.answered ? "no value" : "no answer")
                                : (newer ? "value (ipv6IpForwarding.0)" : "value"));
  return varOp;
}

const TableRows* CDeviceView::Fetch(ETable table) {
  auto cached = m_Fetched.find(table);
  if (cached != m_Fetched.end()) return cached->second ? &*cached->second : nullptr;
  const TableDef& def = Table(table);
  PduChannel* channel = Channel();
  if (channel == nullptr) return nullptr;  // not kept: nothing was asked
  std::vector<Oid> columns;
  for (uint32_t number : def.columns) columns.push_back(Concat(def.entry, Oid{number}));
  TableWalkResult walk = WalkColumns(channel, columns, m_Walk);
  Release();
  CountPdus(walk.requests);
  m_Strays += walk.strays;
  if (!walk.error.empty()) {
    const std::string message =
        std::string("walk of ") + def.name + " at " + m_Target + " stopped: " + walk.error;
    CKelError(kErrWalkStopped, __FILE__, __LINE__, message.c_str());
  }
  std::optional<TableRows> rows;
  if (walk.answered) rows = GroupRows(def.entry, def.columns, walk.columns);
  genXPLTracef(kTraceLevel, "SNMP table %s at %s: %zu rows in %d requests%s\n", def.name,
               m_Target.c_str(), rows ? rows->size() : 0, walk.requests,
               walk.answered ? "" : " (no answer)");
  auto inserted = m_Fetched.emplace(table, std::move(rows)).first;
  return inserted->second ? &*inserted->second : nullptr;
}

const TableRows& CDeviceView::Translated(ETable table) {
  auto cached = m_Translated.find(table);
  if (cached != m_Translated.end()) return cached->second;
  std::map<ETable, TableRows> sources;
  for (ETable source : TranslationSources(table)) {
    if (const TableRows* rows = Fetch(source)) sources.emplace(source, *rows);
  }
  return m_Translated.emplace(table, TranslateRfc2465(table, sources)).first->second;
}

CKelDoubleList* CDeviceView::Walk(const MibObject& column) {
  ++m_Requests;
  m_Counter->AddWalk();
  ETable table;
  if (!Rfc2465TableOf(column, &table)) return WalkAlone(column);
  const TableRows* own = Fetch(table);
  if (own == nullptr) {
    m_Counter->AddNoAnswer();
    return nullptr;
  }
  ++m_Answered;
  if (table == ETable::kIpv6If) own = Corrected(table);
  const uint32_t number = column.oid.back();
  Rows rows;
  for (const auto& [index, row] : *own) {
    if (const WireValue* value = CellOf(row, number)) rows.emplace_back(&index, value);
  }
  const bool fromDevice = !rows.empty();
  if (!fromDevice) {
    const TableRows& translated = Translated(table);
    if (own->empty()) {
      for (const auto& [index, row] : translated) {
        if (const WireValue* value = CellOf(row, number)) rows.emplace_back(&index, value);
      }
    } else {
      for (const auto& entry : *own) {
        auto it = translated.find(entry.first);
        const WireValue* value = it == translated.end() ? nullptr : CellOf(it->second, number);
        if (value != nullptr) rows.emplace_back(&entry.first, value);
      }
    }
  }
  CKelDoubleList* list = NewList();
  if (list == nullptr) return nullptr;
  for (const auto& [index, value] : rows) {
    Append(list, MakeVarOp(column, VarBind{Concat(column.oid, *index), *value}));
  }
  WarmNames(column, rows);
  (fromDevice ? m_Rfc2465Values : m_Rfc4293Values) += static_cast<long>(rows.size());
  m_Delivered[table] += rows.size();
  genXPLTracef(kTraceLevel, "SNMP walk %s at %s: %zu rows from %s\n", column.name,
               m_Target.c_str(), rows.size(),
               rows.empty() ? "neither MIB" : fromDevice ? "RFC 2465" : "its successors");
  return list;
}

const TableRows* CDeviceView::Corrected(ETable table) {
  std::optional<TableRows>& own = m_Fetched[table];
  if (m_StatusChecked || !own || own->empty()) return own ? &*own : nullptr;
  m_StatusChecked = true;
  // Only a table served in part is checked: one the device serves whole is
  // taken as it is, without asking the IF-MIB.
  bool partial = false;
  for (uint32_t number : Table(table).columns) {
    bool any = false;
    for (const auto& row : *own) any = any || CellOf(row.second, number) != nullptr;
    partial = partial || !any;
  }
  if (partial) {
    if (const TableRows* ifTable = Fetch(ETable::kIf)) UnswapInterfaceStatus(*ifTable, &*own);
  }
  return &*own;
}

CKelDoubleList* CDeviceView::WalkAlone(const MibObject& column) {
  PduChannel* channel = Channel();
  if (channel == nullptr) return nullptr;
  WalkResult walk = WalkColumn(channel, column.oid, m_Walk);
  Release();
  CountPdus(walk.requests);
  m_Strays += walk.strays;
  if (!walk.error.empty()) {
    const std::string message =
        std::string("walk of ") + column.name + " at " + m_Target + " stopped: " + walk.error;
    CKelError(kErrWalkStopped, __FILE__, __LINE__, message.c_str());
  }
  if (!walk.answered) {
    m_Counter->AddNoAnswer();
    return nullptr;
  }
  ++m_Answered;
  CKelDoubleList* list = NewList();
  if (list == nullptr) return nullptr;
  for (const VarBind& row : walk.rows) Append(list, MakeVarOp(column, row));
  m_Rfc2465Values += list->KDLLength();
  return list;
}

std::string CDeviceView::NoAddressText() const {
  auto address = m_Delivered.find(ETable::kIpv6Addr);
  if (address == m_Delivered.end() || address->second > 0) return "";
  std::string empty;
  for (ETable table : Rfc2465Tables()) {
    auto it = m_Delivered.find(table);
    if (it != m_Delivered.end() && it->second == 0) {
      empty += std::string(empty.empty() ? "" : ", ") + Table(table).name;
    }
  }
  return m_Target +
         " answers SNMP but has no IPv6 address in ipv6AddrTable (RFC 2465) nor in "
         "ipAddressTable (RFC 4293); empty in both MIBs: " + empty;
}

}  // namespace snmp
