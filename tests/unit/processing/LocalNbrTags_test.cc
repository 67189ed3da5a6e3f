// Local neighbour records from the address table of an NE: which
// addresses make one, and what each field holds, in order.
#include "tests/unit/processing/NbrTestUtil.h"

namespace {

using nbrtest::ScopedNames;
using nbrtest::Tables;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

const char kNoIf[] = "-220439|can not find INTERFACE attributes for local neighbour ";
const char kNoAddr[] = "-220439|can not find ADDRESS attributes for local neighbour ";

class LocalNbrTagsTest : public ::testing::Test {
 protected:
  // Runs the builder over the tables with a new agent (which reads the
  // files written so far) and gives the records; the list is deleted.
  std::vector<FieldTexts> Build() {
    tables_.Store(med_.get());
    agent_ = std::make_unique<nbrtest::ProcessAgent>();
    agent_->m_ValidAddr = &validator_;
    errors_.Clear();
    return nbrtest::TakeLocalNbrs(agent_->DIPv6GetLocalNbrTags(med_.get()));
  }
  // Empty tables and mediation data.
  void Reset() {
    tables_ = Tables();
    med_ = std::make_unique<CDiscoMediationData>();
  }
  std::vector<std::string> Reports() const { return ReportTexts(errors_.Reports()); }

