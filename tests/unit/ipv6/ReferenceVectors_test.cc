// The toolkit against an implementation written elsewhere: Python's
// ipaddress module. tests/tools/ipv6_vectors.py (standard library only, fixed
// seed) writes a few thousand random and boundary addresses with what
// ipaddress makes of them; every row is checked here.
//
// Documented differences, checked rather than skipped:
// - Short form of IPv4-mapped (::ffff:0:0/96) and IPv4-compatible (::/96
//   but :: and ::1) addresses: the platform's address printer may write the
//   last 32 bits as a dotted IPv4 tail where ipaddress writes hex groups
//   (glibc does so for every mapped address, ::ffff:192.0.2.1, and for a
//   compatible one whose seventh group is not zero, ::0.1.0.2, but not for
//   ::2). Both are RFC 4291 text of the same octets, which is all the agent
//   needs; those rows must give ipaddress's text or exactly "::ffff:" or
//   "::" followed by ipaddress's dotted text of the embedded IPv4 address,
//   the same text for every input form, reading back to the same octets.
// - Scope: ipaddress has no notion of the agent's scope numbers; the script
//   derives them from ipaddress's networks and predicates in the agent's own
//   order of tests (2000::/3 is "Global" before the IPv4 tests, site-local
//   fec0::/10 keeps its own scope although RFC 3879 withdrew it).
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

std::vector<std::string> SplitTabs(const std::string& line, size_t maxFields) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (fields.size() + 1 < maxFields) {
    const size_t tab = line.find('\t', start);
    if (tab == std::string::npos) break;
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

Vectors Generate() {
  Vectors v;
  const std::string command = std::string("python3 '") + TEST_SOURCE_DIR +
                              "/tests/tools/ipv6_vectors.py' --seed 20465";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    v.error = "cannot run " + command;
    return v;
  }
  std::string output;
  char chunk[65536];
  for (size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, n);
  const int status = pclose(pipe);
  if (status != 0) {
    v.error = command + " failed with status " + std::to_string(status);
    return v;
  }
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("A\t", 0) == 0) {
      const auto f = SplitTabs(line, 7);
      if (f.size() != 7) continue;
      v.addresses.push_back({f[1], f[2], f[3], f[5], f[6], std::stoi(f[4])});
    } else if (line.rfind("P\t", 0) == 0) {
      const auto f = SplitTabs(line, 4);
      if (f.size() != 4) continue;
      v.prefixes.push_back({f[1], f[3], std::stoi(f[2])});
    } else if (line.rfind("T\t", 0) == 0) {
      const auto f = SplitTabs(line, 4);
      if (f.size() != 4) continue;
      v.texts.push_back({f[1] == "1", f[2], f[3]});
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

// 32 hex digits as the byte-wise text of their 16 octets.
std::string ByteWise(const std::string& hex) {
  std::string s;
  for (size_t i = 0; i < 32; i += 2) s += (i ? ":" : "") + Upper(hex.substr(i, 2));
  return s;
}

// 32 hex digits as eight colon-separated groups (an address text).
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
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t b : addr.s6_addr) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0x0F];
  }
  return hex;
}

// Collects failures and reports the first few, so that one fault does not
// drown the output in thousands of lines.
class Mismatches {
 public:
  void Add(const std::string& what) {
    if (++m_Count <= 10) m_Text += what + "\n";
  }
  int Count() const { return m_Count; }
  const std::string& Text() const { return m_Text; }

 private:
  int m_Count = 0;
  std::string m_Text;
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
  EXPECT_EQ(bad.Count(), 0) << bad.Text();
  EXPECT_GT(dotted, 100);  // the documented difference is exercised, not avoided
}

TEST_F(ReferenceVectorsTest, NormalisedFormIsTheExplodedText) {
  Mismatches bad;
  for (const AddressVector& a : Loaded().addresses) {
    const std::string upper = Upper(a.exploded);
    auto check = [&](const std::string& input, int fmt, const std::string& expected) {
      const std::string got = Take(m_Agent.DIPv6Normalization(input.c_str(), fmt));
      if (got != expected) {
        bad.Add(input + " fmt " + std::to_string(fmt) + ": got " + got + ", expected " + expected);
      }
    };
    check(a.compressed, 2, upper);
    check(a.exploded, 2, upper);
    check(ByteWise(a.hex), 1, upper);
    check(a.hex, 1, a.exploded);  // a bare lower-case run keeps its case
    if (m_Agent.DIPv6IsIpValid(a.compressed.c_str(), 2) != E_KBTrue) bad.Add(a.compressed + " invalid");
    if (m_Agent.DIPv6IsIpValid(ByteWise(a.hex).c_str(), 1) != E_KBTrue) bad.Add(a.hex + " invalid fmt 1");
  }
  EXPECT_EQ(bad.Count(), 0) << bad.Text();
}

TEST_F(ReferenceVectorsTest, AddressFromIndexHasTheSameOctets) {
  Mismatches bad;
  for (const AddressVector& a : Loaded().addresses) {
    CKelASN1Address index = ipv6test::Index(2, Octets(a.hex));
    const std::string got = ipv6test::TakeHex(m_Agent.DIPv6GetAddrFromASN(&index, 1, 16));
    if (got != a.hex) bad.Add(a.compressed + ": got " + got);
    const std::string part = Take(m_Agent.DIPv6GetPartOfASN(&index, 1, 16));
    if (part != ByteWise(a.hex)) bad.Add(a.compressed + ": part " + part);
  }
  EXPECT_EQ(bad.Count(), 0) << bad.Text();
}

TEST_F(ReferenceVectorsTest, ScopeFollowsTheAddressRanges) {
  Mismatches bad;
  std::vector<int> seen(14, 0);
  for (const AddressVector& a : Loaded().addresses) {
    const int text = m_Agent.DIPv6GetAddrScope(a.compressed.c_str());
    in6_addr addr;
    inet_pton(AF_INET6, a.compressed.c_str(), &addr);
    const int binary = m_Agent.DIPv6GetAddrScope(&addr);
    if (text != a.scope || binary != a.scope) {
      bad.Add(a.compressed + ": got " + std::to_string(text) + "/" + std::to_string(binary) +
              ", expected " + std::to_string(a.scope));
    }
    if (a.scope >= 0 && a.scope < 14) ++seen[a.scope];
  }
  EXPECT_EQ(bad.Count(), 0) << bad.Text();
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
  EXPECT_EQ(bad.Count(), 0) << bad.Text();
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
  EXPECT_EQ(bad.Count(), 0) << bad.Text();
  // Both verdicts are well represented.
  EXPECT_GT(valid, 300);
  EXPECT_GT(static_cast<int>(Loaded().texts.size()) - valid, 300);
}

}  // namespace
