// The snmpwalk -On reader of RecordFormats.h.
//
// The value forms are those net-snmp 5.9 prints (snmplib/mib.c):
//   INTEGER: 5 | INTEGER: up(1) | INTEGER: 1500 octets   (Integer32 range)
//   Integer32:, Gauge32:, Unsigned32:, UInteger32:, Counter32:, Counter64:
//   Timeticks: (8640000) 1 day, 0:00:00.00
//   STRING: "text"   without a DISPLAY-HINT: every '"' and '\' escaped by
//                    a '\'; line breaks are printed as they are
//   STRING: text     with a DISPLAY-HINT (MIB files loaded): raw, unquoted
//   ""               an empty string without a DISPLAY-HINT
//   Hex-STRING: 02 00 5E   16 octets a line, each line ending in a blank
//   OID: .1.3.6 | IpAddress: 192.0.2.1 | Network Address: C0:00:02:01
//   BITS: 80 00 first(0)  hex octets, then the names of the bits set
//   OPAQUE: 9F 78         an Opaque that net-snmp could not decode
//   Opaque: Float: 0.710000 | Opaque: Counter64: N | Opaque: UInt64: N
//   Opaque: Int64: -N     net-snmp's special Opaques (5.9 prints a Double
//                         as "Float:" too; "Double:" is read as well)
//   NULL
//   Wrong Type (should be X): <one of the above>
// and the exception lines, which hold no binding.
#include <cctype>
#include <cstring>
#include <limits>
#include <locale>
#include <sstream>

#include "snmp/RecordFormats.h"
#include "snmp/TextNumbers.h"

namespace snmp {

namespace {

// True when `line` starts a record: "OID = ..." with a numeric OID.
bool StartsRecord(const std::string& line, size_t* equals) {
  size_t i = (!line.empty() && line[0] == '.') ? 1 : 0;
  if (i >= line.size() || !isdigit(static_cast<unsigned char>(line[i]))) return false;
  while (i < line.size() && (isdigit(static_cast<unsigned char>(line[i])) || line[i] == '.')) ++i;
  if (line.compare(i, 3, " = ") != 0 && line.compare(i, 3, " =") != 0) return false;
  *equals = i;
  return true;
}

bool StartsWith(const std::string& text, const char* prefix, std::string* rest) {
  const size_t length = strlen(prefix);
  if (text.compare(0, length, prefix) != 0) return false;
  *rest = text.substr(length);
  return true;
}

std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

// The number of "label(N)" or "N" or "N units".
std::string NumberPart(const std::string& text) {
  const size_t open = text.find('(');
  const size_t close = text.find(')');
  if (open != std::string::npos && close != std::string::npos && close > open) {
    return text.substr(open + 1, close - open - 1);
  }
  return text.substr(0, text.find(' '));
}

// `text` without a leading "Wrong Type (should be X): " (net-snmp prints
// it before the value when the MIB names another type). False when the
// prefix is there but cut.
bool StripWrongType(std::string* text) {
  std::string rest;
  if (!StartsWith(*text, "Wrong Type (should be ", &rest)) return true;
  const size_t colon = rest.find("): ");
  if (colon == std::string::npos) return false;
  *text = rest.substr(colon + 3);
  return true;
}

// The position of the '"' that closes the quoted string opening at
// `text[0]`, or npos while it is still open.
size_t ClosingQuote(const std::string& text) {
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;
    } else if (text[i] == '"') {
      return i;
    }
  }
  return std::string::npos;
}

// True while the value of a record is a quoted string without its closing
// '"': the lines that follow, blank ones too, belong to it.
bool QuoteIsOpen(std::string value) {
  std::string rest;
  if (!StripWrongType(&value) || !StartsWith(value, "STRING: \"", &rest)) return false;
  return ClosingQuote(value.substr(strlen("STRING: "))) == std::string::npos;
}

// The octets of `text` as printed without a DISPLAY-HINT: '"', escapes,
// '"'. False when `text` is not exactly that; it is then the raw text of
// a hinted string. A hinted string that happens to look exactly like a
// quoted one cannot be told from it and is read as quoted, the form of a
// walk without MIB files (Debian's default).
bool ReadQuoted(const std::string& text, std::string* out) {
  if (text.empty() || text[0] != '"' || ClosingQuote(text) != text.size() - 1) return false;
  out->clear();
  for (size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == '\\') ++i;  // only '\\' and '\"' are printed
    *out += text[i];
  }
  return true;
}

