// Reading interface, address and prefix attributes and the anycast flag
// back out of the mediation data.
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "tests/support/FakeRequester.h"
#include "tests/support/MibFixtures.h"
#include "tests/support/TempDir.h"

namespace {

using Row = FakeRequester::Row;

// An attribute's integer, or 0 when none was found (no row here holds 0).
long long IntOr0(const CKelAtom* value) { return value != nullptr ? value->KAInt() : 0; }

class AccessorsTest : public ::testing::Test {
 protected:
  // An address table: 2001:db8::1 and fe80::1 on interface 1, fe80::1 on
  // interface 2; the second row flagged anycast.
  void StoreAddressTable() {
    StoreColumn(&med_, "ipv6AddrType",
                {FakeRequester::IntRow(AddrIndex(1, "2001:db8::1"), 1),
                 FakeRequester::IntRow(AddrIndex(1, "fe80::1"), 2),
                 FakeRequester::IntRow(AddrIndex(2, "fe80::1"), 3)});
    StoreColumn(&med_, "ipv6AddrAnycastFlag",
                {FakeRequester::IntRow(AddrIndex(1, "2001:db8::1"), 2),
                 FakeRequester::IntRow(AddrIndex(1, "fe80::1"), 1),
                 FakeRequester::IntRow(AddrIndex(2, "fe80::1"), 2)});
  }

