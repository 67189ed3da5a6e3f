// Row index stretches, binary addresses from indexes and prefix cuts.
#include <arpa/inet.h>

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
constexpr const char* kDb8 = "20:01:0D:B8:00:00:00:00:00:00:00:00:00:00:00:00";
constexpr const char* kZero = "00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00";

class IndexConversionsTest : public ipv6test::AgentTest {};

TEST_F(IndexConversionsTest, IndexStretchesOutsideTheIndexAreReported) {
  // 3.32.1.13.184.0.0.0.0.0.0.0.0.0.0.0.1: interface 3, address 2001:db8::1.
  CKelASN1Address doc = Index(3, DocOctets());
  std::vector<uint32_t> octets = DocOctets();
  octets.push_back(64);
  CKelASN1Address prefix = Index(7, octets);  // interface, 16 octets, prefix length
  octets = DocOctets();
  octets[1] = 256;
  CKelASN1Address big = Index(1, octets);
  CKelASN1Address wide(std::vector<uint32_t>(40, 0xAB));  // a stretch of 26 fits, 27 do not
  std::string wide26;
  for (int i = 0; i < 26; ++i) wide26 += i ? ":AB" : "AB";
  struct Row { CKelASN1Address* index; int beg, end; std::string expected; int outOfRange; };
  const Row rows[] = {
      {&doc, 1, 16, kByteWise, 0},
      {&doc, 0, 16, kNull, 1},  // position 0 is never part of the text
      {&doc, 1, 17, kNull, 1},
      {&doc, -4, 2, kNull, 1},
      {&doc, 1, 1, "20", 0},
      {&doc, 16, 16, "01", 0},
      {&doc, 3, 4, "0D:B8", 0},
      {&doc, 5, 3, kNull, 0},  // an empty stretch gives nothing, quietly
      {&prefix, 1, 16, kByteWise, 0},
      // Octets above 255 are refused where they would be printed, and only there.
      {&big, 1, 16, kNull, 0},
      {&big, 3, 16, "0D:B8:00:00:00:00:00:00:00:00:00:00:00:01", 0},
      {&wide, 1, 26, wide26, 0},
      {&wide, 1, 27, kNull, 0},
      {&wide, 1, 39, kNull, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("depth " + std::to_string(row.index->KAADepth()) + " positions " +
                 std::to_string(row.beg) + " to " + std::to_string(row.end));
    KelErrorCapture errors;
    EXPECT_EQ(Take(m_Agent.DIPv6GetPartOfASN(row.index, row.beg, row.end)), row.expected);
    EXPECT_EQ(errors.Count(-220439, "out of range"), row.outOfRange);
    EXPECT_EQ(static_cast<int>(errors.Reports().size()), row.outOfRange);
  }
}

TEST_F(IndexConversionsTest, NullIndexIsReportedByEveryIndexOperation) {
  KelErrorCapture errors;
  EXPECT_EQ(Take(m_Agent.DIPv6GetPartOfASN(nullptr, 1, 16)), kNull);
  EXPECT_EQ(TakeHex(m_Agent.DIPv6GetAddrFromASN(nullptr, 1, 16)), kNull);
  EXPECT_EQ(Take(m_Agent.DIPv6GetPfxFromIndexIp(nullptr, 64)), kNull);
  EXPECT_EQ(errors.Count(-220552), 3);
  for (const KelErrorReport& report : errors.Reports()) EXPECT_FALSE(report.hasMessage);
}

TEST_F(IndexConversionsTest, AddressFromIndexCopiesOnlyStretchesThatFit) {
  const std::vector<uint32_t> doc = Index(3, DocOctets()).KAASubIds();
  std::vector<uint32_t> big = doc;
  big[9] = 0x1FF;
  std::vector<uint32_t> longer = doc;
  longer.push_back(64);
  struct Row { std::vector<uint32_t> ids; int beg, end; std::string expected; };  // 32 hex digits
  const Row rows[] = {
      {doc, 1, 16, "20010db8000000000000000000000001"},
      {doc, 0, 15, "0320010db80000000000000000000000"},  // position 0 is inside the index
      {doc, 1, 8, "20010db8000000000000000000000000"},   // unfilled bytes are zero
      {doc, 9, 8, "00000000000000000000000000000000"},   // nothing to copy
      {doc, 1, 17, kNull},  // the index ends at position 16
      {doc, 2, 17, kNull},
      {doc, -1, 14, kNull},
      {longer, 1, 17, kNull},  // 17 positions do not fit 16 bytes
      {longer, 2, 17, "010db800000000000000000000000140"},
      {big, 1, 16, kNull},  // 0x1FF is no octet
      {{}, 0, 0, kNull},
  };
  for (const Row& row : rows) {
    CKelASN1Address index(row.ids);
    KelErrorCapture errors;
    EXPECT_EQ(TakeHex(m_Agent.DIPv6GetAddrFromASN(&index, row.beg, row.end)), row.expected)
        << "depth " << row.ids.size() << " positions " << row.beg << " to " << row.end;
    EXPECT_TRUE(errors.Reports().empty());
  }
}

// Each row is cut both from the text and from the address as a row index.
TEST_F(IndexConversionsTest, PrefixLengthsOutsideZeroTo128AreClamped) {
  struct Row { const char* text; int length; std::string expected; };
  const Row rows[] = {
      // Lengths 0 to 128 are checked against ipaddress (ReferenceVectors_test).
      {"2001:db8:1234:5678::1", 52, "20:01:0D:B8:12:34:50:00:00:00:00:00:00:00:00:00"},
      {"2001:db8::1", 129, kByteWise},
      {"2001:db8::1", 200, kByteWise},
      {"2001:db8::1", INT_MAX, kByteWise},
      // A negative length keeps nothing.
      {"2001:db8::1", -1, kZero},
      {"2001:db8::1", -9, kZero},
      {"2001:db8::1", INT_MIN, kZero},
      {"::ffff:192.0.2.1", 104, "00:00:00:00:00:00:00:00:00:00:FF:FF:C0:00:00:00"},
      {"2001:db8::/32", 32, kNull},
      {"", 32, kNull},
      {nullptr, 32, kNull},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.text ? row.text : "null") + "/" + std::to_string(row.length));
    KelErrorCapture errors;
    EXPECT_EQ(Take(m_Agent.DIPv6GetPfxFromStdIP(row.text, row.length)), row.expected);
    in6_addr addr;
    if (row.text != nullptr && inet_pton(AF_INET6, row.text, &addr) == 1) {
      CKelASN1Address index = Index(5, std::vector<uint32_t>(addr.s6_addr, addr.s6_addr + 16));
      EXPECT_EQ(Take(m_Agent.DIPv6GetPfxFromIndexIp(&index, row.length)), row.expected);
    }
    EXPECT_TRUE(errors.Reports().empty());
  }
  // The prefix text is an address in format 1.
  const std::string prefix = Take(m_Agent.DIPv6GetPfxFromStdIP("2001:db8:1234:5678::1", 48));
  EXPECT_EQ(Take(m_Agent.DIPv6Normalization(prefix.c_str(), 1)), "2001:0DB8:1234:0000:0000:0000:0000:0000");
  EXPECT_EQ(m_Agent.DIPv6IsIpValid(prefix.c_str(), 1), E_KBTrue);
}