// Objects whose syntax has a hexadecimal DISPLAY-HINT: with MIB files
// loaded snmpwalk prints them as "STRING: 2:0:0:0:0:1", which syntax alone
// cannot tell from text. The runner reads these as octets, so beneath
// these columns such text is turned back into octets.
struct HexHintedColumn {
  Oid column;
  size_t groupOctets;  // octets a ':'-separated group stands for
};

const std::vector<HexHintedColumn>& HexHintedColumns() {
  static const std::vector<HexHintedColumn> columns = {
      // PhysAddress, DISPLAY-HINT "1x:".
      {{1, 3, 6, 1, 2, 1, 2, 2, 1, 6}, 1},         // ifPhysAddress
      {{1, 3, 6, 1, 2, 1, 4, 35, 1, 4}, 1},        // ipNetToPhysicalPhysAddress
      {{1, 3, 6, 1, 2, 1, 55, 1, 5, 1, 8}, 1},     // ipv6IfPhysicalAddress
      {{1, 3, 6, 1, 2, 1, 55, 1, 12, 1, 2}, 1},    // ipv6NetToMediaPhysAddress
      // Ipv6AddressIfIdentifier and Ipv6Address, DISPLAY-HINT "2x:".
      {{1, 3, 6, 1, 2, 1, 4, 30, 1, 3}, 2},        // ipv6InterfaceIdentifier
      {{1, 3, 6, 1, 2, 1, 55, 1, 5, 1, 6}, 2},     // ipv6IfIdentifier
      {{1, 3, 6, 1, 2, 1, 55, 1, 11, 1, 5}, 2},    // ipv6RouteNextHop
  };
  return columns;
}

// Reads "g:g:...:g", each group 1 to 2 * `groupOctets` hex digits (the
// hint prints a group without leading zeros), as octets.
bool ReadHexGroups(const std::string& text, size_t groupOctets, std::string* out) {
  std::string octets;
  size_t start = 0;
  while (true) {
    size_t end = text.find(':', start);
    if (end == std::string::npos) end = text.size();
    const std::string group = text.substr(start, end - start);
    if (group.empty() || group.size() > 2 * groupOctets) return false;
    unsigned long value = 0;
    for (char c : group) {
      if (!isxdigit(static_cast<unsigned char>(c))) return false;
      value = value * 16 + static_cast<unsigned long>(isdigit(static_cast<unsigned char>(c))
                                                           ? c - '0'
                                                           : tolower(c) - 'a' + 10);
    }
    for (size_t i = groupOctets; i-- > 0;) octets += static_cast<char>((value >> (8 * i)) & 0xFF);
    if (end == text.size()) break;
    start = end + 1;
  }
  *out = std::move(octets);
  return true;
}

// The content octets of a BER INTEGER holding `value` (two's complement,
// shortest form).
std::string BerInteger(unsigned long long value, bool isSigned) {
  std::string octets;
  for (int i = 7; i >= 0; --i) octets += static_cast<char>((value >> (8 * i)) & 0xFF);
  while (octets.size() > 1) {
    const unsigned char first = static_cast<unsigned char>(octets[0]);
    const bool nextHigh = (static_cast<unsigned char>(octets[1]) & 0x80) != 0;
    if ((first == 0x00 && !nextHigh) || (isSigned && first == 0xFF && nextHigh)) {
      octets.erase(0, 1);
    } else {
      break;
    }
  }
  if (!isSigned && (static_cast<unsigned char>(octets[0]) & 0x80) != 0) octets.insert(0, 1, '\0');
  return octets;
}

// A decimal floating-point number as "%f" prints it ("inf" and "nan"
// included), independent of the process's locale.
bool ParseReal(const std::string& text, double* out) {
  const bool negative = !text.empty() && text[0] == '-';
  const std::string magnitude = negative ? text.substr(1) : text;
  if (magnitude == "inf" || magnitude == "nan") {
    *out = magnitude == "inf" ? std::numeric_limits<double>::infinity()
                              : std::numeric_limits<double>::quiet_NaN();
    if (negative) *out = -*out;
    return true;
  }
  if (magnitude.empty() || !isdigit(static_cast<unsigned char>(magnitude[0]))) return false;
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  double value = 0;
  in >> value;
  if (in.fail() || in.peek() != std::char_traits<char>::eof()) return false;
  *out = value;
  return true;
}

