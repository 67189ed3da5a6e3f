// Random contents in the three files: the agent is constructed and
// destroyed each time without a crash, an access out of bounds or a leak
// (the sanitized build checks those), and what it loads matches a plain
// reading of the file formats.
#include <arpa/inet.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "host/ZWPlatform.h"
#include "tests/support/TempDir.h"
#include "tests/unit/config/ConfigTestUtil.h"

namespace {

using configtest::CompareTree;
using configtest::Entries;

constexpr unsigned kSeed = 20240611u;
constexpr int kIterations = 200;

// A plain reading of the formats, written independently of the loaders.
// The texts that fgets with a 132-character buffer hands over, each cut at
// its first NUL as the string functions see it.
std::vector<std::string> Pieces(const std::string& file) {
  std::vector<std::string> pieces;
  std::string piece;
  for (char c : file) {
    piece += c;
    if (c == '\n' || piece.size() == 131) {
      pieces.push_back(piece.c_str());
      piece.clear();
    }
  }
  if (!piece.empty()) pieces.push_back(piece.c_str());
  return pieces;
}

// The runs of non-blank characters of a piece, uncut.
std::vector<std::string> Runs(const std::string& piece) {
  std::vector<std::string> runs;
  std::string run;
  for (char c : piece + " ") {
    if (!isspace(static_cast<unsigned char>(c))) {
      run += c;
    } else if (!run.empty()) {
      runs.push_back(run);
      run.clear();
    }
  }
  return runs;
}

// The normalised text of `text` as an address, or "" when it is none.
std::string Normal(const std::string& text, int length = 128) {
  unsigned char bytes[16];
  if (_ZWinet_pton(AF_INET6, text.c_str(), bytes) != 1) return "";
  for (int bit = length; bit < 128; ++bit) {
    bytes[bit / 8] &= static_cast<unsigned char>(~(0x80 >> (bit % 8)));
  }
  char out[41];
  for (int i = 0; i < 16; i += 2) snprintf(out + i / 2 * 5, 6, "%02X%02X:", bytes[i], bytes[i + 1]);
  out[39] = '\0';
  return out;
}

int ExpectedSwitch(const std::string& file) {
  long long value = -1;
  for (const std::string& piece : Pieces(file)) {
    std::vector<std::string> runs = Runs(piece);
    if (runs.size() < 2 || runs[0][0] == '#') continue;
    char* end = nullptr;
    long long v = strtoll(runs[1].c_str(), &end, 10);
    if (end != runs[1].c_str()) value = v;  // else not a number
  }
  return value == 0 ? 0 : 1;
}

Entries ExpectedPrefixes(const std::string& file) {
  std::map<std::string, std::string> byKey;  // the first of a key wins
  for (const std::string& piece : Pieces(file)) {
    std::vector<std::string> runs = Runs(piece);
    if (runs.size() < 2 || runs[0][0] == '#') continue;
    std::string run = runs[0].substr(0, 50);
    std::string name = runs[1].substr(0, 80);
    int length = 128;
    size_t slash = run.find('/');
    if (slash != std::string::npos) {
      length = atoi(run.substr(slash + 1, 3).c_str());
      run.resize(slash);
      if (length < 0) continue;
    }
    const std::string key = Normal(run, length);
    if (!key.empty()) byKey.emplace(key, name);
  }
  return Entries(byKey.begin(), byKey.end());
}

Entries ExpectedHistory(const std::string& file) {
  std::map<std::string, std::string> seen;
  for (const std::string& piece : Pieces(file)) {
    std::vector<std::string> runs = Runs(piece);
    if (runs.empty() || runs[0][0] == '#') continue;
    const std::string text = Normal(runs[0].substr(0, 64));
    if (!text.empty()) seen.emplace(text, text);
  }
  return Entries(seen.begin(), seen.end());
}

std::string RandomBytes(std::mt19937& rng) {
  std::uniform_int_distribution<int> length(0, 800);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> newline(0, 20);
  std::string s(length(rng), '\0');
  for (char& c : s) c = newline(rng) == 0 ? '\n' : static_cast<char>(byte(rng));
  return s;
}

// Lines built from the fragments the loaders look for, so that adding,
// duplicate, comment, long-run and piece paths all run.
std::string Soup(std::mt19937& rng) {
  static const std::vector<std::string> kFragments = {
      "2001:db8::", "2001:db8:1::", "1", "5", "/", "/48", "/64", "/-5", "/1281", "/0", "#",
      " ", " ", " ", "\t", "::", "ffff:", "192.0.2.1", "Lab", "Net", "AutoDiscovery", "0", "-1",
      "4294967296", ":", "fe80::", "zz", "\r", std::string(60, 'a'), std::string(45, ' '),
      std::string(90, 'N'), "\n", "\n", "\n", "2001:0DB8:0000:0000:0000:0000:0000:0001"};
  std::uniform_int_distribution<int> count(0, 120);
  std::uniform_int_distribution<size_t> pick(0, kFragments.size() - 1);
  std::string s;
  for (int i = count(rng); i > 0; --i) s += kFragments[pick(rng)];
  return s;
}

TEST(ConfigFuzzTest, RandomFilesLoadAsReadAndReleaseCleanly) {
  std::mt19937 rng(kSeed);
  int withPrefixes = 0, withHosts = 0, switchedOff = 0;
  for (int i = 0; i < kIterations; ++i) {
    const bool soup = i % 2 == 1;
    const std::string config = soup ? Soup(rng) : RandomBytes(rng);
    const std::string prefixes = soup ? Soup(rng) : RandomBytes(rng);
    const std::string hosts = soup ? Soup(rng) : RandomBytes(rng);
    ScopedConfigDirs dirs;
    dirs.WriteConfig(config);
    dirs.WritePrefixNames(prefixes);
    dirs.WriteHostHistory(hosts);

    KelErrorCapture errors;
    // Every tenth round with all trace lines formatted, random names included.
    KelTraceCapture trace(i % 10 == 0 ? 4 : 0);
    auto* agent = new CDiscoIPv6Agent();
    const int expectedSwitch = ExpectedSwitch(config);
    EXPECT_EQ(agent->DIPv6AutoDiscovery(), expectedSwitch) << "round " << i;
    EXPECT_EQ(CompareTree(agent->DIPv6PfxDataList(), ExpectedPrefixes(prefixes)), "")
        << "round " << i;
    EXPECT_EQ(CompareTree(agent->DIPv6IpDataList(), ExpectedHistory(hosts)), "") << "round " << i;
    EXPECT_TRUE(errors.Reports().empty()) << "round " << i;
    withPrefixes += agent->DIPv6PfxDataList() != nullptr;
    withHosts += agent->DIPv6IpDataList() != nullptr;
    switchedOff += expectedSwitch == 0;
    delete agent;
    if (HasFailure()) break;
  }
  // The generators reach the interesting paths, not just the refusals.
  EXPECT_GT(withPrefixes, kIterations / 10);
  EXPECT_GT(withHosts, kIterations / 10);
  EXPECT_GT(switchedOff, 0);
}

}  // namespace