TEST_F(IndexConversionsTest, PrefixFromIndexReadsOnlyTheOctetsItKeeps) {
  std::vector<uint32_t> big = DocOctets();
  big[4] = 256;  // position 5
  struct Row { std::vector<uint32_t> octets; int length; std::string expected; };  // after the interface
  const Row rows[] = {
      {{0x20, 0x01, 0x0D, 0xB8}, 32, kDb8},
      {{0x20, 0x01, 0x0D, 0xB8}, 33, kNull},
      {{}, 0, kZero},
      {{}, -1, kZero},
      {big, 32, kDb8},
      {big, 33, kNull},
  };
  for (const Row& row : rows) {
    CKelASN1Address index = Index(5, row.octets);
    KelErrorCapture errors;
    EXPECT_EQ(Take(m_Agent.DIPv6GetPfxFromIndexIp(&index, row.length)), row.expected)
        << row.octets.size() << " octets, length " << row.length;
    EXPECT_TRUE(errors.Reports().empty());
  }
}

// The level-4 trace of each index operation: entry, result and leave.
TEST_F(IndexConversionsTest, EachIndexOperationTracesEntryResultAndLeave) {
  CKelASN1Address index = Index(3, DocOctets());
  KelTraceCapture trace(4);
  free(m_Agent.DIPv6GetPartOfASN(&index, 1, 16));
  free(m_Agent.DIPv6GetAddrFromASN(&index, 1, 16));
  free(m_Agent.DIPv6GetPfxFromIndexIp(&index, 128));
  free(m_Agent.DIPv6GetPfxFromStdIP("2001:db8::1", 128));
  free(m_Agent.DIPv6GetPfxFromStdIP("2001:db8::/32", 32));
  EXPECT_EQ(trace.Text(),
            std::string("\nENTER : CDiscoIPv6Agent::DIPv6GetPartOfASN()\n") +
                "-- CDiscoIPv6Agent::DIPv6GetPartOfASN() returning[" + kByteWise + "]\n" +
                "LEAVE : CDiscoIPv6Agent::DIPv6GetPartOfASN()\n" +
                "\nENTER : CDiscoIPv6Agent::DIPv6GetAddrFromASN()\n" +
                "LEAVE : CDiscoIPv6Agent::DIPv6GetAddrFromASN()\n\n" +
                "\nENTER : CDiscoIPv6Agent::DIPv6GetPfxFromIndexIp()\n" +
                "----CDiscoIPv6Agent::DIPv6GetPfxFromIndexIp() returning[" + kByteWise + "]\n" +
                "LEAVE : CDiscoIPv6Agent::DIPv6GetPfxFromIndexIp()\n" +
                "\nENTER : CDiscoIPv6Agent::DIPv6GetPfxFromStdIP(2001:db8::1/128)\n" +
                "LEAVE : CDiscoIPv6Agent::DIPv6GetPfxFromStdIP(" + kByteWise + ")\n" +
                "\nENTER : CDiscoIPv6Agent::DIPv6GetPfxFromStdIP(2001:db8::/32/32)\n" +
                "-- CDiscoIPv6Agent::DIPv6GetPfxFromStdIP() failed to convert ip to string\n" +
                "LEAVE : CDiscoIPv6Agent::DIPv6GetPfxFromStdIP(\"NULL\")\n");
}

}  // namespace