// The octets net-snmp sends for its special Opaque types: the Opaque
// holds a BER value with the two-octet tag 9F 7x (78 Float, 79 Double,
// 76 Counter64, 7A Int64, 7B UInt64), so that replay serves what the
// device sent. `text` is what follows "Opaque: ".
bool ReadSpecialOpaque(const std::string& text, std::string* out) {
  std::string rest;
  char tag = 0;
  std::string content;
  if (StartsWith(text, "Float: ", &rest) || StartsWith(text, "Double: ", &rest)) {
    double value = 0;
    if (!ParseReal(NumberPart(Trim(rest)), &value)) return false;
    unsigned long long bits = 0;
    size_t size = 8;
    if (text[0] == 'F') {
      // Doubles of older releases print as "Float:" too; either is read
      // into the width its name gives.
      const float single = static_cast<float>(value);
      uint32_t singleBits = 0;
      memcpy(&singleBits, &single, sizeof singleBits);
      bits = singleBits;
      size = 4;
      tag = 0x78;
    } else {
      memcpy(&bits, &value, sizeof bits);
      tag = 0x79;
    }
    for (size_t i = size; i-- > 0;) content += static_cast<char>((bits >> (8 * i)) & 0xFF);
  } else if (StartsWith(text, "Int64: ", &rest)) {
    long long value = 0;
    if (!ParseSigned(NumberPart(Trim(rest)), INT64_MIN, INT64_MAX, &value)) return false;
    tag = 0x7A;
    content = BerInteger(static_cast<unsigned long long>(value), true);
  } else if (StartsWith(text, "UInt64: ", &rest) || StartsWith(text, "Counter64: ", &rest)) {
    unsigned long long value = 0;
    if (!ParseUnsigned(NumberPart(Trim(rest)), UINT64_MAX, &value)) return false;
    tag = text[0] == 'U' ? 0x7B : 0x76;
    content = BerInteger(value, false);
  } else {
    return false;
  }
  *out = std::string("\x9F") + tag + static_cast<char>(content.size()) + content;
  return true;
}

enum class ERead { kBinding, kSkip, kBad };

