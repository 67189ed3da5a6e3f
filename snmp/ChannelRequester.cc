#include "snmp/ChannelRequester.h"

#include <chrono>
#include <string>
#include <vector>

#include "host/KelError.h"
#include "snmp/MibObjectTable.h"
#include "snmp/RequesterErrors.h"

namespace {

// The views of the NE that a thread has in hand for one requester.
struct NeViews {
  const CChannelRequester* owner = nullptr;
  std::vector<std::unique_ptr<snmp::CDeviceView>> views;  // in order of first use
  double seconds = 0;                                     // spent in the NE's requests
};
thread_local NeViews* t_Views = nullptr;

// Adds the time from its construction to its destruction to the NE in hand
// on this thread for `owner`, if there is one.
class NeTimer {
 public:
  explicit NeTimer(const CChannelRequester* owner)
      : m_Views(t_Views != nullptr && t_Views->owner == owner ? t_Views : nullptr) {}
  ~NeTimer() {
    if (m_Views != nullptr) {
      m_Views->seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - m_Start).count();
    }
  }

 private:
  NeViews* const m_Views;
  const std::chrono::steady_clock::time_point m_Start = std::chrono::steady_clock::now();
};

const snmp::MibObject* ObjectOrReport(const char* name) {
  const snmp::MibObject* object = snmp::FindMibObject(name);
  if (object == nullptr) {
    std::string message = std::string("unknown SNMP object \"") +
                          (name != nullptr ? name : "(null)") + "\"";
    CKelError(snmp::kErrUnknownObject, __FILE__, __LINE__, message.c_str());
  }
  return object;
}

}  // namespace

CChannelRequester::~CChannelRequester() {
  if (t_Views != nullptr && t_Views->owner == this) {
    delete t_Views;
    t_Views = nullptr;
  }
}

snmp::CDeviceView& CChannelRequester::View(const std::string& target,
                                           std::unique_ptr<snmp::CDeviceView>* temporary) {
  auto open = [this, target](std::string* why) { return DSROpenChannel(target, why); };
  if (t_Views == nullptr || t_Views->owner != this) {
    temporary->reset(new snmp::CDeviceView(target, open, m_Walk, &m_Counter));
    return **temporary;
  }
  for (const auto& view : t_Views->views) {
    if (view->Target() == target) return *view;
  }
  t_Views->views.emplace_back(new snmp::CDeviceView(target, open, m_Walk, &m_Counter));
  return *t_Views->views.back();
}

CKelSnmpVarOp* CChannelRequester::DSRSnmpGet(CKelRecord* record, const char* objectName,
                                             const char* instance, const char* /*extra*/) {
  const snmp::MibObject* object = ObjectOrReport(objectName);
  if (object == nullptr) return nullptr;
  const std::string instanceText = instance != nullptr ? instance : "0";
  snmp::Oid suffix;
  if (!snmp::ParseOid(instanceText, &suffix)) {
    std::string message = "bad instance \"" + instanceText + "\" of " + object->name;
    CKelError(snmp::kErrBadInstance, __FILE__, __LINE__, message.c_str());
    return nullptr;
  }
  const std::string target = DSRTargetAddress(record);
  if (target.empty()) return nullptr;
  NeTimer timer(this);
  std::unique_ptr<snmp::CDeviceView> temporary;
  return View(target, &temporary).Get(*object, suffix);
}

CKelDoubleList* CChannelRequester::DSRSnmpGetNext(CKelRecord* record, const char* columnName,
                                                  const char* /*extra1*/,
                                                  const char* /*extra2*/) {
  const snmp::MibObject* object = ObjectOrReport(columnName);
  if (object == nullptr) return nullptr;
  const std::string target = DSRTargetAddress(record);
  if (target.empty()) return nullptr;
  NeTimer timer(this);
  std::unique_ptr<snmp::CDeviceView> temporary;
  return View(target, &temporary).Walk(*object);
}

void CChannelRequester::DSRNeBegin() {
  delete t_Views;  // an NE whose end never came
  t_Views = new NeViews;
  t_Views->owner = this;
}

CDiscoSnmpSummary CChannelRequester::DSRNeEnd() {
  CDiscoSnmpSummary summary;
  if (t_Views == nullptr || t_Views->owner != this) return summary;
  std::unique_ptr<NeViews> views(t_Views);
  t_Views = nullptr;
  summary.seconds = views->seconds;
  for (const auto& view : views->views) {
    CDiscoSnmpSummary::Target target;
    target.address = view->Target();
    target.requests = view->Requests();
    target.answered = view->Answered();
    target.pdus = view->Pdus();
    target.failure = view->Failure();
    if (target.answered < target.requests) {
      target.silence = DSRDescribeSilence(target.address, target.requests - target.answered,
                                          target.answered, view->Strays());
      // The NE may yet be processed, without what those requests would
      // have given: that is said in its report.
      if (target.answered > 0) CKelError(snmp::kErrUnanswered, __FILE__, __LINE__, target.silence.c_str());
    }
    summary.targets.push_back(std::move(target));
    summary.rfc2465Values += view->Rfc2465Values();
    summary.rfc4293Values += view->Rfc4293Values();
    const std::string empty = view->NoAddressText();
    if (!empty.empty()) CKelError(snmp::kErrNoIpv6Data, __FILE__, __LINE__, empty.c_str());
  }
  return summary;
}
