// Random input through the toolkit (fixed seed, so every run is the same).
// Meant for the sanitized build, where any read or write past a buffer or
// an index fails the run; the invariants checked here hold for any input.
#include <netinet/in.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/KelError.h"
#include "tests/unit/ipv6/Ipv6TestUtil.h"

namespace {

using ipv6test::kNull;
using ipv6test::Take;

constexpr int kIterations = 4000;

class FuzzTest : public ipv6test::AgentTest {
 protected:
  std::mt19937 m_Rng{0x2465};

  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_Rng); }

  // Random text: arbitrary bytes, or characters an address is made of, or a
  // real address damaged a little; lengths up to well past the buffers.
  std::string RandomText() {
    static const std::string kChars = "0123456789abcdefABCDEF:::..";
    static const std::vector<std::string> kSeeds = {
        "2001:db8::1", "::", "::ffff:192.0.2.1", "fe80::1",
        "20:01:0D:B8:00:00:00:00:00:00:00:00:00:00:00:01",
        "2001:0DB8:0000:0000:0000:0000:0000:0001", "1:2:3:4:5:6:7:8"};
    auto anyChar = [&] { return kChars[Uniform(0, static_cast<int>(kChars.size()) - 1)]; };
    std::string text;
    const int kind = Uniform(0, 2);
    if (kind == 0) {
      for (int i = Uniform(0, 200); i > 0; --i) text += static_cast<char>(Uniform(1, 255));
    } else if (kind == 1) {
      for (int i = Uniform(0, Uniform(0, 1) ? 50 : 150); i > 0; --i) text += anyChar();
    } else {
      text = kSeeds[Uniform(0, static_cast<int>(kSeeds.size()) - 1)];
      for (int n = Uniform(0, 3); n > 0; --n) {
        const size_t at = Uniform(0, static_cast<int>(text.size()));
        if (Uniform(0, 1)) text.insert(text.begin() + at, anyChar());
        else if (at < text.size()) text.erase(at, 1);
      }
    }
    return text;
  }

  int RandomLength() {
    const int pick = Uniform(0, 9);
    return pick == 0 ? INT_MIN : pick == 1 ? INT_MAX : pick == 2 ? Uniform(-300, -1)
           : pick == 3 ? Uniform(129, 300) : Uniform(0, 128);
  }

  uint32_t RandomSubId() {
    const int pick = Uniform(0, 9);
    if (pick == 0) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(pick == 1 ? Uniform(256, INT_MAX) : Uniform(0, 255));
  }
};

std::string WithoutColons(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), ':'), s.end());
  return s;
}

TEST_F(FuzzTest, AddressTextOperationsKeepTheirPromises) {
  KelErrorCapture errors;  // keeps the expected reports off standard error
  for (int i = 0; i < kIterations; ++i) {
    const std::string text = RandomText();
    const char* in = text.c_str();
    SCOPED_TRACE("iteration " + std::to_string(i));

    // Format 1: the characters other than ":" in groups of four, at most 64.
    const std::string regrouped = Take(m_Agent.DIPv6Normalization(in, 1));
    const std::string digits = WithoutColons(text);
    if (regrouped == kNull) {
      EXPECT_TRUE(digits.empty() || digits.size() + (digits.size() - 1) / 4 >= 64) << text;
    } else {
      EXPECT_LE(regrouped.size(), 64u);
      EXPECT_EQ(WithoutColons(regrouped), digits);
    }

    // Format 2, the short form, validity and the prefix agree on what is an
    // address.
    const std::string normalised = Take(m_Agent.DIPv6Normalization(in, 2));
    const std::string shortForm = Take(m_Agent.DIPv6ShortFormat(in));
    const bool valid = m_Agent.DIPv6IsIpValid(in, 2) == E_KBTrue;
    const std::string prefix = Take(m_Agent.DIPv6GetPfxFromStdIP(in, RandomLength()));
    EXPECT_EQ(valid, normalised != kNull) << text;
    EXPECT_EQ(valid, shortForm != kNull) << text;
    EXPECT_EQ(valid, prefix != kNull) << text;
    if (valid) {
      EXPECT_EQ(normalised.size(), 39u);
      EXPECT_EQ(prefix.size(), 47u);
      EXPECT_EQ(Take(m_Agent.DIPv6Normalization(shortForm.c_str(), 2)), normalised);
      EXPECT_EQ(m_Agent.DIPv6GetAddrScope(in), m_Agent.DIPv6GetAddrScope(normalised.c_str()));
    }
    EXPECT_TRUE(m_Agent.DIPv6IsIpValid(in, 1) != E_KBTrue ||
                m_Agent.DIPv6IsIpValid(regrouped.c_str(), 2) == E_KBTrue)
        << text;
    const int scope = m_Agent.DIPv6GetAddrScope(in);
    EXPECT_TRUE(scope >= 0 && scope <= 13);
  }
  // Only failed copies (texts of nothing but colons, regrouped) are reported.
  EXPECT_EQ(errors.Count(-220553), static_cast<int>(errors.Reports().size()));
}

TEST_F(FuzzTest, IndexOperationsNeverReachPastTheIndex) {
  KelErrorCapture errors;
  for (int i = 0; i < kIterations; ++i) {
    std::vector<uint32_t> ids(Uniform(0, 40));
    for (uint32_t& id : ids) id = RandomSubId();
    CKelASN1Address index(ids);
    const int depth = index.KAADepth();
    const int beg = Uniform(-5, 45), end = Uniform(-5, 45);
    SCOPED_TRACE("depth " + std::to_string(depth) + " positions " + std::to_string(beg) + " to " +
                 std::to_string(end));

    const std::string part = Take(m_Agent.DIPv6GetPartOfASN(&index, beg, end));
    if (part != kNull) {
      ASSERT_TRUE(beg >= 1 && beg <= end && end < depth);
      EXPECT_EQ(part.size(), static_cast<size_t>(3 * (end - beg + 1) - 1));
    }

    in6_addr* addr = m_Agent.DIPv6GetAddrFromASN(&index, beg, end);
    if (addr != nullptr && beg <= end) {
      ASSERT_TRUE(beg >= 0 && end < depth && end - beg < 16);
      for (int pos = beg; pos <= end; ++pos) EXPECT_EQ(addr->s6_addr[pos - beg], ids[pos]);
    }
    free(addr);

    const std::string prefix = Take(m_Agent.DIPv6GetPfxFromIndexIp(&index, RandomLength()));
    EXPECT_TRUE(prefix == kNull || prefix.size() == 47u) << prefix;
  }
  // The only reports are positions outside the index in DIPv6GetPartOfASN.
  EXPECT_EQ(errors.Count(-220439, "out of range"), static_cast<int>(errors.Reports().size()));
}

}  // namespace