  ScopedConfigDirs dirs_;
  MibTestAgent agent_;
  CDiscoMediationData med_;
};

TEST_F(AccessorsTest, InterfaceAttributeByIndex) {
  StoreColumnAfterUnindexedRow(
      &med_, "ipv6IfDescr", 1,
      {Row{{}, std::make_shared<const CKelAtom>("empty index")},
       FakeRequester::TextRow({1}, "eth0"), FakeRequester::TextRow({2}, "eth1"),
       FakeRequester::TextRow({2}, "eth1 again")});
  struct Case {
    int ifIndex;
    const char* expected;  // null: not found
  } cases[] = {{1, "eth0"}, {2, "eth1"}, {3, nullptr}, {0, nullptr}};
  for (const Case& c : cases) {
    KelErrorCapture errors;
    CKelAtom index(c.ifIndex);
    CKelAtom* value = agent_.DIPv6GetIfAttr(&med_, &index, "ipv6IfDescr");
    if (c.expected == nullptr) {
      EXPECT_EQ(value, nullptr) << c.ifIndex;
    } else {
      ASSERT_NE(value, nullptr) << c.ifIndex;
      EXPECT_STREQ(value->KAString(), c.expected) << c.ifIndex;
    }
    EXPECT_TRUE(errors.Reports().empty()) << c.ifIndex;
  }
}

TEST_F(AccessorsTest, MissingColumnsAndNullArguments) {
  CKelAtom index(1);
  KelErrorCapture errors;
  KelTraceCapture trace(4);
  EXPECT_EQ(agent_.DIPv6GetIfAttr(&med_, &index, "ipv6IfOperStatus"), nullptr);
  EXPECT_EQ(errors.Count(-220439, "Interface attribute in Mediation Data null so return"), 1);
  EXPECT_TRUE(trace.Contains("\nENTER : CDiscoIPv6Agent::DIPv6GetIfAttr(ipv6IfOperStatus)\n"));
  EXPECT_TRUE(trace.Contains("\nLEAVE : CDiscoIPv6Agent::DIPv6GetIfAttr()\n"));

  trace.Clear();
  EXPECT_EQ(agent_.DIPv6GetIfAttr(nullptr, &index, "ipv6IfDescr"), nullptr);
  EXPECT_EQ(agent_.DIPv6GetIfAttr(&med_, nullptr, "ipv6IfDescr"), nullptr);
  EXPECT_EQ(errors.Count(-220439, " Mediation Data or ifIndex Atom null so return"), 2);
  EXPECT_EQ(trace.Count("CDiscoIPv6Agent::DIPv6GetIfAttr() LEAVE\n"), 2);
  EXPECT_FALSE(trace.Contains("LEAVE : "));

  CKelASN1Address address(AddrIndex(1, "2001:db8::1"));
  trace.Clear();
  EXPECT_EQ(agent_.DIPv6GetAddrAttr(&med_, &address, "ipv6AddrStatus"), nullptr);
  EXPECT_EQ(errors.Count(-220439, "Address attribute in Mediation Data null so returns"), 1);
  EXPECT_TRUE(
      trace.Contains("\nENTER : CDiscoIPv6Agent::DIPv6GetAddrAttr(---ipv6AddrStatus---)\n"));
  EXPECT_TRUE(trace.Contains("LEAVE : CDiscoIPv6Agent::DIPv6GetAddrAttr(---ipv6AddrStatus---)\n"));

  trace.Clear();
  EXPECT_EQ(agent_.DIPv6GetAddrAttr(nullptr, &address, "ipv6AddrStatus"), nullptr);
  EXPECT_EQ(agent_.DIPv6GetAddrAttr(&med_, nullptr, "ipv6AddrStatus"), nullptr);
  EXPECT_EQ(errors.Count(-220439, " Mediation Data or Address ASN null so return"), 2);
  EXPECT_FALSE(trace.Contains("LEAVE"));

  std::string prefix = "20:01:0D:B8:00:01:00:00:00:00:00:00:00:00:00:00";
  trace.Clear();
  errors.Clear();  // a missing prefix column is no error

  EXPECT_EQ(agent_.DIPv6GetPfxAttr(&med_, 1, &prefix[0], 48, "ipv6AddrPrefixOnLinkFlag"), nullptr);
  EXPECT_TRUE(errors.Reports().empty());
  EXPECT_TRUE(trace.Contains("\nLEAVE : CDiscoIPv6Agent::DIPv6GetPfxAttr()\n"));

  trace.Clear();
  EXPECT_EQ(agent_.DIPv6GetPfxAttr(nullptr, 1, &prefix[0], 48, "x"), nullptr);
  EXPECT_EQ(agent_.DIPv6GetPfxAttr(&med_, 1, nullptr, 48, "x"), nullptr);
  EXPECT_EQ(errors.Count(-220439, " mediation data or prefix address ASN null so returning"), 2);
  EXPECT_TRUE(trace.Contains("\nENTER : CDiscoIPv6Agent::DIPv6GetPfxAttr()\n"));
  EXPECT_FALSE(trace.Contains("LEAVE"));
}

TEST_F(AccessorsTest, AddressAttributeAndAnycastFlagByRow) {
  StoreAddressTable();
  struct Case {
    uint32_t ifIndex;
    const char* address;
    long long type;  // 0: not found
    __boolean anycast;
  } cases[] = {{1, "2001:db8::1", 1, E_KBFalse},
               {1, "fe80::1", 2, E_KBTrue},
               {2, "fe80::1", 3, E_KBFalse},
               {3, "fe80::1", 0, E_KBFalse},
               {1, "2001:db8::2", 0, E_KBFalse},
               {9, "2001:db8::9", 0, E_KBFalse}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.ifIndex) + " " + c.address);
    KelErrorCapture errors;
    KelTraceCapture trace(4);
    CKelASN1Address index(AddrIndex(c.ifIndex, c.address));
    EXPECT_EQ(IntOr0(agent_.DIPv6GetAddrAttr(&med_, &index, "ipv6AddrType")), c.type);
    EXPECT_EQ(agent_.DIPv6IsAnycastAddress(&med_, &index), c.anycast);
    EXPECT_TRUE(errors.Reports().empty());
    EXPECT_TRUE(
        trace.Contains("-- CDiscoIPv6Agent::DIPv6IsAnycastAddress() found ---3--- entries for "
                       "ipv6AddrAnycastFlag\n"));
    EXPECT_TRUE(trace.Contains("LEAVE : CDiscoIPv6Agent::DIPv6IsAnycastAddress()\n"));
  }
}

