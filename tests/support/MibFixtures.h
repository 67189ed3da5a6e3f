// Building blocks for tests of the mediation layer, its accessors, the
// capabilities and the mediation filter: row indexes of the IPv6 MIB
// tables, ready-made columns, an agent whose engine-facing operations are
// callable, and readers of the capability list.
#ifndef TESTS_SUPPORT_MIBFIXTURES_H_
#define TESTS_SUPPORT_MIBFIXTURES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "host/CDiscoMediationData.h"
#include "host/CKelDoubleList.h"
#include "host/CKelRecord.h"
#include "tests/support/FakeRequester.h"

// The agent with its engine-facing (protected) layer operations public.
class MibTestAgent : public CDiscoIPv6Agent {
 public:
  using CDiscoIPv6Agent::DADoMediationFilter;
  using CDiscoIPv6Agent::DADoMediationLayer;
};

// The 16 octets of an IPv6 address text (any form inet_pton accepts);
// fails the calling test through ADD_FAILURE for a bad text.
std::vector<uint32_t> AddressOctets(const char* address);
// Address-table or neighbour-cache index: interface index, 16 octets.
std::vector<uint32_t> AddrIndex(uint32_t ifIndex, const char* address);
// Prefix-table index: interface index, 16 prefix octets, prefix length.
std::vector<uint32_t> PrefixIndex(uint32_t ifIndex, const char* prefix, uint32_t length);

// A new column (caller-owned) of one var-op per row, in order.
CKelDoubleList* MakeColumn(const std::vector<FakeRequester::Row>& rows);
// A new row whose index is missing altogether (not merely empty).
CKelSnmpVarOp* RowWithoutIndex(long long value);
// Stores a new column under `key` in `medData`.
void StoreColumn(CDiscoMediationData* medData, const char* key,
                 const std::vector<FakeRequester::Row>& rows);
// The same, with a row without index (of value `value`) first.
void StoreColumnAfterUnindexedRow(CDiscoMediationData* medData, const char* key, long long value,
                                  const std::vector<FakeRequester::Row>& rows);
// Stores a scalar reply under `key`: an integer, a text, or no value.
void StoreScalar(CDiscoMediationData* medData, const char* key, long long value);
void StoreScalarText(CDiscoMediationData* medData, const char* key, const char* text);
void StoreScalarNoValue(CDiscoMediationData* medData, const char* key);

// The names in the record's "m_Capabilities" list, in order; empty when
// the field is absent or not a list.
std::vector<std::string> CapabilityNames(const CKelRecord& record);
// The text of a record field, or "<absent>" when the field is missing and
// "<not text>" when it holds no text.
std::string FieldText(const CKelRecord& record, const char* name);

#endif  // TESTS_SUPPORT_MIBFIXTURES_H_
