// The agent with its layer operations public, and readers of NE record fields.
#ifndef TESTS_SUPPORT_MIBFIXTURES_H_
#define TESTS_SUPPORT_MIBFIXTURES_H_

#include <string>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "host/CKelRecord.h"
#include "tests/support/FakeRequester.h"

class MibTestAgent : public CDiscoIPv6Agent {
 public:
  using CDiscoIPv6Agent::DADoMediationFilter;
  using CDiscoIPv6Agent::DADoMediationLayer;
  using CDiscoIPv6Agent::DADoProcessLayer;
};

// The names in the record's "m_Capabilities" list, in order.
std::vector<std::string> CapabilityNames(const CKelRecord& record);
// A field's text, "<absent>" without the field, "<not text>" without text.
std::string FieldText(const CKelRecord& record, const char* name);

#endif  // TESTS_SUPPORT_MIBFIXTURES_H_
