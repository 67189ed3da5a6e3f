// Which NE of a run owns an address. Addresses are compared by their
// parsed bytes, so "2001:db8::1" and "2001:0DB8:0:0:0:0:0:1" are one
// address; an IPv4 address and an IPv6 one never are.
//
// Built once, then only read: lookups are safe from many threads. Lookups
// cost O(1) on average.
#ifndef ENGINE_ADDRESSINDEX_H_
#define ENGINE_ADDRESSINDEX_H_

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>

// The parsed form of an IPv4 or IPv6 address text (one family byte, then
// the address bytes); empty optional when the text is neither.
std::optional<std::string> DEAddressKey(const std::string& text);

class CAddressIndex {
 public:
  struct Owner {
    size_t ne;                    // index of the NE
    std::optional<size_t> local;  // the local neighbour holding it, if any
  };

  // Records that NE `ne` owns `text` (through local neighbour `local`, when
  // given). The first owner of an address keeps it; a text that is not an
  // address is ignored. Returns true when the address was new.
  bool Add(const std::string& text, size_t ne, std::optional<size_t> local = std::nullopt);

  // The owner of `text`, or an empty optional when no NE owns it.
  std::optional<Owner> Find(const std::string& text) const;

  size_t Size() const { return m_Owners.size(); }

 private:
  std::unordered_map<std::string, Owner> m_Owners;
};

#endif  // ENGINE_ADDRESSINDEX_H_
