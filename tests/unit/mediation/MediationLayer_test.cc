// The mediation layer seen from the requester and the mediation data: what
// is asked, in which order, and what is kept.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "tests/support/FakeRequester.h"
#include "tests/support/MibFixtures.h"
#include "tests/support/TempDir.h"

namespace {

const char kNe[] = "2001:db8::1";

const std::vector<std::string> kScalars = {"sysObjectID", "sysDescr", "ipForwarding",
                                           "ipv6Forwarding"};
// The 25 columns in the order they must be walked.
const std::vector<std::string> kColumns = {
    "ipv6IfDescr", "ipv6IfLowerLayer", "ipv6IfEffectiveMtu", "ipv6IfReasmMaxSize",
    "ipv6IfIdentifier", "ipv6IfIdentifierLength", "ipv6IfPhysicalAddress", "ipv6IfAdminStatus",
    "ipv6IfOperStatus", "ipv6IfLastChange", "ipv6AddrPfxLength", "ipv6AddrType",
    "ipv6AddrAnycastFlag", "ipv6AddrStatus", "ipv6AddrPrefixOnLinkFlag",
    "ipv6AddrPrefixAutonomousFlag", "ipv6AddrPrefixAdvPreferredLifetime",
    "ipv6AddrPrefixAdvValidLifetime", "ipv6NetToMediaPhysAddress", "ipv6IfNetToMediaState",
    "ipv6NetToMediaValid", "ipv6RouteIfIndex", "ipv6RouteNextHop", "ipv6RouteType",
    "ipv6RouteValid"};
const std::vector<std::string> kPrefixColumns(kColumns.begin() + 14, kColumns.begin() + 18);
// Index columns: never asked for, never stored.
const std::vector<std::string> kIndexColumns = {
    "ipv6IfIndex",   "ipv6AddrAddress",    "ipv6AddrPrefix", "ipv6AddrPrefixLength",
    "ipv6NetToMediaNetAddress", "ipv6RouteDest", "ipv6RoutePfxLength", "ipv6RouteIndex"};

class MediationLayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    agent_.m_Requester = &fake_;
    record_.KRAddOrSetValue("m_UniqueAddress", kNe);
    ASSERT_EQ(agent_.DACreateAndStoreMedData(&record_), 1);
    med_ = agent_.DAGetMediationData(&record_);
    ASSERT_NE(med_, nullptr);
  }

  // Every scalar and every column answers (two rows per column); so would
  // the index columns.
  void ScriptFullNe() {
    fake_.SetGet(kNe, "sysObjectID", "1.3.6.1.4.1.9.1.1");
    fake_.SetGet(kNe, "sysDescr", "router");
    fake_.SetGet(kNe, "ipForwarding", 1);
    fake_.SetGet(kNe, "ipv6Forwarding", 1);
    for (const std::string& column : kColumns) {
      fake_.SetColumn(kNe, column, {FakeRequester::IntRow({1}, 7), FakeRequester::IntRow({2}, 8)});
    }
    for (const std::string& c : kIndexColumns) fake_.SetColumn(kNe, c, {FakeRequester::IntRow({1}, 1)});
  }

  std::vector<std::string> Keys() const { return med_->DMDGetKeys(); }
  bool HasKey(const std::string& key) const {
    for (const std::string& k : Keys()) {
      if (k == key) return true;
    }
    return false;
  }

  ScopedConfigDirs dirs_;
  MibTestAgent agent_;
  FakeRequester fake_;
  CKelRecord record_;
  CDiscoMediationData* med_ = nullptr;
};

TEST_F(MediationLayerTest, FullyAnsweringNeCostsFourGetsAndTwentyFiveWalksInTableOrderNoIndexColumn) {
  ScriptFullNe();
  agent_.DADoMediationLayer(&record_);

  std::vector<FakeRequester::Request> requests = fake_.Requests();
  ASSERT_EQ(requests.size(), 29u);
  EXPECT_EQ(fake_.GetCount(), 4);
  EXPECT_EQ(fake_.WalkCount(), 25);
  for (size_t i = 0; i < requests.size(); ++i) {
    const bool walk = i >= kScalars.size();
    const std::string& expected = walk ? kColumns[i - kScalars.size()] : kScalars[i];
    EXPECT_EQ(requests[i].walk, walk) << "request " << i;
    EXPECT_EQ(requests[i].object, expected) << "request " << i;
    EXPECT_EQ(requests[i].address, kNe) << "request " << i;
    if (!walk) {
      EXPECT_EQ(requests[i].instance, "0") << "request " << i;
    }
  }
  for (const std::string& scalar : kScalars) {
    ASSERT_NE(med_->DMDGetSnmpGet(scalar.c_str()), nullptr) << scalar;
  }
  EXPECT_EQ(med_->DMDGetSnmpGet("sysDescr")->KSVOValue()->KAString(), std::string("router"));
  for (const std::string& column : kColumns) {
    const CKelDoubleList* rows = med_->DMDGetSnmpGetNext(column.c_str());
    ASSERT_NE(rows, nullptr) << column;
    EXPECT_EQ(rows->KDLLength(), 2) << column;
  }
  EXPECT_EQ(Keys().size(), 29u);  // so no index column either
}

