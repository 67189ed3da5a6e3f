#include "engine/Crawl.h"

#include <arpa/inet.h>

#include <cstdlib>
#include <utility>

#include "engine/NeInput.h"
#include "engine/RecordFields.h"

namespace {

const CIpv6Prefix kGlobal = *CIpv6Prefix::Parse("2000::/3");
const CIpv6Prefix kUniqueLocal = *CIpv6Prefix::Parse("fc00::/7");
const CIpv6Prefix kLinkLocal = *CIpv6Prefix::Parse("fe80::/10");

bool InAny(const std::vector<CIpv6Prefix>& prefixes, const unsigned char address[16]) {
  for (const CIpv6Prefix& prefix : prefixes) {
    if (prefix.Contains(address)) return true;
  }
  return false;
}

}  // namespace

std::optional<CIpv6Prefix> CIpv6Prefix::Parse(const std::string& text) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) return std::nullopt;
  const std::string length = text.substr(slash + 1);
  if (length.empty() || length.size() > 3 || length.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  CIpv6Prefix prefix;
  prefix.length = std::atoi(length.c_str());
  if (prefix.length > 128 || inet_pton(AF_INET6, text.substr(0, slash).c_str(), prefix.bytes) != 1) {
    return std::nullopt;
  }
  return prefix;
}

bool CIpv6Prefix::Contains(const unsigned char address[16]) const {
  for (int bit = 0; bit < length; ++bit) {
    const unsigned char mask = static_cast<unsigned char>(0x80 >> (bit % 8));
    if ((bytes[bit / 8] & mask) != (address[bit / 8] & mask)) return false;
  }
  return true;
}

CCrawl::CCrawl(CCrawlLimits limits, DENameResolver resolve)
    : m_Limits(std::move(limits)), m_Resolve(std::move(resolve)) {}

void CCrawl::AddSeed(const std::string& input) {
  m_Origins.push_back(CCrawlOrigin());
  m_SameAs.emplace_back();
  Claim(input, m_Origins.size() - 1);
}

void CCrawl::Claim(const std::string& text, size_t job) {
  std::optional<CAddressIndex::Owner> owner = m_Known.Find(text);
  if (!owner) {
    m_Known.Add(text, job);
    return;
  }
  // Two jobs own one address: they are one NE, and the earlier job stands
  // for it. (The owner recorded first may be either.)
  size_t first = std::min(owner->ne, job), second = std::max(owner->ne, job);
  while (m_SameAs[first]) first = *m_SameAs[first];
  if (first != second && !m_SameAs[second]) m_SameAs[second] = first;
}

bool CCrawl::Followable(const std::string& address, int hop) const {
  unsigned char bytes[16];
  if (inet_pton(AF_INET6, address.c_str(), bytes) != 1) return false;
  if (kLinkLocal.Contains(bytes) || InAny(m_Limits.exclude, bytes)) return false;
  if (m_Limits.scope.empty() ? !kGlobal.Contains(bytes) && !kUniqueLocal.Contains(bytes)
                             : !InAny(m_Limits.scope, bytes)) {
    return false;
  }
  return m_Limits.maxHops < 0 || hop <= m_Limits.maxHops;
}

std::vector<std::string> CCrawl::FollowNext(const CRunNe& ne) {
  const size_t job = m_Followed++;
  // What the NE owns, in the order the relationship step takes it.
  if (ne.proc != nullptr) {
    for (const auto& local : ne.proc->DPDLocalNbrs()) {
      if (auto address = DEText(DEFieldValue(local.fields, "ipv6AddrAddress"))) Claim(*address, job);
    }
  }
  if (auto unique = DEText(DEFieldValue(ne.record, "m_UniqueAddress"))) Claim(*unique, job);
  if (auto name = DEText(DEFieldValue(ne.record, "m_Name")); name && DENeIsName(*name)) {
    for (const std::string& address : m_Resolve(*name)) Claim(address, job);
  }
  std::vector<std::string> found;
  if (m_SameAs[job] || ne.proc == nullptr) return found;

  const int hop = m_Origins[job].hop + 1;
  for (const auto& local : ne.proc->DPDLocalNbrs()) {
    for (const CKelDoubleList* remote : local.remotes) {
      ++m_RemotesSeen;
      std::optional<std::string> address = DEText(DEFieldValue(remote, "m_RemoteNbrIpAddr"));
      if (!address || m_Known.Find(*address) || !Followable(*address, hop)) continue;
      // The other addresses of its name are the same NE: one of them known
      // means the NE is in the run already.
      std::vector<std::string> named;
      if (auto name = DEText(DEFieldValue(remote, "m_RemoteNbrIpDNSName"))) named = m_Resolve(*name);
      bool known = false;
      for (const std::string& other : named) known = known || m_Known.Find(other).has_value();
      if (known) continue;
      if (m_Origins.size() >= m_Limits.maxNes) {
        named.push_back(*address);
        m_LeftOut.push_back(std::move(named));
        continue;
      }
      const size_t next = m_Origins.size();
      m_Origins.push_back(CCrawlOrigin{hop, job, *address});
      m_SameAs.emplace_back();
      m_Known.Add(*address, next);
      for (const std::string& other : named) m_Known.Add(other, next);
      found.push_back(*address);
    }
  }
  return found;
}

bool CCrawl::CeilingHit() const {
  for (const std::vector<std::string>& addresses : m_LeftOut) {
    bool known = false;
    for (const std::string& address : addresses) known = known || m_Known.Find(address).has_value();
    if (!known) return true;
  }
  return false;
}
