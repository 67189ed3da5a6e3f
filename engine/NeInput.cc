#include "engine/NeInput.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "engine/Quoted.h"
#include "engine/UnusedLines.h"

namespace {

bool IsAddress(const std::string& text, int* bits) {
  unsigned char bytes[16];
  if (inet_pton(AF_INET6, text.c_str(), bytes) == 1) {
    *bits = 128;
    return true;
  }
  if (inet_pton(AF_INET, text.c_str(), bytes) == 1) {
    *bits = 32;
    return true;
  }
  return false;
}

bool IsNodeName(const std::string& text) {
  if (text.empty() || text.size() > 253) return false;
  for (char c : text) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.') {
      return false;
    }
  }
  if (text.front() == '.' || text.find("..") != std::string::npos) return false;
  // Digits and dots only: a mistyped IPv4 address ("10.1.2"), not a name.
  return text.find_first_not_of("0123456789.") != std::string::npos;
}

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

std::string DECheckNe(const std::string& text) {
  if (text.empty()) return "empty NE";
  const size_t slash = text.find('/');
  if (slash != std::string::npos) {
    const std::string address = text.substr(0, slash);
    const std::string length = text.substr(slash + 1);
    int bits = 0;
    if (!IsAddress(address, &bits)) return DEQuoted(address) + " is not an IPv4 or IPv6 address";
    if (!AllDigits(length) || length.size() > 3 || std::stoi(length) > bits) {
      return "prefix length " + DEQuoted(length) + " is not a number from 0 to " + std::to_string(bits);
    }
    return "";
  }
  int bits = 0;
  if (IsAddress(text, &bits)) return "";
  if (text.find(':') != std::string::npos) return "not an IPv6 address";
  if (!IsNodeName(text)) return "not an address or a node name";
  return "";
}

bool DENeIsName(const std::string& text) {
  int bits = 0;
  return !text.empty() && !IsAddress(text.substr(0, text.find('/')), &bits);
}

std::unique_ptr<CKelRecord> DEMakeNeRecord(const std::string& text) {
  std::unique_ptr<CKelRecord> record(new CKelRecord());
  int bits = 0;
  const std::string address = text.substr(0, text.find('/'));
  if (IsAddress(address, &bits)) {
    record->KRAddOrSetValue("m_IpAddress", text.c_str());
  } else {
    record->KRAddOrSetValue("m_Name", text.c_str());
  }
  return record;
}

bool DEReadNeFile(const std::string& path, std::vector<std::string>* nes, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = "cannot read NE file '" + path + "': " + std::strerror(errno);
    return false;
  }
  std::string line;
  int number = 0;
  std::vector<ZWUnusedLine> bad;
  while (std::getline(in, line)) {
    ++number;
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    const std::string ne = Trim(line);
    if (ne.empty()) continue;
    const std::string problem = DECheckNe(ne);
    if (!problem.empty()) {
      bad.push_back({number, "NE " + DEQuoted(ne) + ": " + problem});
      continue;
    }
    nes->push_back(ne);
  }
  if (in.bad()) {
    *error = "cannot read NE file '" + path + "': read error";
    return false;
  }
  if (bad.empty()) return true;
  // Every bad line at once, so that one edit of the file mends them all.
  *error = DEUnusedLinesText(path, bad);
  error->pop_back();  // the message's own end
  return false;
}
