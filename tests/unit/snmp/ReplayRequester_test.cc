// The replay requester on the recorded test devices.
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "host/KelError.h"
#include "snmp/ReplayRequester.h"
#include "snmp/RequesterErrors.h"
#include "tests/support/SnmpTestUtil.h"
#include "tests/support/TempDir.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

const std::string kDevices = std::string(TEST_SOURCE_DIR) + "/tests/fixtures/snmp/devices";
const char kRouter[] = "2001:db8:1::1";

class ReplayRequesterTest : public ::testing::Test {
 protected:
  std::string Get(const std::string& address, const char* name, const char* instance = "0") {
    return GetText(&replay_, RecordAt(address).get(), name, instance);
  }
  std::vector<std::string> Walk(const std::string& address, const char* column) {
    return WalkText(&replay_, RecordAt(address).get(), column);
  }

  KelErrorCapture errors_;
  CReplayRequester replay_{kDevices};
};

TEST_F(ReplayRequesterTest, GetsFromSnmprecAndWalkFilesTypedByTheObjectsSyntax) {
  const char* const cases[][3] = {
      {kRouter, "sysDescr", "0 = text:R1 IPv6 test router, release 15.2"},
      {kRouter, "sysObjectID", "0 = text:1.3.6.1.4.1.8072.3.2.10"},
      {kRouter, "ipv6Forwarding", "0 = int:1"},
      {"2001:db8:1::5", "sysDescr", "0 = text:H5 IPv6 test host"},  // snmpwalk output
      {"2001:db8:1::5", "ipv6Forwarding", "0 = int:2"},
      {"192.0.2.1", "ipForwarding", "0 = int:1"},
      {"192.0.2.1", "ipv6Forwarding", "<null var-op>"},
      {"198.51.100.11", "sysDescr", "<null var-op>"},  // no file: silent
      {"198.51.100.12", "sysDescr", "0 = text:M12 dual-stack test host"},
      // A device's mistakes are converted by the type sent.
      {"192.0.2.66", "sysDescr", "0 = int:42"},
      {"192.0.2.66", "sysObjectID", "0 = text:6E:6F:74:20:61:6E:20:6F:69:64"},
      {"192.0.2.66", "ipForwarding", "0 = text:31"},
  };
  for (const auto& c : cases) EXPECT_EQ(Get(c[0], c[1]), c[2]) << c[0] << " " << c[1];
  EXPECT_EQ(errors_.Reports().size(), 0u);
}

TEST_F(ReplayRequesterTest, WalksShapePrefixRowsAndStopAtTheColumnEnd) {
  EXPECT_EQ(Walk(kRouter, "ipv6AddrAnycastFlag").size(), 12u);
  // Prefix rows: the length octet is gone and short prefixes are padded.
  EXPECT_THAT(
      Walk(kRouter, "ipv6AddrPrefixAdvValidLifetime"),
      ElementsAre("2.32.1.13.184.0.1.0.0.0.0.0.0.0.0.0.0.64 = int:2592000",
                  "3.32.1.13.184.0.2.0.0.0.0.0.0.0.0.0.0.64 = int:2592000",
                  "3.254.192.0.0.0.0.0.1.0.0.0.0.0.0.0.0.64 = int:2592000",
                  "4.32.1.13.184.0.3.0.0.0.0.0.0.0.0.0.0.64 = int:2592000",
                  "5.32.1.13.184.0.4.0.0.0.0.0.0.0.0.0.0.64 = int:4294967295"));
  EXPECT_THAT(Walk("2001:db8:1::5", "ipv6IfPhysicalAddress"),
              ElementsAre("1 = text:", "2 = text:00:00:5E:00:53:05"));
  EXPECT_THAT(Walk("2001:db8:1::5", "ipv6AddrPrefixOnLinkFlag"), ElementsAre());
  EXPECT_THAT(Walk("192.0.2.1", "ipv6IfDescr"), ElementsAre());  // answers, but no rows
  EXPECT_THAT(Walk("198.51.100.11", "ipv6IfDescr"), ElementsAre("<null list>"));
  // Index columns cannot be read: their walk ends at once.
  for (const char* index : {"ipv6IfIndex", "ipv6AddrAddress", "ipv6AddrPrefix", "ipv6RouteDest",
                            "ipv6RouteIndex", "ipv6NetToMediaNetAddress"}) {
    EXPECT_THAT(Walk(kRouter, index), ElementsAre()) << index;
  }
  // A device's odd rows: wrong types, malformed and non-conforming indexes.
  const std::string odd = "192.0.2.66";
  EXPECT_THAT(Walk(odd, "ipv6IfDescr"), ElementsAre("1 = int:7", "2 = text:eth\xe9"));
  EXPECT_THAT(Walk(odd, "ipv6IfAdminStatus"), ElementsAre("1 = int:-2147483648", "2 = null"));
  EXPECT_THAT(Walk(odd, "ipv6AddrPfxLength"),
              ElementsAre("1.32.1.13.184 = int:64",
                          "1.300.1.13.184.0.102.0.0.0.0.0.0.0.0.0.1 = int:64",
                          "2.32.1.13.184.0.102.0.0.0.0.0.0.0.0.0.2.9 = int:64"));
  EXPECT_THAT(Walk(odd, "ipv6AddrPrefixOnLinkFlag"),
              ElementsAre("1.16.32.1.13.184.64 = int:1",
                          "1.20.32.1.13.184.0.102.0.0.0.0.0.0.0.0.0.0.0.0.0.0.64 = int:1",
                          "2.32.1.13.184.0.0.0.0.0.0.0.0.0.0.0.0.32 = int:1", "3 = int:1"));
  for (const char* empty : {"ipv6NetToMediaPhysAddress", "ipv6RouteValid"}) {
    EXPECT_THAT(Walk(odd, empty), ElementsAre()) << empty;
  }
  EXPECT_EQ(errors_.Reports().size(), 0u);
}

