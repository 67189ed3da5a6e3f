// The three configuration loaders on one file: the input is read as the
// agent configuration, as the prefix names and as the host history, and
// each result is compared with a plain reading of the formats written here,
// independently of the loaders; each list is released again.
#include <arpa/inet.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "fuzz/FuzzSupport.h"
#include "host/KelError.h"
#include "host/ZWPlatform.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;  // key, text in key order

// The texts of `tree` in list order, or where they differ from `expected` (key order) or a look-up by key.
std::string Diff(const CKelTreeList* tree, const Entries& expected) {
  std::string got, want;
  const CKelDoubleList* list = tree != nullptr ? tree->KTLIterator() : nullptr;
  for (CKelListable* e = list ? list->KDLHead() : nullptr; e; e = list->KDLGetNext(e))
    got += static_cast<const char*>(static_cast<CKelPointer*>(e)->KPData()) + std::string(";");
  for (const auto& [key, text] : expected) {
    const CKelPointer* found = tree != nullptr ? tree->KTLGet(key.c_str()) : nullptr;
    want += (found && text == static_cast<const char*>(found->KPData()) ? text : "<" + key + ">") + ";";
  }
  return got == want && (tree == nullptr) == expected.empty() ? "" : "got " + got + " want " + want;
}

// A plain reading of the formats, written independently of the loaders: the runs of the texts that fgets
// with a 132-character buffer hands over, each cut at its first NUL as the string functions see it; the
// pieces that continue a line whose first piece's first run begins with "#" are part of that comment.
std::vector<std::vector<std::string>> RunsOfPieces(const std::string& file) {
  std::vector<std::vector<std::string>> pieces;
  std::string piece;
  bool lineStart = true, comment = false;
  for (size_t i = 0; i < file.size(); ++i) {
    piece += file[i];
    if (file[i] != '\n' && piece.size() < 131 && i + 1 < file.size()) continue;
    std::vector<std::string> runs;
    std::istringstream words(piece.c_str());
    for (std::string run; words >> run;) runs.push_back(run);
    if (lineStart) comment = !runs.empty() && runs[0][0] == '#';
    if (lineStart || !comment) pieces.push_back(runs);
    lineStart = file[i] == '\n' || piece.size() < 131;
    piece.clear();
  }
  return pieces;
}

// The normalised text of `text` as an address cut to `length` bits, or "" when it is none.
std::string Normal(const std::string& text, int length = 128) {
  unsigned char b[16];
  if (_ZWinet_pton(AF_INET6, text.c_str(), b) != 1) return "";
  for (int bit = length; bit < 128; ++bit) b[bit / 8] &= static_cast<unsigned char>(~(0x80 >> (bit % 8)));
  char out[41];
  for (int i = 0; i < 16; i += 2) snprintf(out + i / 2 * 5, 6, "%02X%02X:", b[i], b[i + 1]);
  return std::string(out, 39);
}

int ReadSwitch(const std::string& config) {
  long long value = -1;
  for (const auto& runs : RunsOfPieces(config)) {
    char* end = nullptr;
    long long v = runs.size() < 2 || runs[0][0] == '#' ? 0 : strtoll(runs[1].c_str(), &end, 10);
    if (end != nullptr && end != runs[1].c_str()) value = v;
  }
  return value == 0 ? 0 : 1;
}

Entries ReadList(const std::string& file, bool prefixes) {
  std::map<std::string, std::string> byKey;  // the first of a key wins
  for (const auto& runs : RunsOfPieces(file)) {
    if (runs.size() < (prefixes ? 2u : 1u) || runs[0][0] == '#') continue;
    std::string run = runs[0].substr(0, prefixes ? 50 : 64);
    int length = 128;
    if (size_t slash = run.find('/'); prefixes && slash != std::string::npos) {
      length = atoi(run.substr(slash + 1, 3).c_str());
      run.resize(slash);
      if (length < 0) continue;
    }
    const std::string key = Normal(run, length);
    if (!key.empty()) byKey.emplace(key, prefixes ? runs[1].substr(0, 80) : key);
  }
  return Entries(byKey.begin(), byKey.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp(4);
  static CDiscoIPv6Agent* agent = new CDiscoIPv6Agent();  // reads no file: the folders are empty
  const std::string path = FuzzWriteFile("config", data, size);
  const std::string text(reinterpret_cast<const char*>(data), size);
  KelErrorCapture errors;  // the loaders report nothing, whatever a file holds
  FuzzCheck(agent->DIPv6LoadConfig(path.c_str()) == 1, "DIPv6LoadConfig");
  FuzzCheck(agent->DIPv6AutoDiscovery() == ReadSwitch(text), "the switch as the file sets it");
  agent->DIPv6BuildPfxNameList(path.c_str());
  FuzzCheck(Diff(agent->DIPv6PfxDataList(), ReadList(text, true)).empty(), "the prefix names as written");
  agent->DIPv6RemovePfxNameList();
  agent->DIPv6BuildHistoryIpList(path.c_str());
  FuzzCheck(Diff(agent->DIPv6IpDataList(), ReadList(text, false)).empty(), "the host history as written");
  agent->DIPv6RemoveHistoryIpList();
  FuzzCheck(errors.Reports().empty(), "no error report");
  return 0;
}
