// The toolkit against an implementation written elsewhere: Python's
// ipaddress module. tests/tools/ipv6_vectors.py (standard library only, fixed
// seed) writes a few thousand random and boundary addresses with what
// ipaddress makes of them; every row is checked here.
//
// Documented differences, checked rather than skipped:
// - Short form of IPv4-mapped and IPv4-compatible addresses: the platform's
//   printer may write the last 32 bits as a dotted IPv4 tail (glibc does for
//   every mapped address and for a compatible one whose seventh group is not
//   zero) where ipaddress writes hex groups. Both are RFC 4291 text of the
//   same octets; such rows must give ipaddress's text or exactly "::ffff:" or
//   "::" and the dotted IPv4 text, the same for every input form, reading
//   back to the same octets.
// - Scope: the script derives the agent's scope numbers from ipaddress's
//   networks in the agent's order of tests (2000::/3 is "Global" before the
//   IPv4 tests; withdrawn site-local fec0::/10 keeps its own scope).
// - Texts with a zone ("%eth0") are accepted by ipaddress only; the script
//   writes none.
#include <arpa/inet.h>

#include <cctype>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/unit/ipv6/Ipv6TestUtil.h"

namespace {

using ipv6test::kNull;
using ipv6test::Take;

// One line of the script's output, split at its tabs (texts hold none).
using Row = std::vector<std::string>;
struct Vectors {
  std::vector<Row> addresses, prefixes, texts;  // "A", "P" and "T" lines
  std::string error;                            // why loading failed; empty when it did not
};

Vectors Generate() {
  Vectors v;
  const std::string command =
      std::string("python3 '") + TEST_SOURCE_DIR + "/tests/tools/ipv6_vectors.py' --seed 20465";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {{}, {}, {}, "cannot run " + command};
  std::string output;
  char chunk[65536];
  for (size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, n);
  if (const int status = pclose(pipe); status != 0) {
    return {{}, {}, {}, command + " failed with status " + std::to_string(status)};
  }
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    Row row;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) row.push_back(field);
    if (row[0] == "A" && row.size() == 7) v.addresses.push_back(row);
    if (row[0] == "P" && row.size() == 4) v.prefixes.push_back(row);
    if (row[0] == "T" && row.size() == 4) v.texts.push_back(row);
  }
  return v;
}

const Vectors& Loaded() {
  static const Vectors vectors = Generate();
  return vectors;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// 32 hex digits as the byte-wise text of their 16 octets, or as eight groups.
std::string ByteWise(const std::string& hex) {
  std::string s;
  for (size_t i = 0; i < 32; i += 2) s += (i ? ":" : "") + Upper(hex.substr(i, 2));
  return s;
}
std::string Grouped(const std::string& hex) {
  std::string s;
  for (size_t i = 0; i < 32; i += 4) s += (i ? ":" : "") + hex.substr(i, 4);
  return s;
}

std::vector<uint32_t> Octets(const std::string& hex) {
  std::vector<uint32_t> octets;
  for (size_t i = 0; i < 32; i += 2) octets.push_back(std::stoul(hex.substr(i, 2), nullptr, 16));
  return octets;
}

// The parsed octets of `text` as 32 hex digits, or kNull.
std::string ParsedHex(const std::string& text) {
  in6_addr addr;
  if (inet_pton(AF_INET6, text.c_str(), &addr) != 1) return kNull;
  char hex[33];
  for (int i = 0; i < 16; ++i) snprintf(hex + 2 * i, 3, "%02x", addr.s6_addr[i]);
  return hex;
}

// Counts failures and keeps the first few, so that one fault does not drown
// the output in thousands of lines.
struct Mismatches {
  int count = 0;
  std::string text;
  void Add(const std::string& what) {
    if (++count <= 10) text += what + "\n";
  }
};

class ReferenceVectorsTest : public ipv6test::AgentTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(Loaded().error, "");
    // Enough rows that a script writing nothing cannot pass.
    ASSERT_GE(Loaded().addresses.size(), 3000u);
    ASSERT_GE(Loaded().prefixes.size(), 129u * 100);
    ASSERT_GE(Loaded().texts.size(), 2000u);
  }
};

TEST_F(ReferenceVectorsTest, ShortFormIsTheCompressedText) {
  Mismatches bad;
  int dotted = 0;
  for (const Row& a : Loaded().addresses) {
    const std::string &hex = a[1], &compressed = a[2], &exploded = a[3], &kind = a[5];
    std::string alternative = compressed;  // see the documented difference above
    if (kind == "mapped") alternative = "::ffff:" + a[6];
    if (kind == "compat") alternative = "::" + a[6];
    std::string first;
    for (const std::string& input : {compressed, exploded, Upper(exploded)}) {
      const std::string got = Take(m_Agent.DIPv6ShortFormat(input.c_str()));
      if (got != compressed && got != alternative) {
        bad.Add(input + ": got " + got + ", expected " + compressed +
                (alternative != compressed ? " or " + alternative : ""));
      }
      if (ParsedHex(got) != hex) bad.Add(input + ": " + got + " does not read back as " + hex);
      if (first.empty()) first = got;
      if (got != first) bad.Add(input + ": " + got + " differs from " + first);
      if (got == alternative && got != compressed) ++dotted;
    }
  }
  EXPECT_EQ(bad.count, 0) << bad.text;
  EXPECT_GT(dotted, 100);  // the documented difference is exercised, not avoided
}

