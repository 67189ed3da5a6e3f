// The toolkit against Python's ipaddress (tests/tools/ipv6_vectors.py), every line checked; IPv4-mapped
// and -compatible addresses may come back dotted. Then the reports the vectors cannot give.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>

#include "agent/CDiscoIPv6Agent.h"
#include "host/KelError.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kNull = "<null>";

std::string Take(void* text) { const std::string s = text ? (char*)text : kNull; return free(text), s; }
std::string Hex(void* addr) {  // 32 hex digits or kNull, freed
  char hex[33] = "<null>";
  for (int i = 0; addr != nullptr && i < 16; ++i) snprintf(hex + 2 * i, 3, "%02x", ((uint8_t*)addr)[i]);
  return free(addr), hex;
}
std::string Upper(std::string s) { return std::transform(s.begin(), s.end(), s.begin(), ::toupper), s; }
std::string Joined(const std::string& hex, size_t step, std::string s = "") {  // in groups of `step`
  for (size_t i = 0; i < 32; i += step) s += (i ? ":" : "") + hex.substr(i, step);
  return s;
}
CKelASN1Address Index(uint32_t ifIndex, const std::string& hex) {  // interface, then 16 octets
  std::vector<uint32_t> ids{ifIndex};
  for (size_t i = 0; i < 32; i += 2) ids.push_back(std::stoul(hex.substr(i, 2), nullptr, 16));
  return CKelASN1Address(ids);
}

struct ReferenceVectorsTest : ::testing::Test {
  std::string Part(CKelASN1Address i, int b, int e) { return Take(agent.DIPv6GetPartOfASN(&i, b, e)); }
  std::string Addr(CKelASN1Address i, int b, int e) { return Hex(agent.DIPv6GetAddrFromASN(&i, b, e)); }
  std::string Pfx(CKelASN1Address i, int length) { return Take(agent.DIPv6GetPfxFromIndexIp(&i, length)); }
  std::string Pfx(const char* text, int length) { return Take(agent.DIPv6GetPfxFromStdIP(text, length)); }
  ScopedConfigDirs dirs;  // the agent finds none of its files
  CDiscoIPv6Agent agent;
};

TEST_F(ReferenceVectorsTest, EveryVectorGivesWhatIpaddressGives) {
  FILE* pipe = popen("python3 '" TEST_SOURCE_DIR "/tests/tools/ipv6_vectors.py' --seed 20465", "r");
  ASSERT_NE(pipe, nullptr);
  std::string shown;  // the first mismatches only, so that one fault does not print thousands
  int bad = 0;
  auto expect = [&](bool ok, const std::string& what) { shown += !ok && ++bad <= 10 ? what + "\n" : ""; };
  std::map<std::string, int> seen;  // lines of each kind, scopes, dotted forms, valid texts
  char buffer[512];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
    std::vector<std::string> f;
    std::istringstream fields(std::string(buffer, strcspn(buffer, "\n")));
    for (std::string s; std::getline(fields, s, '\t');) f.push_back(s);
    f.resize(7);  // a T line's text may be empty
    ++seen[f[0]];
    if (f[0] == "A") {  // hex, compressed, exploded, scope, kind (mapped, compat or -), dotted IPv4
      const std::string &hex = f[1], &compressed = f[2], &exploded = f[3], upper = Upper(exploded);
      const std::string dotted = (f[5] == "mapped" ? "::ffff:" : "::") + f[6], bytes = Joined(Upper(hex), 2);
      for (const std::string& input : {compressed, exploded, upper}) {
        const std::string got = Take(agent.DIPv6ShortFormat(input.c_str()));
        expect(got == compressed || (f[5] != "-" && got == dotted), input + " short " + got);
        seen["dotted"] += got != compressed;
      }
      for (const auto& [input, fmt, expected] : std::vector<std::tuple<std::string, int, std::string>>{
               {compressed, 2, upper}, {exploded, 2, upper}, {bytes, 1, upper}, {hex, 1, exploded}}) {
        const std::string got = Take(agent.DIPv6Normalization(input.c_str(), fmt));
        expect(got == expected && agent.DIPv6IsIpValid(input.c_str(), fmt), input + " normalised: " + got);
      }
      expect(Addr(Index(2, hex), 1, 16) == hex && Part(Index(2, hex), 1, 16) == bytes, hex + " as index");
      expect(agent.DIPv6GetAddrScope(compressed.c_str()) == std::stoi(f[4]), compressed + " scope " + f[4]);
      ++seen["scope " + f[4]];
    } else if (f[0] == "P") {  // hex, length, network hex
      const std::string expected = Joined(Upper(f[3]), 2), text = Pfx(Joined(f[1], 4).c_str(), stoi(f[2]));
      const std::string index = Pfx(Index(9, f[1]), std::stoi(f[2]));
      expect(text == expected && index == expected, f[1] + "/" + f[2] + " " + text + " " + index);
    } else if (f[0] == "T") {  // accepted, exploded, text
      const char* text = f[3].c_str();
      const std::string normalised = Take(agent.DIPv6Normalization(text, 2)), prefix = Pfx(text, 64);
      const std::string shortForm = Take(agent.DIPv6ShortFormat(text));
      const bool accepted = f[1] == "1";
      seen["valid"] += accepted;
      expect(agent.DIPv6IsIpValid(text, 2) == accepted &&
                 (accepted ? normalised == Upper(f[2]) && Take(agent.DIPv6Normalization(&shortForm[0], 2)) ==
                                 normalised && prefix != kNull
                           : normalised == kNull && shortForm == kNull && prefix == kNull),
             "\"" + f[3] + "\": " + normalised + ", " + shortForm + ", " + prefix);
    }
  }
  ASSERT_EQ(pclose(pipe), 0);
  EXPECT_EQ(bad, 0) << shown;
  EXPECT_TRUE(seen["A"] >= 3000 && seen["P"] >= 12900 && seen["T"] > seen["valid"] + 300 &&  // enough of
              seen["valid"] > 300 && seen["dotted"] > 100);  // every kind, and the dotted form seen
  for (int scope = 0; scope < 14; ++scope) EXPECT_GT(seen["scope " + std::to_string(scope)], 0) << scope;
}

TEST_F(ReferenceVectorsTest, PositionsOutsideAnIndexAndNullArgumentsAreReported) {
  const int kOutOfRange = -220439, kNullArg = -220552;
  const CKelASN1Address doc = Index(3, "20010db8000000000000000000000001");
  const struct { std::function<std::string()> call; std::string expected; int report; } rows[] = {
      {[&] { return Part(doc, 0, 16); }, kNull, kOutOfRange},  // position 0 is never text
      {[&] { return Part(doc, 1, 17); }, kNull, kOutOfRange},  // past the end
      {[&] { return Take(agent.DIPv6GetPartOfASN(nullptr, 1, 16)); }, kNull, kNullArg},
      {[&] { return Hex(agent.DIPv6GetAddrFromASN(nullptr, 1, 9)); }, kNull, kNullArg},
      {[&] { return Take(agent.DIPv6GetPfxFromIndexIp(nullptr, 64)); }, kNull, kNullArg},
      {[&] { return std::to_string(agent.DIPv6IsIpValid("::", 1)); }, "0", -220553},  // regrouped to nothing
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    KelErrorCapture errors;
    EXPECT_EQ(rows[i].call(), rows[i].expected) << "row " << i;
    EXPECT_TRUE(errors.Reports().size() == 1u && errors.Count(rows[i].report) == 1) << "row " << i;
  }
}

}  // namespace
