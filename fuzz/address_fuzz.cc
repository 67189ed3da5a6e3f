// Address texts through the toolkit: the input's last byte is a prefix
// length (-128 to 127, or INT_MIN and INT_MAX for 0x80 and 0x7F), the bytes
// before it the text. Besides ASan and UBSan, the promises between the
// operations are checked: a valid address normalises to 39 characters, its
// short form normalises back to the same, its prefix is 47 characters and
// its scope that of its normal form; an invalid one gives no text at all.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "agent/CDiscoIPv6Agent.h"
#include "fuzz/FuzzSupport.h"

namespace {

std::string Take(char* text) {
  const std::string copy = text != nullptr ? text : "";
  free(text);
  return copy;
}

std::string WithoutColons(std::string s) {
  std::string out;
  for (char c : s) {
    if (c != ':') out += c;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp(4);
  static CDiscoIPv6Agent* agent = new CDiscoIPv6Agent();
  if (size == 0) return 0;
  const int8_t last = static_cast<int8_t>(data[size - 1]);
  const int length = last == 0x7F ? INT_MAX : last == -0x80 ? INT_MIN : last;
  const std::string text(reinterpret_cast<const char*>(data), size - 1);
  const char* t = text.c_str();  // up to the first NUL, as a caller's text would be

  const std::string regrouped = Take(agent->DIPv6Normalization(t, 1));
  FuzzCheck(regrouped.empty() || WithoutColons(regrouped) == WithoutColons(t),
            "format 1 keeps every character but the colons");
  const std::string normalised = Take(agent->DIPv6Normalization(t, 2));
  const std::string shortForm = Take(agent->DIPv6ShortFormat(t));
  const std::string prefix = Take(agent->DIPv6GetPfxFromStdIP(t, length));
  const bool valid = agent->DIPv6IsIpValid(t, 2) == E_KBTrue;
  if (valid) {
    FuzzCheck(normalised.size() == 39, "a valid address normalises to 39 characters");
    FuzzCheck(prefix.size() == 47, "a valid address has a 47-character prefix");
    FuzzCheck(Take(agent->DIPv6Normalization(shortForm.c_str(), 2)) == normalised,
              "the short form normalises to the normal form");
    FuzzCheck(agent->DIPv6GetAddrScope(t) == agent->DIPv6GetAddrScope(normalised.c_str()),
              "the scope is that of the normal form");
  } else {
    FuzzCheck(normalised.empty() && shortForm.empty() && prefix.empty(),
              "an invalid address gives no normal form, short form or prefix");
    FuzzCheck(agent->DIPv6GetAddrScope(t) == 0, "an invalid address has scope 0");
  }
  agent->DIPv6IsIpValid(t, 1);
  return 0;
}
