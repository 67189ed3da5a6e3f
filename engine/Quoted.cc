#include "engine/Quoted.h"

std::string DEQuoted(std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "'";
  for (size_t i = 0; i < text.size() && i < kQuotedLength; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      out += static_cast<char>(c);
    } else {
      out += {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
    }
  }
  if (text.size() > kQuotedLength) out += "...";
  return out + "'";
}
