// Random input through the toolkit (fixed seed): promises that hold for any input, no read past a buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include "agent/CDiscoIPv6Agent.h"
#include "host/KelError.h"
#include "tests/support/TempDir.h"

namespace {

std::string Take(char* text) { return std::unique_ptr<char, decltype(&free)>(text, free) ? text : ""; }
std::string WithoutColons(std::string s) { return s.erase(std::remove(s.begin(), s.end(), ':'), s.end()), s; }

struct FuzzTest : ::testing::Test {
  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }
  int Length() { return Uniform(0, 4) ? Uniform(-9, 150) : Uniform(0, 1) ? INT_MIN : INT_MAX; }
  std::mt19937 rng{0x2465};
  KelErrorCapture errors;  // keeps the expected reports off standard error
  ScopedConfigDirs dirs;   // the agent finds none of its files
  CDiscoIPv6Agent agent;
};

TEST_F(FuzzTest, AddressTextOperationsKeepTheirPromises) {
  const std::string kChars = "0123456789abcdefABCDEF:::..";
  for (int i = 0; i < 4000; ++i) {  // arbitrary bytes, the characters of addresses, or a real address damaged
    const int kind = Uniform(0, 2);
    std::string text = kind == 2 ? "2001:db8::ffff:192.0.2.1" : "";
    for (int n = kind == 2 ? Uniform(1, 3) : Uniform(0, Uniform(0, 1) ? 50 : 200); n > 0; --n) {
      const char c = kind == 0 ? static_cast<char>(Uniform(1, 255)) : kChars[Uniform(0, kChars.size() - 1)];
      text.insert(text.begin() + Uniform(0, text.size()), c);
    }
    SCOPED_TRACE(text);  // format 1 keeps all but ":"; format 2, short form, validity and prefix agree
    const std::string regrouped = Take(agent.DIPv6Normalization(&text[0], 1));
    EXPECT_TRUE(regrouped.empty() || WithoutColons(regrouped) == WithoutColons(text));
    const std::string normalised = Take(agent.DIPv6Normalization(text.c_str(), 2));
    const std::string shortForm = Take(agent.DIPv6ShortFormat(text.c_str()));
    const std::string prefix = Take(agent.DIPv6GetPfxFromStdIP(text.c_str(), Length()));
    const bool valid = agent.DIPv6IsIpValid(text.c_str(), 2) == E_KBTrue;
    EXPECT_TRUE(valid ? normalised.size() == 39 && prefix.size() == 47 &&
                            Take(agent.DIPv6Normalization(shortForm.c_str(), 2)) == normalised
                      : normalised.empty() && shortForm.empty() && prefix.empty());
    EXPECT_EQ(agent.DIPv6GetAddrScope(&text[0]), valid ? agent.DIPv6GetAddrScope(normalised.c_str()) : 0);
  }
  EXPECT_EQ(errors.Count(-220553), static_cast<int>(errors.Reports().size()));  // failed copies of colons
}

TEST_F(FuzzTest, IndexOperationsNeverReachPastTheIndex) {
  for (int i = 0; i < 4000; ++i) {
    std::vector<uint32_t> ids(Uniform(0, 40));
    for (uint32_t& id : ids) id = Uniform(0, 9) ? Uniform(0, Uniform(0, 9) ? 255 : INT_MAX) : 0xFFFFFFFFu;
    CKelASN1Address index(ids);
    const int depth = index.KAADepth(), beg = Uniform(-5, 45), end = Uniform(-5, 45);
    SCOPED_TRACE(testing::Message() << "depth " << depth << " positions " << beg << " to " << end);
    const std::string part = Take(agent.DIPv6GetPartOfASN(&index, beg, end));
    EXPECT_TRUE(part.empty() || (beg >= 1 && end < depth && part.size() + 1 == 3u * (end - beg + 1)));
    std::unique_ptr<in6_addr, decltype(&free)> addr(agent.DIPv6GetAddrFromASN(&index, beg, end), free);
    EXPECT_TRUE(!addr || end < beg || (beg >= 0 && end < std::min(depth, beg + 16) &&
                                       addr->s6_addr[0] == ids[beg]));
    EXPECT_EQ(Take(agent.DIPv6GetPfxFromIndexIp(&index, Length())).size() % 47, 0u);
  }
  EXPECT_EQ(errors.Count(-220439, "out of range"), static_cast<int>(errors.Reports().size()));  // positions
}

}  // namespace
