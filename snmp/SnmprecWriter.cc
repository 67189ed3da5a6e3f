#include "snmp/SnmprecWriter.h"

#include <cstdint>

namespace snmp {

namespace {

std::string Hex(const std::string& octets) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char c : octets) {
    text += kDigits[c >> 4];
    text += kDigits[c & 15];
  }
  return text;
}

// Printable ASCII whose first and last characters are not blanks: what
// every reader of the format takes back unchanged.
bool PlainText(const std::string& octets) {
  for (unsigned char c : octets) {
    if (c < 0x20 || c > 0x7e) return false;
  }
  return octets.empty() || (octets.front() != ' ' && octets.back() != ' ');
}

}  // namespace

bool SnmprecLine(const VarBind& bind, std::string* line) {
  const WireValue& v = bind.value;
  std::string tagged;  // "TAG|VALUE"
  switch (v.type) {
    case EWireType::kInteger:
      if (v.integer < INT32_MIN || v.integer > INT32_MAX) return false;
      tagged = "2|" + std::to_string(v.integer);
      break;
    case EWireType::kUnsigned32:
    case EWireType::kCounter32:
    case EWireType::kTimeTicks:
      if (v.number > UINT32_MAX) return false;
      tagged = std::string(v.type == EWireType::kCounter32   ? "65|"
                           : v.type == EWireType::kUnsigned32 ? "66|"
                                                              : "67|") +
               std::to_string(v.number);
      break;
    case EWireType::kCounter64:
      tagged = "70|" + std::to_string(v.number);
      break;
    case EWireType::kOctetString:
      tagged = PlainText(v.octets) ? "4|" + v.octets : "4x|" + Hex(v.octets);
      break;
    case EWireType::kOpaque:
      tagged = "68x|" + Hex(v.octets);
      break;
    case EWireType::kObjectId:
      if (v.oid.empty()) return false;
      tagged = "6|" + OidText(v.oid);
      break;
    case EWireType::kIpAddress: {
      if (v.octets.size() != 4) return false;
      const auto byte = [&](int i) { return std::to_string(static_cast<unsigned char>(v.octets[i])); };
      tagged = "64|" + byte(0) + "." + byte(1) + "." + byte(2) + "." + byte(3);
      break;
    }
    case EWireType::kNull:
      tagged = "5|";
      break;
    case EWireType::kNoSuchObject:
    case EWireType::kNoSuchInstance:
    case EWireType::kEndOfMibView:
      return false;
  }
  if (bind.oid.empty()) return false;
  *line = OidText(bind.oid) + "|" + tagged;
  return true;
}

std::string SnmprecText(const std::vector<VarBind>& binds, size_t* leftOut) {
  std::string text, line;
  *leftOut = 0;
  for (const VarBind& bind : binds) {
    if (SnmprecLine(bind, &line)) {
      text += line + "\n";
    } else {
      ++*leftOut;
    }
  }
  return text;
}

}  // namespace snmp
