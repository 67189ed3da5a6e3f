// The snmprec reader of RecordFormats.h.
#include "snmp/RecordFormats.h"
#include "snmp/RequestedSubtrees.h"
#include "snmp/TextNumbers.h"

namespace snmp {

namespace {

// Decodes the Python escapes that snmpsim writes for tag suffix "e".
bool Unescape(const std::string& text, std::string* out) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      *out += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\': *out += '\\'; break;
      case '\'': *out += '\''; break;
      case '"': *out += '"'; break;
      case 'a': *out += '\a'; break;
      case 'b': *out += '\b'; break;
      case 'f': *out += '\f'; break;
      case 'n': *out += '\n'; break;
      case 'r': *out += '\r'; break;
      case 't': *out += '\t'; break;
      case 'v': *out += '\v'; break;
      case 'x': {
        std::string byte;
        if (i + 2 >= text.size()) return false;
        if (!ParseHexOctets(text.substr(i + 1, 2), &byte) || byte.size() != 1) return false;
        *out += byte;
        i += 2;
        break;
      }
      default: return false;
    }
  }
  return true;
}

// Reads one "OID|TAG|VALUE" line; false with `why` set when it cannot.
bool ReadLine(const std::string& line, VarBind* bind, std::string* why) {
  const size_t bar1 = line.find('|');
  const size_t bar2 = bar1 == std::string::npos ? bar1 : line.find('|', bar1 + 1);
  if (bar2 == std::string::npos) {
    *why = "not OID|TAG|VALUE";
    return false;
  }
  if (!ParseOid(line.substr(0, bar1), &bind->oid)) {
    *why = "bad OID";
    return false;
  }
  std::string tag = line.substr(bar1 + 1, bar2 - bar1 - 1);
  const std::string text = line.substr(bar2 + 1);
  char encoding = '\0';
  if (!tag.empty() && (tag.back() == 'x' || tag.back() == 'e')) {
    encoding = tag.back();
    tag.pop_back();
  }
  std::string octets = text;
  if (encoding == 'x' && !ParseHexOctets(text, &octets)) {
    *why = "bad hex value";
    return false;
  }
  if (encoding == 'e' && !Unescape(text, &octets)) {
    *why = "bad escaped value";
    return false;
  }
  WireValue& value = bind->value;
  bool ok = true;
  const bool plain = encoding == '\0';
  if (tag == "2" && plain) {
    value.type = EWireType::kInteger;
    ok = ParseSigned(text, INT32_MIN, INT32_MAX, &value.integer);
  } else if ((tag == "65" || tag == "66" || tag == "67") && plain) {
    value.type = tag == "65" ? EWireType::kCounter32
                 : tag == "66" ? EWireType::kUnsigned32
                               : EWireType::kTimeTicks;
    ok = ParseUnsigned(text, UINT32_MAX, &value.number);
  } else if (tag == "70" && plain) {
    value.type = EWireType::kCounter64;
    ok = ParseUnsigned(text, UINT64_MAX, &value.number);
  } else if (tag == "4" || tag == "68") {
    value.type = tag == "4" ? EWireType::kOctetString : EWireType::kOpaque;
    value.octets = octets;
  } else if (tag == "6" && plain) {
    value.type = EWireType::kObjectId;
    ok = ParseOid(text, &value.oid);
  } else if (tag == "64" && encoding != 'e') {
    value.type = EWireType::kIpAddress;
    ok = plain ? ParseDottedQuad(text, &value.octets) : octets.size() == 4;
    if (ok && !plain) value.octets = octets;
  } else if (tag == "5") {
    value.type = EWireType::kNull;
  } else {
    *why = "unsupported tag \"" + line.substr(bar1 + 1, bar2 - bar1 - 1) + "\"";
    return false;
  }
  if (!ok) *why = "bad value for tag " + tag;
  return ok;
}

}  // namespace

std::vector<std::string> SplitRecordLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

void AddRecordProblem(const Oid* oid, std::string text, std::vector<std::string>* problems) {
  if (oid != nullptr && !IsRequestedObject(*oid)) return;
  problems->push_back(std::move(text));
}

std::vector<VarBind> ReadSnmprec(const std::string& text, std::vector<std::string>* problems) {
  std::vector<VarBind> binds;
  std::vector<std::string> lines = SplitRecordLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const size_t lineNumber = i + 1;
    if (line.empty() || line[0] == '#') continue;
    VarBind bind;
    std::string why;
    if (ReadLine(line, &bind, &why)) {
      binds.push_back(std::move(bind));
    } else {
      // ReadLine leaves the OID empty when it could not read it.
      AddRecordProblem(bind.oid.empty() ? nullptr : &bind.oid,
                       "line " + std::to_string(lineNumber) + ": " + why, problems);
    }
  }
  return binds;
}

}  // namespace snmp
