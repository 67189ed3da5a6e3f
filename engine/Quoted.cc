#include "engine/Quoted.h"

namespace {

const char kHex[] = "0123456789abcdef";

// The length of the well-formed UTF-8 sequence that starts `text`, 0 when
// none does.
size_t SequenceLength(std::string_view text) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xbf;  // the range of the second byte
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) low = 0xa0;   // overlong
    if (lead == 0xed) high = 0x9f;  // surrogates
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    if (lead == 0xf0) low = 0x90;   // overlong
    if (lead == 0xf4) high = 0x8f;  // above U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xbf) return 0;
  }
  return length;
}

}  // namespace

std::string DEValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const size_t length = SequenceLength(text);
    if (length == 0) {
      const auto c = static_cast<unsigned char>(text[0]);
      out += {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
      text.remove_prefix(1);
    } else {
      out.append(text.data(), length);
      text.remove_prefix(length);
    }
  }
  return out;
}

std::string DEQuoted(std::string_view text) {
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
