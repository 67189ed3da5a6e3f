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

struct AddressVector {
  std::string hex, compressed, exploded, v4Kind, v4Dotted;
  int scope;
};
struct PrefixVector {
  std::string hex, networkHex;
  int length;
};
struct TextVector {
  bool valid;
  std::string exploded, text;
};
struct Vectors {
  std::vector<AddressVector> addresses;
  std::vector<PrefixVector> prefixes;
  std::vector<TextVector> texts;
  std::string error;  // why loading failed; empty when it did not
};

// The tab-separated fields of `line`; the last of `count` keeps any tabs.
std::vector<std::string> Fields(const std::string& line, size_t count) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t tab; fields.size() + 1 < count && (tab = line.find('\t', start)) != std::string::npos;
       start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

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
    const char kind = line.empty() ? ' ' : line[0];
    if (kind == 'A') {
      if (const auto f = Fields(line, 7); f.size() == 7) {
        v.addresses.push_back({f[1], f[2], f[3], f[5], f[6], std::stoi(f[4])});
      }
    } else if (kind == 'P') {
      if (const auto f = Fields(line, 4); f.size() == 4) v.prefixes.push_back({f[1], f[3], std::stoi(f[2])});
    } else if (kind == 'T') {
      if (const auto f = Fields(line, 4); f.size() == 4) v.texts.push_back({f[1] == "1", f[2], f[3]});
    }
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
  for (const AddressVector& a : Loaded().addresses) {
    std::string alternative = a.compressed;  // see the documented difference above
    if (a.v4Kind == "mapped") alternative = "::ffff:" + a.v4Dotted;
    if (a.v4Kind == "compat") alternative = "::" + a.v4Dotted;
    std::string first;
    for (const std::string& input : {a.compressed, a.exploded, Upper(a.exploded)}) {
      const std::string got = Take(m_Agent.DIPv6ShortFormat(input.c_str()));
      if (got != a.compressed && got != alternative) {
        bad.Add(input + ": got " + got + ", expected " + a.compressed +
                (alternative != a.compressed ? " or " + alternative : ""));
      }
      if (ParsedHex(got) != a.hex) bad.Add(input + ": " + got + " does not read back as " + a.hex);
      if (first.empty()) first = got;
      if (got != first) bad.Add(input + ": " + got + " differs from " + first);
      if (got == alternative && got != a.compressed) ++dotted;
    }
  }
  EXPECT_EQ(bad.count, 0) << bad.text;
  EXPECT_GT(dotted, 100);  // the documented difference is exercised, not avoided
}

TEST_F(ReferenceVectorsTest, NormalisedFormIndexAndScopeOfEveryAddress) {
  Mismatches bad;
  std::vector<int> seen(14, 0);
  for (const AddressVector& a : Loaded().addresses) {
    const std::string upper = Upper(a.exploded);
    auto check = [&](const std::string& input, int fmt, const std::string& expected) {
      const std::string got = Take(m_Agent.DIPv6Normalization(input.c_str(), fmt));
      if (got != expected) bad.Add(input + " fmt " + std::to_string(fmt) + ": got " + got + ", expected " + expected);
    };
    check(a.compressed, 2, upper);
    check(a.exploded, 2, upper);
    check(ByteWise(a.hex), 1, upper);
    check(a.hex, 1, a.exploded);  // a bare lower-case run keeps its case
    if (m_Agent.DIPv6IsIpValid(a.compressed.c_str(), 2) != E_KBTrue) bad.Add(a.compressed + " invalid");
    if (m_Agent.DIPv6IsIpValid(ByteWise(a.hex).c_str(), 1) != E_KBTrue) bad.Add(a.hex + " invalid fmt 1");

    CKelASN1Address index = ipv6test::Index(2, Octets(a.hex));
    const std::string got = ipv6test::TakeHex(m_Agent.DIPv6GetAddrFromASN(&index, 1, 16));
    if (got != a.hex) bad.Add(a.compressed + ": from index " + got);
    const std::string part = Take(m_Agent.DIPv6GetPartOfASN(&index, 1, 16));
    if (part != ByteWise(a.hex)) bad.Add(a.compressed + ": part " + part);

    const int text = m_Agent.DIPv6GetAddrScope(a.compressed.c_str());
    in6_addr addr;
    inet_pton(AF_INET6, a.compressed.c_str(), &addr);
    const int binary = m_Agent.DIPv6GetAddrScope(&addr);
    if (text != a.scope || binary != a.scope) {
      bad.Add(a.compressed + ": scope " + std::to_string(text) + "/" + std::to_string(binary) +
              ", expected " + std::to_string(a.scope));
    }
    if (a.scope >= 0 && a.scope < 14) ++seen[a.scope];
  }
  EXPECT_EQ(bad.count, 0) << bad.text;
  for (int scope = 0; scope < 14; ++scope) EXPECT_GT(seen[scope], 0) << "no row of scope " << scope;
}

TEST_F(ReferenceVectorsTest, PrefixCutIsTheNetworkAddressAtEveryLength) {
  Mismatches bad;
  for (const PrefixVector& p : Loaded().prefixes) {
    const std::string expected = ByteWise(p.networkHex);
    const std::string fromText = Take(m_Agent.DIPv6GetPfxFromStdIP(Grouped(p.hex).c_str(), p.length));
    CKelASN1Address index = ipv6test::Index(9, Octets(p.hex));
    const std::string fromIndex = Take(m_Agent.DIPv6GetPfxFromIndexIp(&index, p.length));
    if (fromText != expected || fromIndex != expected) {
      bad.Add(Grouped(p.hex) + "/" + std::to_string(p.length) + ": got " + fromText + " and " +
              fromIndex + ", expected " + expected);
    }
  }
  EXPECT_EQ(bad.count, 0) << bad.text;
}

TEST_F(ReferenceVectorsTest, TextIsAnAddressExactlyWhenIpaddressSaysSo) {
  Mismatches bad;
  int valid = 0;
  for (const TextVector& t : Loaded().texts) {
    const char* text = t.text.c_str();
    const bool isValid = m_Agent.DIPv6IsIpValid(text, 2) == E_KBTrue;
    const std::string normalised = Take(m_Agent.DIPv6Normalization(text, 2));
    const std::string shortForm = Take(m_Agent.DIPv6ShortFormat(text));
    const std::string prefix = Take(m_Agent.DIPv6GetPfxFromStdIP(text, 64));
    if (isValid != t.valid) bad.Add("\"" + t.text + "\": valid " + std::to_string(isValid));
    if (t.valid) {
      ++valid;
      if (normalised != Upper(t.exploded)) bad.Add("\"" + t.text + "\": normalised " + normalised);
      if (shortForm == kNull || ParsedHex(shortForm) != ParsedHex(t.exploded)) {
        bad.Add("\"" + t.text + "\": short " + shortForm);
      }
      if (prefix == kNull) bad.Add("\"" + t.text + "\": no prefix");
    } else if (normalised != kNull || shortForm != kNull || prefix != kNull) {
      bad.Add("\"" + t.text + "\": a result for no address");
    }
  }
  EXPECT_EQ(bad.count, 0) << bad.text;
  // Both verdicts are well represented.
  EXPECT_GT(valid, 300);
  EXPECT_GT(static_cast<int>(Loaded().texts.size()) - valid, 300);
}

}  // namespace
