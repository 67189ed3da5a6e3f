#include "tests/support/MibFixtures.h"

#include <arpa/inet.h>

#include "gtest/gtest.h"
#include "host/CKelASN1Address.h"
#include "host/CKelSnmpVarOp.h"

std::vector<uint32_t> AddressOctets(const char* address) {
  in6_addr bytes{};
  if (inet_pton(AF_INET6, address, &bytes) != 1) {
    ADD_FAILURE() << "not an IPv6 address: " << address;
  }
  return std::vector<uint32_t>(bytes.s6_addr, bytes.s6_addr + 16);
}

std::vector<uint32_t> AddrIndex(uint32_t ifIndex, const char* address) {
  std::vector<uint32_t> index{ifIndex};
  for (uint32_t octet : AddressOctets(address)) index.push_back(octet);
  return index;
}

std::vector<uint32_t> PrefixIndex(uint32_t ifIndex, const char* prefix, uint32_t length) {
  std::vector<uint32_t> index = AddrIndex(ifIndex, prefix);
  index.push_back(length);
  return index;
}

CKelDoubleList* MakeColumn(const std::vector<FakeRequester::Row>& rows) {
  auto* list = new CKelDoubleList();
  for (const FakeRequester::Row& row : rows) {
    list->KDLAddToListEnd(new CKelSnmpVarOp(
        new CKelASN1Address(row.index), row.value != nullptr ? new CKelAtom(*row.value) : nullptr));
  }
  return list;
}

CKelSnmpVarOp* RowWithoutIndex(long long value) {
  return new CKelSnmpVarOp(nullptr, new CKelAtom(value));
}

void StoreColumnAfterUnindexedRow(CDiscoMediationData* medData, const char* key, long long value,
                                  const std::vector<FakeRequester::Row>& rows) {
  auto* list = new CKelDoubleList();
  list->KDLAddToListEnd(RowWithoutIndex(value));
  CKelDoubleList* rest = MakeColumn(rows);
  while (CKelListable* e = rest->KDLHead()) {
    rest->KDLRemove(e);
    list->KDLAddToListEnd(e);
  }
  delete rest;
  ASSERT_EQ(medData->DMDAddSnmp(key, list), 1);
}

void StoreColumn(CDiscoMediationData* medData, const char* key,
                 const std::vector<FakeRequester::Row>& rows) {
  ASSERT_EQ(medData->DMDAddSnmp(key, MakeColumn(rows)), 1);
}

namespace {

void StoreReply(CDiscoMediationData* medData, const char* key, CKelAtom* value) {
  uint32_t zero = 0;
  ASSERT_EQ(medData->DMDAddSnmp(key, new CKelSnmpVarOp(new CKelASN1Address(&zero, 1), value)), 1);
}

}  // namespace

void StoreScalar(CDiscoMediationData* medData, const char* key, long long value) {
  StoreReply(medData, key, new CKelAtom(value));
}

void StoreScalarText(CDiscoMediationData* medData, const char* key, const char* text) {
  StoreReply(medData, key, new CKelAtom(text));
}

void StoreScalarNoValue(CDiscoMediationData* medData, const char* key) {
  StoreReply(medData, key, nullptr);
}

std::vector<std::string> CapabilityNames(const CKelRecord& record) {
  std::vector<std::string> names;
  const CKelAtom* field = record.KRValueOf("m_Capabilities");
  const CKelDoubleList* list = field != nullptr ? field->KAList() : nullptr;
  if (list == nullptr) return names;
  for (CKelListable* e = list->KDLHead(); e != nullptr; e = list->KDLGetNext(e)) {
    const char* text = e->KLKind() == E_KLKAtom ? static_cast<CKelAtom*>(e)->KAString() : nullptr;
    names.push_back(text != nullptr ? text : "<not text>");
  }
  return names;
}

std::string FieldText(const CKelRecord& record, const char* name) {
  if (record.KRValuePairOf(name) == nullptr) return "<absent>";
  const CKelAtom* value = record.KRValueOf(name);
  const char* text = value != nullptr ? value->KAString() : nullptr;
  return text != nullptr ? text : "<not text>";
}