TEST_F(MediationLayerTest, WithoutIpv6ForwardingNoColumnIsWalked) {
  FakeRequester silentV6;  // same device, but ipv6Forwarding never answers
  silentV6.SetGet(kNe, "sysObjectID", "1.3.6.1.4.1.9.1.1");
  silentV6.SetGet(kNe, "sysDescr", "v4 router");
  silentV6.SetGet(kNe, "ipForwarding", 1);
  for (const std::string& column : kColumns) {
    silentV6.SetColumn(kNe, column, {FakeRequester::IntRow({1}, 1)});
  }
  agent_.m_Requester = &silentV6;
  agent_.DADoMediationLayer(&record_);

  EXPECT_EQ(silentV6.GetCount(), 4);
  EXPECT_EQ(silentV6.WalkCount(), 0);
  EXPECT_EQ(Keys(), (std::vector<std::string>{"ipForwarding", "sysDescr", "sysObjectID"}));
}

TEST_F(MediationLayerTest, EmptyAndMissingColumnsAreNotStoredButTheWalkGoesOn) {
  FakeRequester partial;
  partial.SetGet(kNe, "ipv6Forwarding", 2);
  for (const std::string& column : kColumns) {
    bool prefix = false;
    for (const std::string& p : kPrefixColumns) prefix = prefix || p == column;
    if (prefix) {
      partial.SetColumn(kNe, column, {});  // an empty list
    } else if (column != "ipv6IfDescr") {  // ipv6IfDescr: no answer at all
      partial.SetColumn(kNe, column, {FakeRequester::IntRow({1}, 1)});
    }
  }
  agent_.m_Requester = &partial;
  KelTraceCapture trace(4);
  testing::internal::CaptureStdout();
  agent_.DADoMediationLayer(&record_);
  testing::internal::GetCapturedStdout();

  EXPECT_EQ(partial.WalkCount(), 25);
  for (const std::string& column : kPrefixColumns) {
    EXPECT_FALSE(HasKey(column)) << column;
    EXPECT_EQ(
        trace.Count("CDiscoIPv6Agent::DADoMediationLayer() found no ---" + column + "--- data\n"),
        1)
        << column;
  }
  EXPECT_FALSE(HasKey("ipv6IfDescr"));
  EXPECT_TRUE(
      trace.Contains("-- CDiscoIPv6Agent::DADoMediationLayer() found no ---ipv6IfDescr--- data\n"));
  // 25 columns less 5 without rows, and the one scalar that answered.
  EXPECT_EQ(Keys().size(), 21u);
  EXPECT_EQ(trace.Count("found no ---"), 5);
}

TEST_F(MediationLayerTest, NullRecordMissingStoreOrNoRequesterAsksNothing) {
  ScriptFullNe();
  CKelRecord stranger;  // has no mediation data
  stranger.KRAddOrSetValue("m_UniqueAddress", kNe);
  for (CKelRecord* ne : {static_cast<CKelRecord*>(nullptr), &stranger}) {
    KelErrorCapture errors;
    KelTraceCapture trace(4);
    agent_.DADoMediationLayer(ne);
    EXPECT_EQ(errors.Count(-220439, " null ref to mediation data so returning"), 1);
    EXPECT_EQ(errors.Reports().size(), 1u);
    EXPECT_TRUE(trace.Contains("\nENTER : CDiscoIPv6Agent::DADoMediationLayer()\n"));
    EXPECT_FALSE(trace.Contains("LEAVE : CDiscoIPv6Agent::DADoMediationLayer()"));
  }
  EXPECT_EQ(fake_.Count(), 0);

  agent_.m_Requester = nullptr;  // without requester nothing is stored
  KelErrorCapture errors;
  agent_.DADoMediationLayer(&record_);
  EXPECT_EQ(errors.Count(-220552), 1);
  EXPECT_TRUE(Keys().empty());
}