TEST_F(ReplayRequesterTest, TargetFieldsAndAddressForms) {
  auto record = RecordAt("2001:db8:1::1");
  record->KRAddOrSetValue("m_SnmpAccessIP", "198.51.100.12");  // preferred
  EXPECT_EQ(GetText(&replay_, record.get(), "sysDescr"), "0 = text:M12 dual-stack test host");
  auto byIp = RecordAt("192.0.2.1", "m_IpAddress");
  EXPECT_EQ(GetText(&replay_, byIp.get(), "sysDescr"), "0 = text:V4R IPv4-only test router");
  // The normalised form of the agent finds the file named in short form.
  EXPECT_EQ(Get("2001:0DB8:0001:0000:0000:0000:0000:0001", "sysDescr"),
            "0 = text:R1 IPv6 test router, release 15.2");
  EXPECT_EQ(replay_.DSRFileFor("2001:DB8:1::1"), kDevices + "/2001:db8:1::1.snmprec");
  // Nothing outside the folder is ever read.
  EXPECT_EQ(replay_.DSRFileFor("../devices/2001:db8:1::1"), "");
  EXPECT_EQ(Get("../devices/2001:db8:1::1", "sysDescr"), "<null var-op>");
  // No address at all: nothing is asked.
  CKelRecord empty;
  const snmp::RequestCounts before = replay_.DSRCounts();
  EXPECT_EQ(GetText(&replay_, &empty, "sysDescr"), "<null var-op>");
  EXPECT_EQ(replay_.DSRCounts().gets, before.gets);
  EXPECT_EQ(replay_.DSRSnmpGetNext(nullptr, "ipv6IfDescr", nullptr, nullptr), nullptr);
}

TEST_F(ReplayRequesterTest, UnknownObjectsAndBadInstancesAreReported) {
  EXPECT_EQ(Get(kRouter, "ifDescr"), "<null var-op>");
  EXPECT_THAT(Walk(kRouter, "ipv6IfDescription"), ElementsAre("<null list>"));
  EXPECT_EQ(Get(kRouter, "sysDescr", "zero"), "<null var-op>");
  EXPECT_EQ(Get(kRouter, "sysDescr", ""), "<null var-op>");
  EXPECT_EQ(GetText(&replay_, RecordAt(kRouter).get(), nullptr), "<null var-op>");
  EXPECT_EQ(errors_.Count(snmp::kErrUnknownObject), 3);
  EXPECT_EQ(errors_.Count(snmp::kErrBadInstance), 2);
  EXPECT_EQ(errors_.Count(snmp::kErrUnknownObject, "unknown SNMP object \"ifDescr\""), 1);
  // A null instance is the scalar instance; other instances address rows.
  EXPECT_EQ(Get(kRouter, "sysDescr", nullptr), "0 = text:R1 IPv6 test router, release 15.2");
  EXPECT_EQ(Get(kRouter, "ipv6IfDescr", "3"), "3 = text:eth1");
  EXPECT_EQ(Get(kRouter, "ipv6IfDescr", "5"), "<null var-op>");
  EXPECT_EQ(Get(kRouter, "ipv6AddrPrefixOnLinkFlag", "3.8.32.1.13.184.0.2.0.0.64"),
            "3.32.1.13.184.0.2.0.0.0.0.0.0.0.0.0.0.64 = int:1");
}

