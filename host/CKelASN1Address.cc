#include "host/CKelASN1Address.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

CKelASN1Address::CKelASN1Address(const uint32_t* subIds, int count) {
  if (subIds != nullptr && count > 0) m_SubIds.assign(subIds, subIds + count);
}

CKelASN1Address* CKelASN1Address::KAAFromString(const char* dotted) {
  try {
    return FromString(dotted);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

CKelASN1Address* CKelASN1Address::FromString(const char* dotted) {
  if (dotted == nullptr) return nullptr;
  const char* p = dotted;
  if (*p == '.') ++p;
  std::vector<uint32_t> subIds;
  if (*p != '\0') {
    for (;;) {
      if (*p < '0' || *p > '9') return nullptr;
      unsigned long long value = 0;
      while (*p >= '0' && *p <= '9') {
        value = value * 10 + static_cast<unsigned>(*p - '0');
        if (value > 0xFFFFFFFFull) return nullptr;
        ++p;
      }
      subIds.push_back(static_cast<uint32_t>(value));
      if (*p == '\0') break;
      if (*p != '.') return nullptr;
      ++p;  // a sub-identifier must follow: "1." is refused
    }
  } else if (p != dotted) {
    return nullptr;  // a lone "."
  }
  return new CKelASN1Address(std::move(subIds));
}

uint32_t CKelASN1Address::KAAAddressAt(int i) const {
  if (i < 0 || static_cast<size_t>(i) >= m_SubIds.size()) return 0;
  return m_SubIds[static_cast<size_t>(i)];
}

char* CKelASN1Address::KAAAddressPrint() const {
  try {
    return AddressPrint();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

char* CKelASN1Address::AddressPrint() const {
  std::string out;
  out.reserve(m_SubIds.size() * 4);
  char buf[16];
  for (size_t i = 0; i < m_SubIds.size(); ++i) {
    snprintf(buf, sizeof(buf), i == 0 ? "%u" : ".%u", static_cast<unsigned>(m_SubIds[i]));
    out += buf;
  }
  return KelDupText(out.c_str());
}

__boolean CKelASN1Address::KAAMatchAddress(const CKelASN1Address* other) const {
  if (other == nullptr) return E_KBFalse;
  return m_SubIds == other->m_SubIds ? E_KBTrue : E_KBFalse;
}
