#include "engine/AddressIndex.h"

#include <arpa/inet.h>
#include <sys/socket.h>

std::optional<std::string> DEAddressKey(const std::string& text) {
  unsigned char bytes[16];
  if (inet_pton(AF_INET6, text.c_str(), bytes) == 1) {
    return std::string(1, '6') + std::string(reinterpret_cast<const char*>(bytes), 16);
  }
  if (inet_pton(AF_INET, text.c_str(), bytes) == 1) {
    return std::string(1, '4') + std::string(reinterpret_cast<const char*>(bytes), 4);
  }
  return std::nullopt;
}

bool CAddressIndex::Add(const std::string& text, size_t ne, std::optional<size_t> local) {
  std::optional<std::string> key = DEAddressKey(text);
  if (!key) return false;
  return m_Owners.emplace(*key, Owner{ne, local}).second;
}

std::optional<CAddressIndex::Owner> CAddressIndex::Find(const std::string& text) const {
  std::optional<std::string> key = DEAddressKey(text);
  if (!key) return std::nullopt;
  auto it = m_Owners.find(*key);
  if (it == m_Owners.end()) return std::nullopt;
  return it->second;
}