TEST(ReplayFileTest, MalformedFileIsReportedOnceAndServesWhatItCould) {
  TempDir dir;
  dir.WriteFile("192.0.2.7.snmprec",
                "1.3.6.1.2.1.1.1.0|4|partly broken\n"
                "1.3.6.1.2.1.4.1.0|2|forwarding\n"
                "1.3.6.1.2.1.55.1.1.0|2|1\n"
                "1.3.6.1.2.1.55.1.1.0|2|2\n"
                "1.3.6.1.2.1.55.1.5.1.2.1|4\n");
  dir.WriteFile("192.0.2.8.walk", ".1.3.6.1.2.1.1.1.0 = STRING: \"w\"\nrubbish\n");
  dir.WriteFile("192.0.2.9.walk/placeholder", "");  // a folder where a file should be
  dir.WriteFile("192.0.2.10.snmprec", "");
  KelErrorCapture errors;
  CReplayRequester replay(dir.Path());
  auto broken = RecordAt("192.0.2.7");
  EXPECT_EQ(GetText(&replay, broken.get(), "sysDescr"), "0 = text:partly broken");
  EXPECT_EQ(GetText(&replay, broken.get(), "ipForwarding"), "<null var-op>");
  EXPECT_EQ(GetText(&replay, broken.get(), "ipv6Forwarding"), "0 = int:1");  // first kept
  EXPECT_THAT(WalkText(&replay, broken.get(), "ipv6IfDescr"), ElementsAre());
  ASSERT_EQ(errors.Count(snmp::kErrReplayFile), 1);
  const std::string message = errors.Reports()[0].message;
  EXPECT_THAT(message, testing::HasSubstr("192.0.2.7.snmprec: 3 problems"));
  EXPECT_THAT(message, testing::HasSubstr("line 2: bad value for tag 2"));
  EXPECT_THAT(message, testing::HasSubstr("repeated OID 1.3.6.1.2.1.55.1.1.0"));

  auto walk = RecordAt("192.0.2.8");
  // "rubbish" continues the string before it, as snmpwalk wraps long texts.
  EXPECT_EQ(GetText(&replay, walk.get(), "sysDescr"), "0 = text:\"w\"\nrubbish");
  EXPECT_EQ(GetText(&replay, RecordAt("192.0.2.9").get(), "sysDescr"), "<null var-op>");
  EXPECT_THAT(WalkText(&replay, RecordAt("192.0.2.10").get(), "ipv6IfDescr"), ElementsAre());
  EXPECT_EQ(errors.Count(snmp::kErrReplayFile), 1);
}

TEST(ReplayCountsTest, FullRouterReadCostsTheExpectedRequests) {
  CReplayRequester replay(kDevices);
  auto router = RecordAt(kRouter);
  std::vector<std::string> dump = FullDump(&replay, router.get());
  EXPECT_EQ(dump.size(), 4u + 5 * 9 + 4 + 12 * 4 + 5 * 4 + 6 * 3 + 9 * 4);
  snmp::RequestCounts counts = replay.DSRCounts();
  EXPECT_EQ(counts.gets, 4);
  EXPECT_EQ(counts.walks, 25);
  EXPECT_EQ(counts.pdus, 29);  // every column fits one GETBULK of 20
  EXPECT_EQ(counts.noAnswer, 0);
  replay.DSRResetCounts();
  FullDump(&replay, RecordAt("198.51.100.11").get());
  counts = replay.DSRCounts();
  EXPECT_EQ(counts.noAnswer, 29);
}

TEST(ReplayThreadsTest, ManyThreadsReadTheSameDevicesAtOnce) {
  CReplayRequester replay(kDevices);
  const std::vector<std::string> expected = FullDump(&replay, RecordAt(kRouter).get());
  CReplayRequester fresh(kDevices);  // files loaded by the racing threads
  std::vector<std::vector<std::string>> results(8);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < results.size(); ++i) {
    threads.emplace_back([&, i] {
      results[i] = FullDump(&fresh, RecordAt(i % 2 == 0 ? kRouter : "2001:0db8:1::1").get());
    });
  }
  for (std::thread& t : threads) t.join();
  for (const auto& result : results) EXPECT_THAT(result, ElementsAreArray(expected));
}

}  // namespace
