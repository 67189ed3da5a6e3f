// The local IP list and the prefix length the NE uses for an address.
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "host/CKelPointer.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "tests/support/FakeRequester.h"
#include "tests/support/MibFixtures.h"
#include "tests/support/TempDir.h"

namespace {

using Row = FakeRequester::Row;

const char kDocAddr[] = "20:01:0D:B8:00:00:00:00:00:00:00:00:00:00:00:01";
const char kLinkLocal[] = "FE:80:00:00:00:00:00:00:00:00:00:00:00:00:00:01";

class LocalIpListTest : public ::testing::Test {
 protected:
  // The keys of the parked list and, for each, the text of its atom.
  std::vector<std::string> ParkedKeys() {
    std::vector<std::string> keys;
    auto* tree = static_cast<CKelTreeList*>(med_.DMDGetDataPtr("m_IpDataList"));
    if (tree == nullptr) return keys;
    CKelDoubleList* all = tree->KTLIterator();
    for (CKelListable* e = all != nullptr ? all->KDLHead() : nullptr; e != nullptr;
         e = all->KDLGetNext(e)) {
      auto* atom = static_cast<CKelAtom*>(static_cast<CKelPointer*>(e)->KPData());
      keys.push_back(atom->KAString());
      EXPECT_EQ(tree->KTLGet(atom->KAString()), e);
    }
    return keys;
  }