TEST_F(AccessorsTest, PrefixAttributeMatchesByteWiseTextOnly) {
  StoreColumn(&med_, "ipv6AddrPrefixOnLinkFlag",
              {FakeRequester::IntRow(PrefixIndex(1, "2001:db8:1::", 48), 1),
               FakeRequester::IntRow(PrefixIndex(1, "2001:db8:1::", 64), 2),
               FakeRequester::IntRow(PrefixIndex(2, "2001:db8:1::", 48), 3)});
  const char* byteWise = "20:01:0D:B8:00:01:00:00:00:00:00:00:00:00:00:00";
  struct Case {
    const char* label;
    int ifIndex;
    const char* prefix;
    int length;
    long long expected;  // 0: not found
  } cases[] = {
      {"if 1 /48", 1, byteWise, 48, 1},
      {"if 1 /64", 1, byteWise, 64, 2},
      {"if 2 /48", 2, byteWise, 48, 3},
      {"if 2 /64", 2, byteWise, 64, 0},
      {"other prefix", 1, "20:01:0D:B8:00:02:00:00:00:00:00:00:00:00:00:00", 48, 0},
      {"normalised form", 1, "2001:0DB8:0001:0000:0000:0000:0000:0000", 48, 0},
      {"short form", 1, "2001:db8:1::", 48, 0},
      {"lower-case byte-wise", 1, "20:01:0d:b8:00:01:00:00:00:00:00:00:00:00:00:00", 48, 0},
  };
  for (const Case& c : cases) {
    KelErrorCapture errors;
    std::string prefix = c.prefix;
    EXPECT_EQ(IntOr0(agent_.DIPv6GetPfxAttr(&med_, c.ifIndex, &prefix[0], c.length,
                                            "ipv6AddrPrefixOnLinkFlag")),
              c.expected)
        << c.label;
    EXPECT_TRUE(errors.Reports().empty()) << c.label;
  }
}

TEST_F(AccessorsTest, PrefixAttributeSkipsRowsWhosePrefixCannotBeWritten) {
  // Rows on interface 1 with length 48: one whose index holds no prefix
  // octets, one with an octet above 255, then the good one.
  std::vector<uint32_t> wide = PrefixIndex(1, "2001:db8:1::", 48);
  wide[3] = 300;
  StoreColumn(&med_, "ipv6AddrPrefixOnLinkFlag",
              {FakeRequester::IntRow({1, 48}, 7), FakeRequester::IntRow(wide, 8),
               Row{{}, std::make_shared<const CKelAtom>(9)},
               FakeRequester::IntRow(PrefixIndex(1, "2001:db8:1::", 48), 1)});
  std::string prefix = "20:01:0D:B8:00:01:00:00:00:00:00:00:00:00:00:00";
  KelErrorCapture errors;
  EXPECT_EQ(IntOr0(agent_.DIPv6GetPfxAttr(&med_, 1, &prefix[0], 48, "ipv6AddrPrefixOnLinkFlag")), 1);
  EXPECT_EQ(errors.Count(-220439, "prefix is null"), 2);
}

TEST_F(AccessorsTest, AnycastWithoutColumnOrWithBadRows) {
  CKelASN1Address bare(AddrIndex(1, "2001:db8::1"));
  KelErrorCapture errors;
  KelTraceCapture trace(4);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(agent_.DIPv6IsAnycastAddress(&med_, &bare), E_KBFalse);
  EXPECT_EQ(errors.Count(-220439, "no anycast flag so return"), 3);
  EXPECT_EQ(trace.Count("CDiscoIPv6Agent::DIPv6IsAnycastAddress() LEAVE\n"), 3);

  EXPECT_EQ(agent_.DIPv6IsAnycastAddress(nullptr, &bare), E_KBFalse);
  EXPECT_EQ(errors.Count(-220439, "no Mediation Data so return"), 1);

  // Rows without index or value are reported and passed over; a text "1"
  // is not the TruthValue true.
  StoreColumnAfterUnindexedRow(
      &med_, "ipv6AddrAnycastFlag", 1,
      {Row{{}, std::make_shared<const CKelAtom>(1)},  // empty index: no match
       Row{AddrIndex(1, "2001:db8::1"), nullptr},
       FakeRequester::TextRow(AddrIndex(1, "2001:db8::1"), "1"),
       FakeRequester::IntRow(AddrIndex(1, "2001:db8::1"), 1)});
  errors.Clear();
  EXPECT_EQ(agent_.DIPv6IsAnycastAddress(&med_, &bare), E_KBTrue);
  EXPECT_EQ(errors.Count(-220552), 2);

  CDiscoMediationData textOnly;
  StoreColumn(&textOnly, "ipv6AddrAnycastFlag",
              {FakeRequester::TextRow(AddrIndex(1, "2001:db8::1"), "1")});
  EXPECT_EQ(agent_.DIPv6IsAnycastAddress(&textOnly, &bare), E_KBFalse);
}

}  // namespace
