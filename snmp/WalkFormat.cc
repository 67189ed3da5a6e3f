// The snmpwalk -On reader of RecordFormats.h.
#include <cctype>

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
  const std::string p(prefix);
  if (text.compare(0, p.size(), p) != 0) return false;
  *rest = text.substr(p.size());
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

enum class ERead { kBinding, kSkip, kBad };

ERead ReadValue(std::string text, WireValue* value, std::string* why) {
  std::string rest;
  if (StartsWith(text, "Wrong Type (should be ", &rest)) {
    const size_t colon = rest.find("): ");
    if (colon == std::string::npos) {
      *why = "bad Wrong Type value";
      return ERead::kBad;
    }
    text = rest.substr(colon + 3);
  }
  if (StartsWith(text, "No Such Object", &rest) || StartsWith(text, "No Such Instance", &rest) ||
      StartsWith(text, "No more variables", &rest)) {
    return ERead::kSkip;
  }
  bool ok = true;
  if (text == "\"\"" || text == "STRING:" || text == "STRING: ") {
    value->type = EWireType::kOctetString;
  } else if (StartsWith(text, "STRING: ", &rest)) {
    value->type = EWireType::kOctetString;
    value->octets = rest;
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') {
      value->octets = rest.substr(1, rest.size() - 2);
    }
  } else if (StartsWith(text, "Hex-STRING: ", &rest)) {
    value->type = EWireType::kOctetString;
    ok = ParseHexOctets(rest, &value->octets);
  } else if (StartsWith(text, "BITS: ", &rest)) {
    // Hex octets, then the names of the bits that are set.
    value->type = EWireType::kOctetString;
    size_t hexEnd = 0;
    while (hexEnd + 1 < rest.size() && isxdigit(static_cast<unsigned char>(rest[hexEnd])) &&
           isxdigit(static_cast<unsigned char>(rest[hexEnd + 1])) &&
           (hexEnd + 2 == rest.size() || rest[hexEnd + 2] == ' ')) {
      hexEnd += 3;
    }
    ok = ParseHexOctets(rest.substr(0, std::min(hexEnd, rest.size())), &value->octets);
  } else if (StartsWith(text, "INTEGER: ", &rest)) {
    value->type = EWireType::kInteger;
    ok = ParseSigned(NumberPart(Trim(rest)), INT64_MIN, INT64_MAX, &value->integer);
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
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const int lineNumber = static_cast<int>(i) + 1;
    size_t equals = 0;
    if (StartsRecord(line, &equals)) {
      const size_t valueStart = std::min(line.size(), equals + 3);
      records.push_back({lineNumber, line.substr(0, equals), line.substr(valueStart)});
    } else if (!records.empty() && !line.empty()) {
      records.back().value += "\n" + line;
    } else if (!Trim(line).empty()) {
      problems->push_back("line " + std::to_string(lineNumber) + ": not OID = VALUE");
    }
  }
  std::vector<VarBind> binds;
  for (Record& record : records) {
    VarBind bind;
    std::string why;
    if (!ParseOid(record.oid, &bind.oid)) {
      why = "bad OID";
    } else {
      switch (ReadValue(record.value, &bind.value, &why)) {
        case ERead::kBinding: binds.push_back(std::move(bind)); continue;
        case ERead::kSkip: continue;
        case ERead::kBad: break;
      }
    }
    problems->push_back("line " + std::to_string(record.line) + ": " + why);
  }
  return binds;
}

}  // namespace snmp