TEST_F(MediationLayerTest, TracesAndDumpsOnlyAtLevelFour) {
  ScriptFullNe();
  std::string quietOut;
  std::vector<std::string> quietKeys;
  {
    KelTraceCapture trace(3);
    testing::internal::CaptureStdout();
    agent_.DADoMediationLayer(&record_);
    quietOut = testing::internal::GetCapturedStdout();
    EXPECT_EQ(trace.Text(), "");
    quietKeys = Keys();
  }
  EXPECT_EQ(quietOut, "");

  CKelRecord loud;
  loud.KRAddOrSetValue("m_UniqueAddress", kNe);
  ASSERT_EQ(agent_.DACreateAndStoreMedData(&loud), 1);
  KelTraceCapture trace(4);
  testing::internal::CaptureStdout();
  agent_.DADoMediationLayer(&loud);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(agent_.DAGetMediationData(&loud)->DMDGetKeys(), quietKeys);
  EXPECT_NE(out.find("ipv6IfDescr.1\t= 7\nipv6IfDescr.2\t= 8\n"), std::string::npos) << out;
  EXPECT_NE(out.find("ipv6RouteValid.2\t= 8\n"), std::string::npos);
  EXPECT_TRUE(trace.Contains("-- CDiscoIPv6Agent::DADoMediationLayer() add LocalNbr info:\n"));
  EXPECT_TRUE(trace.Contains("-- CDiscoIPv6Agent::DADoMediationLayer() add RemoteNbr info:\n"));
  EXPECT_TRUE(trace.Contains("-- CDiscoIPv6Agent::DADoMediationLayer() Input:\n"));
  EXPECT_TRUE(trace.Contains("LEAVE : CDiscoIPv6Agent::DADoMediationLayer()\n"));
  EXPECT_LT(trace.Text().find("add LocalNbr"), trace.Text().find("add RemoteNbr"));
}

TEST_F(MediationLayerTest, BadValuesAreStoredAsTheyCameWithoutHarm) {
  // A text where an integer belongs, a row without value, odd indexes.
  fake_.SetGet(kNe, "ipv6Forwarding", "forwarding");
  fake_.SetColumn(kNe, "ipv6AddrPfxLength",
                  {FakeRequester::TextRow({1, 2, 3}, "sixty-four"), FakeRequester::Row{{}, nullptr},
                   FakeRequester::IntRow({1, 300, 400}, -5)});
  agent_.DADoMediationLayer(&record_);
  EXPECT_EQ(fake_.WalkCount(), 25);
  const CKelDoubleList* rows = med_->DMDGetSnmpGetNext("ipv6AddrPfxLength");
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->KDLLength(), 3);
}

struct PrintCase {
  const char* label;
  std::vector<uint32_t> index;  // empty with noIndex
  bool noIndex;
  const char* text;  // null: integer 42; "" with noValue
  bool noValue;
  const char* expected;
};

TEST(DLPrintTest, OneLinePerVarOpAndPerListElement) {
  const std::vector<PrintCase> cases = {
      {"index and integer", {1, 32, 1}, false, nullptr, false, "col.1.32.1\t= 42\n"},
      {"text value", {3}, false, "eth0", false, "col.3\t= eth0\n"},
      {"no index", {}, true, "x", false, "col.<null>\t= x\n"},
      {"no value", {5}, false, nullptr, true, "col.5\t= <null>\n"},
      {"neither", {}, true, nullptr, true, "col.<null>\t= <null>\n"},
  };
  ScopedConfigDirs dirs;
  MibTestAgent agent;
  for (const PrintCase& c : cases) {
    CKelAtom* value = c.noValue           ? nullptr
                      : c.text != nullptr ? new CKelAtom(c.text)
                                          : new CKelAtom(42);
    CKelSnmpVarOp op(c.noIndex ? nullptr : new CKelASN1Address(c.index), value);
    testing::internal::CaptureStdout();
    agent.DLPrint("col", &op);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.expected) << c.label;
  }
  CKelDoubleList* list = MakeColumn({FakeRequester::IntRow({1}, 10), FakeRequester::IntRow({2}, 20),
                                     FakeRequester::TextRow({3, 4}, "t")});
  testing::internal::CaptureStdout();
  agent.DLPrint("c", list);
  agent.DLPrint("c", static_cast<CKelDoubleList*>(nullptr));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "c.1\t= 10\nc.2\t= 20\nc.3.4\t= t\n");
  delete list;
}

}  // namespace