ERead ReadValue(const Oid& oid, std::string text, WireValue* value, std::string* why) {
  std::string rest;
  if (!StripWrongType(&text)) {
    *why = "bad Wrong Type value";
    return ERead::kBad;
  }
  if (StartsWith(text, "No Such Object", &rest) || StartsWith(text, "No Such Instance", &rest) ||
      StartsWith(text, "No more variables", &rest)) {
    return ERead::kSkip;
  }
  bool ok = true;
  if (text == "\"\"" || text == "STRING:") {
    value->type = EWireType::kOctetString;
  } else if (StartsWith(text, "STRING: ", &rest)) {
    value->type = EWireType::kOctetString;
    if (!ReadQuoted(rest, &value->octets)) {
      value->octets = rest;
      for (const HexHintedColumn& hinted : HexHintedColumns()) {
        if (OidIsUnder(oid, hinted.column) && !rest.empty()) {
          ok = ReadHexGroups(rest, hinted.groupOctets, &value->octets);
        }
      }
    }
  } else if (StartsWith(text, "Hex-STRING: ", &rest)) {
    value->type = EWireType::kOctetString;
    ok = ParseHexOctets(rest, &value->octets);
  } else if (StartsWith(text, "BITS: ", &rest)) {
    // Hex octets, then the names of the bits that are set ("name(N)").
    value->type = EWireType::kOctetString;
    std::istringstream words(rest);
    std::string word, hex;
    while (ok && words >> word) {
      if (word.find('(') != std::string::npos) {
        ok = word.back() == ')';
      } else {
        ok = word.size() == 2 && isxdigit(static_cast<unsigned char>(word[0])) &&
             isxdigit(static_cast<unsigned char>(word[1]));
        hex += word;
      }
    }
    ok = ok && ParseHexOctets(hex, &value->octets);
  } else if (StartsWith(text, "INTEGER: ", &rest) || StartsWith(text, "Integer32: ", &rest)) {
    value->type = EWireType::kInteger;
    ok = ParseSigned(NumberPart(Trim(rest)), INT32_MIN, INT32_MAX, &value->integer);
  } else if (StartsWith(text, "Gauge32: ", &rest) || StartsWith(text, "Unsigned32: ", &rest) ||
             StartsWith(text, "UInteger32: ", &rest)) {
    value->type = EWireType::kUnsigned32;
    ok = ParseUnsigned(NumberPart(Trim(rest)), UINT32_MAX, &value->number);
  } else if (StartsWith(text, "Counter32: ", &rest)) {
    value->type = EWireType::kCounter32;
    ok = ParseUnsigned(NumberPart(Trim(rest)), UINT32_MAX, &value->number);
  } else if (StartsWith(text, "Counter64: ", &rest)) {
    value->type = EWireType::kCounter64;
    ok = ParseUnsigned(NumberPart(Trim(rest)), UINT64_MAX, &value->number);
  } else if (StartsWith(text, "Timeticks: ", &rest)) {
    value->type = EWireType::kTimeTicks;
    ok = ParseUnsigned(NumberPart(Trim(rest)), UINT32_MAX, &value->number);
  } else if (StartsWith(text, "OID: ", &rest)) {
    value->type = EWireType::kObjectId;
    ok = ParseOid(Trim(rest), &value->oid);
  } else if (StartsWith(text, "IpAddress: ", &rest)) {
    value->type = EWireType::kIpAddress;
    ok = ParseDottedQuad(Trim(rest), &value->octets);
  } else if (StartsWith(text, "Network Address: ", &rest)) {
    value->type = EWireType::kIpAddress;
    ok = ParseHexOctets(Trim(rest), &value->octets) && value->octets.size() == 4;
  } else if (StartsWith(text, "OPAQUE: ", &rest) || text == "OPAQUE:") {
    value->type = EWireType::kOpaque;
    ok = ParseHexOctets(rest, &value->octets);
  } else if (StartsWith(text, "Opaque: ", &rest)) {
    value->type = EWireType::kOpaque;
    ok = ReadSpecialOpaque(rest, &value->octets);
  } else if (text == "NULL") {
    value->type = EWireType::kNull;
  } else {
    *why = "unknown value \"" + text.substr(0, 40) + "\"";
    return ERead::kBad;
  }
  if (!ok) {
    *why = "bad value \"" + text.substr(0, 40) + "\"";
    return ERead::kBad;
  }
  return ERead::kBinding;
}

}  // namespace

std::vector<VarBind> ReadWalk(const std::string& text, std::vector<std::string>* problems) {
  // First gather records (a start line and its continuations), then read.
  struct Record {
    int line;
    std::string oid;
    std::string value;
  };
  std::vector<Record> records;
  std::vector<std::string> lines = SplitRecordLines(text);
  bool quoteOpen = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const int lineNumber = static_cast<int>(i) + 1;
    size_t equals = 0;
    if (StartsRecord(line, &equals)) {
      const size_t valueStart = std::min(line.size(), equals + 3);
      records.push_back({lineNumber, line.substr(0, equals), line.substr(valueStart)});
      quoteOpen = QuoteIsOpen(records.back().value);
    } else if (!records.empty() && (quoteOpen || !line.empty())) {
      records.back().value += "\n" + line;
      if (quoteOpen) quoteOpen = QuoteIsOpen(records.back().value);
    } else if (Trim(line) == "End of MIB") {
      // SNMPv1 snmpwalk's report of the end of the agent's MIB.
    } else if (!Trim(line).empty()) {
      AddRecordProblem(nullptr, "line " + std::to_string(lineNumber) + ": not OID = VALUE",
                       problems);
    }
  }
  std::vector<VarBind> binds;
  for (Record& record : records) {
    VarBind bind;
    std::string why;
    const bool oidRead = ParseOid(record.oid, &bind.oid);
    if (!oidRead) {
      why = "bad OID";
    } else {
      switch (ReadValue(bind.oid, record.value, &bind.value, &why)) {
        case ERead::kBinding: binds.push_back(std::move(bind)); continue;
        case ERead::kSkip: continue;
        case ERead::kBad: break;
      }
    }
    AddRecordProblem(oidRead ? &bind.oid : nullptr,
                     "line " + std::to_string(record.line) + ": " + why, problems);
  }
  return binds;
}

}  // namespace snmp
