// The three configuration files: the defaults without files, and random contents compared with a plain
// reading of the formats written here.
#include <arpa/inet.h>

#include <cstdio>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/KelError.h"
#include "host/ZWPlatform.h"
#include "tests/support/TempDir.h"

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

TEST(ConfigFilesTest, MissingFilesLeaveTheDefaultsAndNamedFilesLoadAsWritten) {
  ScopedConfigDirs dirs;
  KelErrorCapture errors;
  CDiscoIPv6Agent agent;
  EXPECT_EQ(agent.DIPv6AutoDiscovery(), 1);
  EXPECT_TRUE(agent.DIPv6PfxDataList() == nullptr && agent.DIPv6IpDataList() == nullptr);
  // A missing or null file turns the switch back on; the list may be removed twice.
  EXPECT_EQ(agent.DIPv6LoadConfig(dirs.WriteConfig("AutoDiscovery 0\n").c_str()), 1);
  ASSERT_EQ(agent.DIPv6AutoDiscovery(), 0);
  EXPECT_EQ(agent.DIPv6LoadConfig(nullptr), 1);
  EXPECT_EQ(agent.DIPv6AutoDiscovery(), 1);
  // The first line of a prefix wins and bits past its length are cleared; the rest is left to the random files.
  EXPECT_EQ(agent.DIPv6BuildPfxNameList(dirs.WritePrefixNames("2001:db8:1:5678::1/52 Lab\n2001:db8::/32 Net\n2001:db8::/64 2\n").c_str()), 1);
  EXPECT_EQ(Diff(agent.DIPv6PfxDataList(), {{"2001:0DB8:0000:0000:0000:0000:0000:0000", "Net"},
                                            {"2001:0DB8:0001:5000:0000:0000:0000:0000", "Lab"}}), "");
  for (int round = 0; round < 2; ++round) EXPECT_EQ(agent.DIPv6RemovePfxNameList(), 1);
  EXPECT_EQ(agent.DIPv6PfxDataList(), nullptr);
  EXPECT_TRUE(errors.Reports().empty());
}

// A plain reading of the formats, written independently of the loaders: the runs of the texts that fgets
// with a 132-character buffer hands over, each cut at its first NUL as the string functions see it.
std::vector<std::vector<std::string>> RunsOfPieces(const std::string& file) {
  std::vector<std::vector<std::string>> pieces;
  std::string piece;
  for (size_t i = 0; i < file.size(); ++i) {
    piece += file[i];
    if (file[i] != '\n' && piece.size() < 131 && i + 1 < file.size()) continue;
    pieces.emplace_back();
    std::istringstream words(piece.c_str());
    for (std::string run; words >> run;) pieces.back().push_back(run);
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

// Random bytes, or lines of the fragments the loaders look for, so that the adding, duplicate, comment,
// long-run and piece paths all run.
std::string RandomFile(std::mt19937& rng, bool soup) {
  static const std::vector<std::string> kFragments = {
      "2001:db8::", "2001:db8:1::", "1", "/48", "/64", "/-5", "/1281", "/", "#", " ", " ", "\t", "::",
      "ffff:", "192.0.2.1", "Lab", "AutoDiscovery", "0", "4294967296", "zz", std::string(60, 'a'),
      std::string(45, ' '), std::string(90, 'N'), "\n", "\n", "\n"};
  std::string s;
  for (int i = std::uniform_int_distribution<int>(0, soup ? 120 : 800)(rng); i > 0; --i) {
    const unsigned r = rng();
    s += soup ? kFragments[r % kFragments.size()] : std::string(1, r % 21 == 0 ? '\n' : char(r >> 8));
  }
  return s;
}

TEST(ConfigFuzzTest, RandomFilesLoadAsReadAndReleaseCleanly) {
  std::mt19937 rng(20240611u);
  int withPrefixes = 0, withHosts = 0, switchedOff = 0;  // the generators reach more than the refusals
  for (int i = 0; i < 200 && !HasFailure(); ++i) {
    const std::string config = RandomFile(rng, i % 2), prefixes = RandomFile(rng, i % 2), hosts = RandomFile(rng, i % 2);
    ScopedConfigDirs dirs;
    dirs.WriteConfig(config);
    dirs.WritePrefixNames(prefixes);
    dirs.WriteHostHistory(hosts);
    KelErrorCapture errors;
    CDiscoIPv6Agent agent;  // one a round: the sanitized build sees leaks and bad accesses
    const Entries x = ReadList(prefixes, true), y = ReadList(hosts, false);
    const int on = ReadSwitch(config);
    EXPECT_EQ(agent.DIPv6AutoDiscovery(), on) << "round " << i;
    EXPECT_EQ(Diff(agent.DIPv6PfxDataList(), x) + Diff(agent.DIPv6IpDataList(), y), "") << "round " << i;
    EXPECT_TRUE(errors.Reports().empty()) << "round " << i;
    withPrefixes += !x.empty();
    withHosts += !y.empty();
    switchedOff += on == 0;
  }
  EXPECT_GT(std::min(withPrefixes, withHosts), 20);
  EXPECT_GT(switchedOff, 0);
}

}  // namespace