  ScopedConfigDirs dirs_;
  MibTestAgent agent_;
  CDiscoMediationData med_;
};

TEST_F(LocalIpListTest, OneKeyPerAddressWhateverTheInterface) {
  StoreColumn(&med_, "ipv6AddrPfxLength",
              {FakeRequester::IntRow(AddrIndex(1, "fe80::1"), 64),
               FakeRequester::IntRow(AddrIndex(2, "fe80::1"), 64),
               FakeRequester::IntRow(AddrIndex(1, "2001:db8::1"), 64)});
  KelErrorCapture errors;
  KelTraceCapture trace(4);
  EXPECT_EQ(agent_.DIPv6BuildLocalIpList(&med_), 1);
  EXPECT_TRUE(errors.Reports().empty());
  EXPECT_EQ(ParkedKeys(), (std::vector<std::string>{kDocAddr, kLinkLocal}));
  EXPECT_EQ(trace.Count("-- CDiscoIPv6Agent::DIPv6BuildLocalIpList() adding "), 2);
  EXPECT_TRUE(trace.Contains(std::string("-- CDiscoIPv6Agent::DIPv6BuildLocalIpList() adding ") +
                             kLinkLocal + "\n"));

  EXPECT_EQ(agent_.DIPv6RemoveLocalIpList(&med_), 1);
  EXPECT_EQ(med_.DMDGetDataPtr("m_IpDataList"), nullptr);
  EXPECT_EQ(agent_.DIPv6RemoveLocalIpList(&med_), 1);  // nothing left to remove
}

TEST_F(LocalIpListTest, NoAddressColumnOnlyBadRowsOrNoDataLeaveNoList) {
  KelErrorCapture errors;
  EXPECT_EQ(agent_.DIPv6BuildLocalIpList(&med_), -220439);
  EXPECT_EQ(errors.Count(-220439, " ipv6AddrTable empty"), 1);
  EXPECT_EQ(errors.Count(-220439, "local IP list empty"), 1);
  EXPECT_EQ(errors.Reports().size(), 2u);
  EXPECT_EQ(med_.DMDGetDataPtr("m_IpDataList"), nullptr);
  EXPECT_EQ(agent_.DIPv6RemoveLocalIpList(&med_), 1);

  StoreColumn(&med_, "ipv6AddrPfxLength", {FakeRequester::IntRow({1, 2, 3}, 64)});
  errors.Clear();
  EXPECT_EQ(agent_.DIPv6BuildLocalIpList(&med_), -220439);
  EXPECT_EQ(errors.Count(-220439, "local IP list empty"), 1);
  EXPECT_EQ(med_.DMDGetDataPtr("m_IpDataList"), nullptr);

  errors.Clear();
  EXPECT_EQ(agent_.DIPv6BuildLocalIpList(nullptr), -220439);
  EXPECT_EQ(agent_.DIPv6RemoveLocalIpList(nullptr), -220439);
  EXPECT_EQ(errors.Count(-220439, " no mediation data so returning"), 2);
}

TEST_F(LocalIpListTest, BadRowsAreReportedAndPassedOver) {
  std::vector<uint32_t> wide = AddrIndex(1, "2001:db8::2");
  wide[5] = 256;
  StoreColumn(&med_, "ipv6AddrPfxLength",
              {Row{AddrIndex(1, "2001:db8::3"), nullptr},       // no value
               Row{{}, std::make_shared<const CKelAtom>(64)},   // empty index
               FakeRequester::IntRow({1, 32, 1, 13, 184}, 64),  // index too short
               FakeRequester::IntRow(wide, 64),                 // octet above 255
               FakeRequester::TextRow(AddrIndex(1, "2001:db8::1"), "sixty-four")});
  KelErrorCapture errors;
  // The good row (its value is not looked at) makes the list, so the
  // result is that of parking it.
  EXPECT_EQ(agent_.DIPv6BuildLocalIpList(&med_), 1);
  EXPECT_EQ(errors.Count(-220439, " local nbr ifIndex atom or asn1 value null"), 1);
  EXPECT_EQ(errors.Count(-220439, " local nbr ip string null"), 3);
  EXPECT_EQ(ParkedKeys(), (std::vector<std::string>{kDocAddr}));
  EXPECT_EQ(agent_.DIPv6RemoveLocalIpList(&med_), 1);
}

TEST_F(LocalIpListTest, SecondBuildWithoutRemovalKeepsTheFirstList) {
  StoreColumn(&med_, "ipv6AddrPfxLength", {FakeRequester::IntRow(AddrIndex(1, "2001:db8::1"), 64)});
  ASSERT_EQ(agent_.DIPv6BuildLocalIpList(&med_), 1);
  void* first = med_.DMDGetDataPtr("m_IpDataList");
  KelErrorCapture errors;
  EXPECT_EQ(agent_.DIPv6BuildLocalIpList(&med_), KEL_ERR_DUPLICATE);
  EXPECT_EQ(errors.Count(KEL_ERR_DUPLICATE), 1);
  EXPECT_EQ(med_.DMDGetDataPtr("m_IpDataList"), first);  // the refused list is freed
  EXPECT_EQ(agent_.DIPv6RemoveLocalIpList(&med_), 1);
}

TEST_F(LocalIpListTest, ManyAddressesBuildAndRemoveCleanly) {
  std::vector<Row> rows;
  for (int i = 1; i <= 200; ++i) {
    std::string address = "2001:db8::" + std::to_string(i);
    rows.push_back(FakeRequester::IntRow(AddrIndex(1 + i % 3, address.c_str()), 64));
    rows.push_back(FakeRequester::IntRow(AddrIndex(9, address.c_str()), 64));  // repeat
  }
  StoreColumn(&med_, "ipv6AddrPfxLength", rows);
  ASSERT_EQ(agent_.DIPv6BuildLocalIpList(&med_), 1);
  EXPECT_EQ(ParkedKeys().size(), 200u);
  EXPECT_EQ(agent_.DIPv6RemoveLocalIpList(&med_), 1);
}

struct PfxCase {
  const char* label;
  const char* address;
  int expected;
};

class PrefixLengthTest : public LocalIpListTest {
 protected:
  void Check(const std::vector<PfxCase>& cases) {
    for (const PfxCase& c : cases) {
      EXPECT_EQ(agent_.DIPv6GetPfxLengthFromLocalIpList(c.address, &med_), c.expected) << c.label;
    }
  }
};

TEST_F(PrefixLengthTest, FirstOwnAddressWhosePrefixHoldsTheAddressDecides) {
  StoreColumn(&med_, "ipv6AddrPfxLength",
              {FakeRequester::IntRow(AddrIndex(1, "2001:db8::1"), 64),
               FakeRequester::IntRow(AddrIndex(2, "2001:db8::77"), 48),
               FakeRequester::IntRow(AddrIndex(1, "fe80::1"), 10),
               FakeRequester::IntRow(AddrIndex(3, "2001:db8:5::1"), 48)});
  StoreColumn(&med_, "ipv6AddrAnycastFlag",
              {FakeRequester::IntRow(AddrIndex(1, "2001:db8::1"), 2)});
  Check({{"same /64", "2001:db8::99", 64},
         {"normalised input", "2001:0DB8:0000:0000:0000:0000:0000:0099", 64},
         {"only the /48 holds it", "2001:db8:0:1::5", 48},
         {"the later /48", "2001:db8:5:7::1", 48},
         {"link-local neighbour", "fe80::5", 10},
         {"nobody's prefix", "2001:db9::1", 128},
         {"not an address", "zzz", 128},
         {"no address", nullptr, 128}});
}

TEST_F(PrefixLengthTest, AnycastAddressesDoNotCount) {
  StoreColumn(&med_, "ipv6AddrPfxLength", {FakeRequester::IntRow(AddrIndex(1, "2001:db8::1"), 64)});
  StoreColumn(&med_, "ipv6AddrAnycastFlag",
              {FakeRequester::IntRow(AddrIndex(1, "2001:db8::1"), 1)});
  Check({{"anycast own address", "2001:db8::99", 128}});
}

TEST_F(PrefixLengthTest, WithoutAnycastColumnEveryAddressCounts) {
  StoreColumn(&med_, "ipv6AddrPfxLength",
              {FakeRequester::IntRow(AddrIndex(1, "2001:db8::1"), 64),
               FakeRequester::IntRow(AddrIndex(1, "2001:db8:1::1"), 64)});
  KelErrorCapture errors;
  KelTraceCapture trace(4);
  Check({{"second address", "2001:db8:1::9", 64}});
  EXPECT_EQ(errors.Count(-220439, "no anycast flag so return"), 2);  // one per address asked
  EXPECT_TRUE(trace.Contains(
      "\nENTER : CDiscoIPv6Agent::DIPv6GetPfxLengthFromLocalIpList(2001:db8:1::9)\n"));
  EXPECT_TRUE(trace.Contains("LEAVE : CDiscoIPv6Agent::DIPv6GetPfxLengthFromLocalIpList(64)\n"));
}

TEST_F(PrefixLengthTest, BadRowsArePassedOver) {
  std::vector<uint32_t> wide = AddrIndex(1, "2001:db8::1");
  wide[16] = 1000;
  StoreColumn(&med_, "ipv6AddrAnycastFlag", {});
  StoreColumnAfterUnindexedRow(
      &med_, "ipv6AddrPfxLength", 0,
      {Row{{}, std::make_shared<const CKelAtom>(0)},                      // empty index
       Row{AddrIndex(1, "2001:db8::1"), nullptr},                         // no value
       FakeRequester::TextRow(AddrIndex(1, "2001:db8::1"), "0"),          // a text
       FakeRequester::IntRow(AddrIndex(1, "2001:db8::1"), 4294967296LL),  // too large
       FakeRequester::IntRow(AddrIndex(1, "2001:db8::1"), -1),            // negative
       FakeRequester::IntRow({1, 32, 1}, 0),                              // too short
       FakeRequester::IntRow(wide, 0),                                    // octet > 255
       FakeRequester::IntRow(AddrIndex(1, "2001:db8::1"), 96)});
  KelErrorCapture errors;
  Check({{"only the last row is usable", "2001:db8::abcd", 96},
         {"nothing else matches", "2002::1", 128}});
  // Per call: empty, short and wide index; the unindexed row, no value,
  // a text, too large and negative.
  EXPECT_EQ(errors.Count(-220439, "can not find ip address for local nbr "), 2 * 3);
  EXPECT_EQ(errors.Count(-220552), 2 * 5);
}

TEST_F(PrefixLengthTest, MissingColumnGives128) {
  KelErrorCapture errors;
  Check({{"no address column", "2001:db8::1", 128}});
  EXPECT_EQ(errors.Count(-220439, "no IPv6 addresses so return"), 1);
  EXPECT_EQ(agent_.DIPv6GetPfxLengthFromLocalIpList("2001:db8::1", nullptr), 128);
}

}  // namespace