  ScopedConfigDirs dirs_;
  Tables tables_;
  std::unique_ptr<CDiscoMediationData> med_ = std::make_unique<CDiscoMediationData>();
  CKelValidAddress validator_;
  std::unique_ptr<nbrtest::ProcessAgent> agent_;
  KelErrorCapture errors_;
};

// The value of field `name` in `fields`, or "<absent>".
std::string Field(const FieldTexts& fields, const std::string& name) {
  for (const std::string& f : fields) {
    if (f.compare(0, name.size() + 1, name + "=") == 0) return f.substr(name.size() + 1);
  }
  return "<absent>";
}

TEST_F(LocalNbrTagsTest, EveryFieldInOrder) {
  ScopedNames names({{"2001:db8:1::1", "r1"}});
  dirs_.WritePrefixNames("2001:db8:1::/64 Lab-One\n");
  tables_.Interface(2, "eth0", "00:00:5E:00:53:01");
  tables_.Address(2, "2001:db8:1::1", 64, 2, 3, 1);
  tables_.Prefix(2, "2001:db8:1::", 64);
  KelTraceCapture trace(3);  // level 4 off: the indexed lookups
  EXPECT_THAT(
      Build(),
      ElementsAre(ElementsAre(
          "ipv6IfIndex=2", "ipv6IfDescr=eth0", "ipv6IfLowerLayer=0.0", "ipv6IfEffectiveMtu=1500",
          "ipv6IfReasmMaxSize=65535", "ipv6IfIdentifier=02:00:5E:FF:FE:00:53:01",
          "ipv6IfIdentifierLength=64", "ipv6IfPhysicalAddress=00:00:5E:00:53:01",
          "ipv6IfAdminStatus=1", "ipv6IfOperStatus=1", "ipv6IfLastChange=7",
          "ipv6AddrAddress=2001:db8:1::1", "ipv6AddrPfxLength=64", "ipv6AddrType=3",
          "ipv6AddrAnycastFlag=2", "ipv6AddrStatus=1", "ipv6AddrScope=3", "ipv6AddrDNSName=r1.lab",
          "ipv6AddrV4Addresses=192.0.2.1",
          "ipv6AddrPrefix=2001:db8:1::", "ipv6AddrPrefixName=Lab-One", "ipv6AddrPrefixOnLinkFlag=1",
          "ipv6AddrPrefixAutonomousFlag=1", "ipv6AddrPrefixAdvPreferredLifetime=100",
          "ipv6AddrPrefixAdvValidLifetime=200")));
  EXPECT_THAT(Reports(), ElementsAre());
}

TEST_F(LocalNbrTagsTest, ScopeDecidesWhetherAndHowAnAddressCounts) {
  struct Case {
    const char* address;
    const char* scopeClass;  // null: no record
  } cases[] = {
      {"fe80::1", "1"},     {"febf::1", "1"},     {"fec0::1", "2"},
      {"2001:db8::1", "3"}, {"3fff::1", "3"},     {"4000::1", "3"},
      {"fc00::1", "3"},     {"::192.0.2.1", "0"}, {"::2", "0"},
      {"::1", nullptr},     {"::", nullptr},      {"::ffff:192.0.2.1", nullptr},
      {"ff02::1", nullptr}, {"ff0e::1", nullptr}, {"ff03::1", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    ScopedNames names({{c.address, "node"}});
    Reset();
    tables_.Interface(1, "eth0", "00:00:5E:00:53:01");
    tables_.Address(1, c.address, 64);
    KelTraceCapture trace(4);
    const std::vector<FieldTexts> records = Build();
    if (c.scopeClass == nullptr) {
      EXPECT_THAT(records, ElementsAre());
      EXPECT_EQ(
          trace.Count("-- DIPv6GetLocalNbrTags() skip loopback/unspecified/multicat address\n"), 1);
    } else {
      ASSERT_EQ(records.size(), 1u);
      EXPECT_EQ(Field(records[0], "ipv6AddrScope"), c.scopeClass);
    }
  }
}

TEST_F(LocalNbrTagsTest, NoDataNoAddressesOrOnlyLoopbackAndMulticastGiveNoListAtAll) {
  agent_ = std::make_unique<nbrtest::ProcessAgent>();
  {
    KelTraceCapture trace(4);
    EXPECT_EQ(agent_->DIPv6GetLocalNbrTags(nullptr), nullptr);
    EXPECT_EQ(agent_->DIPv6GetLocalNbrTags(med_.get()), nullptr);
    EXPECT_THAT(Reports(), ElementsAre("-220439|no Mediation Data so return",
                                       "-220439|no IPv6 addresses so return"));
    EXPECT_EQ(trace.Count("CDiscoIPv6Agent::DIPv6GetLocalNbrTags() LEAVE\n"), 2);
  }
  errors_.Clear();
  tables_.Interface(1, "lo", "");
  tables_.Address(1, "::1", 128);
  tables_.Address(1, "ff02::1:ff00:1", 128);
  KelTraceCapture trace(4);
  tables_.Store(med_.get());
  agent_ = std::make_unique<nbrtest::ProcessAgent>();
  EXPECT_EQ(agent_->DIPv6GetLocalNbrTags(med_.get()), nullptr);
  EXPECT_EQ(trace.Count("skip loopback/unspecified/multicat address"), 2);
  EXPECT_EQ(trace.Count("found ---2--- entries for ipv6AddrPfxLength"), 1);
  EXPECT_THAT(Reports(), ElementsAre());
}

TEST_F(LocalNbrTagsTest, SkipRules) {
  ScopedNames names({{"2001:db8:1::1", "a"},
                     {"2001:db8:1::2", "b"},
                     {"2001:db8:2::1", "c"},
                     {"2001:db8:3::1", "d"}});
  tables_.Interface(1, "eth0", "00:00:5E:00:53:01");
  tables_.Interface(2, "eth1", "00:00:5E:00:53:02", 2);  // administratively down
  tables_.Interface(3, "eth2", "00:00:5E:00:53:03");
  tables_.Drop("ipv6IfAdminStatus");
  tables_.Int("ipv6IfAdminStatus", {1}, 1);
  tables_.Int("ipv6IfAdminStatus", {2}, 2);   // interface 3 has none
  tables_.Address(1, "2001:db8:1::", 64, 1);  // anycast, interface up
  tables_.Address(1, "2001:db8:1::1", 64);
  tables_.Address(2, "2001:db8:2::1", 64);
  tables_.Address(3, "2001:db8:3::1", 64);
  // Rows without index or without value are reported and passed over.
  tables_.Add("ipv6AddrPfxLength", FakeRequester::Row{AddrIndex(1, "2001:db8:1::2"), nullptr});
  KelTraceCapture trace(4);
  tables_.Store(med_.get());
  CKelDoubleList* column = med_->DMDGetSnmpGetNext("ipv6AddrPfxLength");
  column->KDLAddToListEnd(RowWithoutIndex(64));
  agent_ = std::make_unique<nbrtest::ProcessAgent>();
  agent_->m_ValidAddr = &validator_;
  errors_.Clear();
  const std::vector<FieldTexts> records =
      nbrtest::TakeLocalNbrs(agent_->DIPv6GetLocalNbrTags(med_.get()));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(Field(records[0], "ipv6AddrAddress"), "2001:db8:1::1");
  EXPECT_EQ(trace.Count("-- DIPv6GetLocalNbrTags() found ---Anycast--- address\n"), 1);
  EXPECT_EQ(trace.Count("found interface[2] is administratively down. So skipped!\n"), 1);
  EXPECT_EQ(trace.Count("found interface[3] has no administrative status. So skipped!\n"), 1);
  EXPECT_THAT(Reports(), ElementsAre("-220552", "-220552"));
}

TEST_F(LocalNbrTagsTest, PhysicalAddressesThatAreNotSeventeenCharactersLong) {
  struct Case {
    const char* collected;
    const char* field;
  } cases[] = {
      {"00:00:5E:00:53:01", "00:00:5E:00:53:01"},
      {"", ""},
      {"abcd", "INVALID[61:62:63:64(hex)]"},
      {"abcdefgh", "INVALID[61:62:63:64:65:66:67:68(hex)]"},
      {"\x80\xff", "INVALID[80:FF(hex)]"},
      {"C6:33:64:0A", "INVALID[43:36:3A:33:33:3A:36:34:3A:30:41(hex)]"},
      {"00:00:5E:00:53:01:", "INVALID[30:30:3A:30:30:3A:35:45:3A:30:30:3A:35:33:3A:30:31:3A(hex)]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.collected);
    ScopedNames names({{"2001:db8:1::1", "a"}, {"fe80::1", "b"}});
    Reset();
    tables_.Interface(1, "eth0", c.collected);
    tables_.Address(1, "2001:db8:1::1", 64);
    tables_.Address(1, "fe80::1", 64);
    const std::vector<FieldTexts> records = Build();
    ASSERT_EQ(records.size(), 2u);
    for (const FieldTexts& record : records) {
      EXPECT_EQ(Field(record, "ipv6IfPhysicalAddress"), c.field);
      if (strlen(c.collected) != 0 && strlen(c.collected) != 17) {
        EXPECT_EQ(Field(record, "ipv6IfPhysicalAddress").size(), 3 * strlen(c.collected) + 13);
      }
    }
    // The mediation data keeps what was collected.
    CKelAtom index(1);
    EXPECT_STREQ(med_->DMDGetSnmpByIndex(&index, "ipv6IfPhysicalAddress")->KAString(), c.collected);
  }
}

TEST_F(LocalNbrTagsTest, MissingAttributesLeaveTheirFieldsOutOnly) {
  ScopedNames names({{"2001:db8:1::1", "a"}});
  tables_.Interface(5, nullptr, "00:00:5E:00:53:01");  // no ipv6IfDescr
  tables_.Address(5, "2001:db8:1::1", 64);
  tables_.Drop("ipv6AddrStatus");
  for (int level : {0, 4}) {  // indexed lookups, then the accessors
    SCOPED_TRACE(level);
    KelTraceCapture trace(level);
    const std::vector<FieldTexts> records = Build();
    ASSERT_EQ(records.size(), 1u);
    // Every other field stays, in order (see EveryFieldInOrder).
    EXPECT_EQ(records[0].size(), 18u);
    EXPECT_EQ(records[0][0], "ipv6IfIndex=5");
    EXPECT_EQ(records[0][1], "ipv6IfLowerLayer=0.0");
    EXPECT_EQ(records[0][14], "ipv6AddrScope=3");
    EXPECT_EQ(records[0][17], "ipv6AddrPrefix=2001:db8:1::");
    EXPECT_EQ(Field(records[0], "ipv6IfDescr"), "<absent>");
    EXPECT_EQ(Field(records[0], "ipv6AddrStatus"), "<absent>");
    EXPECT_THAT(
        Reports(),
        ElementsAre(kNoIf, "-220439|Address attribute in Mediation Data null so returns", kNoAddr));
  }
}

TEST_F(LocalNbrTagsTest, PrefixNamesOnlyWithAList) {
  ScopedNames names({{"2001:db8:1::1", "a"}, {"2001:db8:2::1", "b"}});
  tables_.Interface(1, "eth0", "00:00:5E:00:53:01");
  tables_.Address(1, "2001:db8:1::1", 64);
  tables_.Address(1, "2001:db8:2::1", 48);
  for (bool withList : {false, true}) {
    SCOPED_TRACE(withList);
    if (withList) dirs_.WritePrefixNames("2001:db8:1::/64 Lab-One\n2001:db8:2::/64 Other\n");
    KelTraceCapture trace(4);
    const std::vector<FieldTexts> records = Build();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(Field(records[0], "ipv6AddrPrefixName"), withList ? "Lab-One" : "<absent>");
    // The list is keyed by the prefix text alone: its /64 line names the
    // /48 prefix 2001:db8:2:: too.
    EXPECT_EQ(Field(records[1], "ipv6AddrPrefix"), "2001:db8:2::");
    EXPECT_EQ(Field(records[1], "ipv6AddrPrefixName"), withList ? "Other" : "<absent>");
    EXPECT_EQ(trace.Count("found prefix name in config[Lab-One]"), withList ? 1 : 0);
    EXPECT_EQ(trace.Count("prefix name in config"), withList ? 2 : 0);
  }
}

}  // namespace
