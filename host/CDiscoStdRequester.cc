// The requester's target address rule.
#include "host/CDiscoStdRequester.h"

#include "host/CKelAtom.h"

std::string CDiscoStdRequester::DSRTargetAddress(const CKelRecord* record) {
  if (record == nullptr) return "";
  // A field counts only when it holds a non-empty text: an empty or
  // non-text value cannot be an address, so the next field is tried.
  for (const char* field : {"m_SnmpAccessIP", "m_UniqueAddress", "m_IpAddress"}) {
    const CKelAtom* value = record->KRValueOf(field);
    const char* text = value != nullptr ? value->KAString() : nullptr;
    if (text != nullptr && text[0] != '\0') return text;
  }
  return "";
}

std::string CDiscoSnmpSummary::MibSource() const {
  if (rfc2465Values > 0 && rfc4293Values > 0) return "both";
  if (rfc2465Values > 0) return "RFC 2465";
  if (rfc4293Values > 0) return "RFC 4293";
  return "";
}
