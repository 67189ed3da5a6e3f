// Row index stretches, binary addresses from indexes and prefix cuts.
#include <climits>
#include <string>
#include <vector>

#include "host/KelError.h"
#include "host/KelTrace.h"
#include "tests/unit/ipv6/Ipv6TestUtil.h"

namespace {

using ipv6test::DocOctets;
using ipv6test::Index;
using ipv6test::kNull;
using ipv6test::Take;
using ipv6test::TakeHex;

constexpr const char* kByteWise = "20:01:0D:B8:00:00:00:00:00:00:00:00:00:00:00:01";
constexpr const char* kZero = "00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00";

class IndexConversionsTest : public ipv6test::AgentTest {};

struct PartRow {
  int beg, end;
  std::string expected;
  int outOfRange;  // "out of range" reports expected
};

TEST_F(IndexConversionsTest, PartOfAddressIndex) {
  // 3.32.1.13.184.0.0.0.0.0.0.0.0.0.0.0.1: interface 3, address 2001:db8::1.
  CKelASN1Address index = Index(3, DocOctets());
  const std::vector<PartRow> rows = {
      {1, 16, kByteWise, 0},
      {0, 16, kNull, 1},  // position 0 is never part of the text
      {1, 17, kNull, 1},
      {-4, 2, kNull, 1},
      {1, 1, "20", 0},
      {16, 16, "01", 0},
      {3, 4, "0D:B8", 0},
      {5, 3, kNull, 0},  // an empty stretch gives nothing, quietly
  };
  for (const PartRow& row : rows) {
    KelErrorCapture errors;
    EXPECT_EQ(Take(m_Agent.DIPv6GetPartOfASN(&index, row.beg, row.end)), row.expected)
        << "positions " << row.beg << " to " << row.end;
    EXPECT_EQ(errors.Count(-220439, "out of range"), row.outOfRange)
        << "positions " << row.beg << " to " << row.end;
    EXPECT_EQ(static_cast<int>(errors.Reports().size()), row.outOfRange);
  }
}

TEST_F(IndexConversionsTest, PartOfPrefixIndexWithoutItsLength) {
  // Prefix table: interface, 16 octets, prefix length.
  std::vector<uint32_t> octets = DocOctets();
  octets.push_back(64);
  CKelASN1Address index = Index(7, octets);
  EXPECT_EQ(Take(m_Agent.DIPv6GetPartOfASN(&index, 1, index.KAADepth() - 2)), kByteWise);
}

TEST_F(IndexConversionsTest, PartOfAsnRefusesWhatWouldOverrunItsBuffer) {
  // Octets above 255 are refused where they would be printed, and only there.
  std::vector<uint32_t> octets = DocOctets();
  octets[1] = 256;
  CKelASN1Address big = Index(1, octets);
  // Forty positions of 0xAB: a stretch of 26 fits, 27 do not.
  CKelASN1Address wide(std::vector<uint32_t>(40, 0xAB));
  std::string text26;
  for (int i = 0; i < 26; ++i) text26 += i ? ":AB" : "AB";

  KelErrorCapture errors;
  EXPECT_EQ(Take(m_Agent.DIPv6GetPartOfASN(&big, 1, 16)), kNull);
  EXPECT_EQ(Take(m_Agent.DIPv6GetPartOfASN(&big, 3, 16)), "0D:B8:00:00:00:00:00:00:00:00:00:00:00:01");
  EXPECT_EQ(Take(m_Agent.DIPv6GetPartOfASN(&wide, 1, 26)), text26);
  EXPECT_EQ(Take(m_Agent.DIPv6GetPartOfASN(&wide, 1, 27)), kNull);
  EXPECT_EQ(Take(m_Agent.DIPv6GetPartOfASN(&wide, 1, 39)), kNull);
  EXPECT_TRUE(errors.Reports().empty());
}

TEST_F(IndexConversionsTest, NullIndexIsReportedByEveryIndexOperation) {
  KelErrorCapture errors;
  EXPECT_EQ(Take(m_Agent.DIPv6GetPartOfASN(nullptr, 1, 16)), kNull);
  EXPECT_EQ(TakeHex(m_Agent.DIPv6GetAddrFromASN(nullptr, 1, 16)), kNull);
  EXPECT_EQ(Take(m_Agent.DIPv6GetPfxFromIndexIp(nullptr, 64)), kNull);
  EXPECT_EQ(errors.Count(-220552), 3);
  for (const KelErrorReport& report : errors.Reports()) EXPECT_FALSE(report.hasMessage);
}

struct AddrRow {
  std::vector<uint32_t> ids;
  int beg, end;
  std::string expected;  // 32 hex digits
};

TEST_F(IndexConversionsTest, AddressFromIndex) {
  const std::vector<uint32_t> doc = Index(3, DocOctets()).KAASubIds();
  std::vector<uint32_t> big = doc;
  big[9] = 0x1FF;
  std::vector<uint32_t> longer = doc;
  longer.push_back(64);
  const std::vector<AddrRow> rows = {
      {doc, 1, 16, "20010db8000000000000000000000001"},
      {doc, 0, 15, "0320010db80000000000000000000000"},  // position 0 is inside the index
      {doc, 1, 8, "20010db8000000000000000000000000"},   // unfilled bytes are zero
      {doc, 9, 8, "00000000000000000000000000000000"},   // nothing to copy
      {doc, 1, 17, kNull},    // the index ends at position 16
      {doc, 2, 17, kNull},
      {doc, -1, 14, kNull},
      {longer, 1, 17, kNull},  // 17 positions do not fit 16 bytes
      {longer, 2, 17, "010db800000000000000000000000140"},
      {big, 1, 16, kNull},     // 0x1FF is no octet
      {{}, 0, 0, kNull},
  };
  for (const AddrRow& row : rows) {
    CKelASN1Address index(row.ids);
    KelErrorCapture errors;
    EXPECT_EQ(TakeHex(m_Agent.DIPv6GetAddrFromASN(&index, row.beg, row.end)), row.expected)
        << "depth " << row.ids.size() << " positions " << row.beg << " to " << row.end;
    EXPECT_TRUE(errors.Reports().empty());
  }
}

struct IndexPrefixRow {
  std::vector<uint32_t> octets;  // after the interface index
  int length;
  std::string expected;
};

TEST_F(IndexConversionsTest, PrefixFromIndex) {
  const std::vector<uint32_t> doc = DocOctets();
  std::vector<uint32_t> big = doc;
  big[4] = 256;  // position 5
  const std::vector<IndexPrefixRow> rows = {
      {doc, 32, "20:01:0D:B8:00:00:00:00:00:00:00:00:00:00:00:00"},
      {doc, 0, kZero},
      {doc, 128, kByteWise},
      {doc, 200, kByteWise},
      {doc, -1, kZero},  // a negative length keeps nothing
      {doc, INT_MIN, kZero},
      {doc, 12, "20:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00"},
      // Only the octets the cut keeps are read.
      {{0x20, 0x01, 0x0D, 0xB8}, 32, "20:01:0D:B8:00:00:00:00:00:00:00:00:00:00:00:00"},
      {{0x20, 0x01, 0x0D, 0xB8}, 33, kNull},
      {{}, 0, kZero},
      {doc, 127, std::string(kByteWise).substr(0, 45) + "00"},
      {big, 32, "20:01:0D:B8:00:00:00:00:00:00:00:00:00:00:00:00"},
      {big, 33, kNull},
  };
  for (const IndexPrefixRow& row : rows) {
    CKelASN1Address index = Index(5, row.octets);
    KelErrorCapture errors;
    EXPECT_EQ(Take(m_Agent.DIPv6GetPfxFromIndexIp(&index, row.length)), row.expected)
        << row.octets.size() << " octets, length " << row.length;
    EXPECT_TRUE(errors.Reports().empty());
  }
}

struct StdPrefixRow {
  const char* text;
  int length;
  std::string expected;
};

TEST_F(IndexConversionsTest, PrefixFromText) {
  const std::vector<StdPrefixRow> rows = {
      {"2001:db8:1234:5678::1", 48, "20:01:0D:B8:12:34:00:00:00:00:00:00:00:00:00:00"},
      {"2001:db8:1234:5678::1", 52, "20:01:0D:B8:12:34:50:00:00:00:00:00:00:00:00:00"},
      {"2001:db8:1234:5678::1", 64, "20:01:0D:B8:12:34:56:78:00:00:00:00:00:00:00:00"},
      {"2001:db8::1", 0, kZero},
      {"2001:db8::1", 128, kByteWise},
      {"2001:db8::1", 200, kByteWise},
      {"2001:db8::1", INT_MAX, kByteWise},
      {"2001:db8::1", -1, kZero},
      {"2001:db8::1", -8, kZero},
      {"2001:db8::1", -9, kZero},
      {"2001:db8::1", INT_MIN, kZero},
      {"ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", 1, "80:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00"},
      {"ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", 127, "FF:FF:FF:FF:FF:FF:FF:FF:FF:FF:FF:FF:FF:FF:FF:FE"},
      {"::ffff:192.0.2.1", 104, "00:00:00:00:00:00:00:00:00:00:FF:FF:C0:00:00:00"},
      {"2001:db8::/32", 32, kNull},
      {"", 32, kNull},
      {nullptr, 32, kNull},
  };
  for (const StdPrefixRow& row : rows) {
    KelErrorCapture errors;
    EXPECT_EQ(Take(m_Agent.DIPv6GetPfxFromStdIP(row.text, row.length)), row.expected)
        << (row.text ? row.text : "null") << "/" << row.length;
    EXPECT_TRUE(errors.Reports().empty());
  }
}

TEST_F(IndexConversionsTest, EveryLengthKeepsExactlyThatManyBits) {
  for (int length = 0; length <= 128; ++length) {
    const std::string text =
        Take(m_Agent.DIPv6GetPfxFromStdIP("ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", length));
    ASSERT_EQ(text.size(), 47u) << length;
    int ones = 0;
    bool zeroSeen = false, contiguous = true;
    for (size_t i = 0; i < text.size(); i += 3) {
      const int octet = std::stoi(text.substr(i, 2), nullptr, 16);
      for (int bit = 7; bit >= 0; --bit) {
        if (octet & (1 << bit)) {
          ++ones;
          if (zeroSeen) contiguous = false;
        } else {
          zeroSeen = true;
        }
      }
    }
    EXPECT_EQ(ones, length);
    EXPECT_TRUE(contiguous) << length;
  }
}

TEST_F(IndexConversionsTest, EveryFormOfOneAddressAndItsIndexGiveOnePrefix) {
  CKelASN1Address index = Index(3, DocOctets());
  for (int length = 0; length <= 130; ++length) {
    const std::string fromShort = Take(m_Agent.DIPv6GetPfxFromStdIP("2001:db8::1", length));
    EXPECT_EQ(Take(m_Agent.DIPv6GetPfxFromStdIP("2001:0DB8:0000:0000:0000:0000:0000:0001", length)),
              fromShort)
        << length;
    EXPECT_EQ(Take(m_Agent.DIPv6GetPfxFromIndexIp(&index, length)), fromShort) << length;
  }
}

TEST_F(IndexConversionsTest, PrefixTextNormalisesWithFormatOne) {
  char* prefix = m_Agent.DIPv6GetPfxFromStdIP("2001:db8:1234:5678::1", 48);
  ASSERT_NE(prefix, nullptr);
  EXPECT_EQ(Take(m_Agent.DIPv6Normalization(prefix, 1)), "2001:0DB8:1234:0000:0000:0000:0000:0000");
  EXPECT_EQ(m_Agent.DIPv6IsIpValid(prefix, 1), E_KBTrue);
  free(prefix);
}

TEST_F(IndexConversionsTest, TraceLines) {
  CKelASN1Address index = Index(3, DocOctets());
  KelTraceCapture trace(4);
  free(m_Agent.DIPv6GetPartOfASN(&index, 1, 16));
  EXPECT_EQ(trace.Text(), std::string("\nENTER : CDiscoIPv6Agent::DIPv6GetPartOfASN()\n") +
                              "-- CDiscoIPv6Agent::DIPv6GetPartOfASN() returning[" + kByteWise +
                              "]\nLEAVE : CDiscoIPv6Agent::DIPv6GetPartOfASN()\n");
  trace.Clear();
  free(m_Agent.DIPv6GetAddrFromASN(&index, 1, 16));
  EXPECT_EQ(trace.Text(),
            "\nENTER : CDiscoIPv6Agent::DIPv6GetAddrFromASN()\n"
            "LEAVE : CDiscoIPv6Agent::DIPv6GetAddrFromASN()\n\n");
  trace.Clear();
  free(m_Agent.DIPv6GetPfxFromIndexIp(&index, 128));
  EXPECT_EQ(trace.Text(), std::string("\nENTER : CDiscoIPv6Agent::DIPv6GetPfxFromIndexIp()\n") +
                              "----CDiscoIPv6Agent::DIPv6GetPfxFromIndexIp() returning[" + kByteWise +
                              "]\nLEAVE : CDiscoIPv6Agent::DIPv6GetPfxFromIndexIp()\n");
  trace.Clear();
  free(m_Agent.DIPv6GetPfxFromStdIP("2001:db8::1", 128));
  EXPECT_EQ(trace.Text(), std::string("\nENTER : CDiscoIPv6Agent::DIPv6GetPfxFromStdIP(2001:db8::1/128)\n") +
                              "LEAVE : CDiscoIPv6Agent::DIPv6GetPfxFromStdIP(" + kByteWise + ")\n");
  trace.Clear();
  free(m_Agent.DIPv6GetPfxFromStdIP("2001:db8::/32", 32));
  EXPECT_EQ(trace.Text(),
            "\nENTER : CDiscoIPv6Agent::DIPv6GetPfxFromStdIP(2001:db8::/32/32)\n"
            "-- CDiscoIPv6Agent::DIPv6GetPfxFromStdIP() failed to convert ip to string\n"
            "LEAVE : CDiscoIPv6Agent::DIPv6GetPfxFromStdIP(\"NULL\")\n");
}

}  // namespace