TEST_F(ReferenceVectorsTest, NormalisedFormIndexAndScopeOfEveryAddress) {
  Mismatches bad;
  std::vector<int> seen(14, 0);
  for (const Row& a : Loaded().addresses) {
    const std::string &hex = a[1], &compressed = a[2], &exploded = a[3], upper = Upper(exploded);
    const int scope = std::stoi(a[4]);
    auto check = [&](const std::string& input, int fmt, const std::string& expected) {
      const std::string got = Take(m_Agent.DIPv6Normalization(input.c_str(), fmt));
      if (got != expected) bad.Add(input + " fmt " + std::to_string(fmt) + ": got " + got + ", expected " + expected);
    };
    check(compressed, 2, upper);
    check(exploded, 2, upper);
    check(ByteWise(hex), 1, upper);
    check(hex, 1, exploded);  // a bare lower-case run keeps its case
    if (m_Agent.DIPv6IsIpValid(compressed.c_str(), 2) != E_KBTrue) bad.Add(compressed + " invalid");
    if (m_Agent.DIPv6IsIpValid(ByteWise(hex).c_str(), 1) != E_KBTrue) bad.Add(hex + " invalid fmt 1");

    CKelASN1Address index = ipv6test::Index(2, Octets(hex));
    const std::string got = ipv6test::TakeHex(m_Agent.DIPv6GetAddrFromASN(&index, 1, 16));
    if (got != hex) bad.Add(compressed + ": from index " + got);
    const std::string part = Take(m_Agent.DIPv6GetPartOfASN(&index, 1, 16));
    if (part != ByteWise(hex)) bad.Add(compressed + ": part " + part);

    const int text = m_Agent.DIPv6GetAddrScope(compressed.c_str());
    in6_addr addr;
    inet_pton(AF_INET6, compressed.c_str(), &addr);
    const int binary = m_Agent.DIPv6GetAddrScope(&addr);
    if (text != scope || binary != scope) {
      bad.Add(compressed + ": scope " + std::to_string(text) + "/" + std::to_string(binary) +
              ", expected " + a[4]);
    }
    if (scope >= 0 && scope < 14) ++seen[scope];
  }
  EXPECT_EQ(bad.count, 0) << bad.text;
  for (int scope = 0; scope < 14; ++scope) EXPECT_GT(seen[scope], 0) << "no row of scope " << scope;
}

TEST_F(ReferenceVectorsTest, PrefixCutIsTheNetworkAddressAtEveryLength) {
  Mismatches bad;
  for (const Row& p : Loaded().prefixes) {
    const std::string expected = ByteWise(p[3]);
    const int length = std::stoi(p[2]);
    const std::string fromText = Take(m_Agent.DIPv6GetPfxFromStdIP(Grouped(p[1]).c_str(), length));
    CKelASN1Address index = ipv6test::Index(9, Octets(p[1]));
    const std::string fromIndex = Take(m_Agent.DIPv6GetPfxFromIndexIp(&index, length));
    if (fromText != expected || fromIndex != expected) {
      bad.Add(Grouped(p[1]) + "/" + p[2] + ": got " + fromText + " and " + fromIndex +
              ", expected " + expected);
    }
  }
  EXPECT_EQ(bad.count, 0) << bad.text;
}

TEST_F(ReferenceVectorsTest, TextIsAnAddressExactlyWhenIpaddressSaysSo) {
  Mismatches bad;
  int valid = 0;
  for (const Row& t : Loaded().texts) {
    const std::string& exploded = t[2];
    const bool expectValid = t[1] == "1";
    const char* text = t[3].c_str();
    const bool isValid = m_Agent.DIPv6IsIpValid(text, 2) == E_KBTrue;
    const std::string normalised = Take(m_Agent.DIPv6Normalization(text, 2));
    const std::string shortForm = Take(m_Agent.DIPv6ShortFormat(text));
    const std::string prefix = Take(m_Agent.DIPv6GetPfxFromStdIP(text, 64));
    if (isValid != expectValid) bad.Add("\"" + t[3] + "\": valid " + std::to_string(isValid));
    if (expectValid) {
      ++valid;
      if (normalised != Upper(exploded)) bad.Add("\"" + t[3] + "\": normalised " + normalised);
      if (shortForm == kNull || ParsedHex(shortForm) != ParsedHex(exploded)) {
        bad.Add("\"" + t[3] + "\": short " + shortForm);
      }
      if (prefix == kNull) bad.Add("\"" + t[3] + "\": no prefix");
    } else if (normalised != kNull || shortForm != kNull || prefix != kNull) {
      bad.Add("\"" + t[3] + "\": a result for no address");
    }
  }
  EXPECT_EQ(bad.count, 0) << bad.text;
  // Both verdicts are well represented.
  EXPECT_GT(valid, 300);
  EXPECT_GT(static_cast<int>(Loaded().texts.size()) - valid, 300);
}

}  // namespace
