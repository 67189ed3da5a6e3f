// Capability names on an NE record and the forwarding verdict, from live
// answers and from stored replies.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "host/KelError.h"
#include "host/KelTrace.h"
#include "tests/support/FakeRequester.h"
#include "tests/support/MibFixtures.h"
#include "tests/support/TempDir.h"

namespace {

using Names = std::vector<std::string>;

const char kNe[] = "192.0.2.7";

// How a forwarding scalar answers.
enum Answer { kNone, kNoValue, kText, kValue };
struct Scalar {
  Answer answer;
  long long value;
};
const Scalar kAbsent{kNone, 0};

struct ForwardingCase {
  const char* label;
  Scalar v6;
  Scalar v4;
  int index;
};

const std::vector<ForwardingCase> kForwardingCases = {
    {"v6 forwarding", {kValue, 1}, kAbsent, 1},
    {"v6 forwarding, v4 not", {kValue, 1}, {kValue, 2}, 1},
    {"v6 host, v4 router", {kValue, 2}, {kValue, 1}, 2},
    {"v6 other value", {kValue, 3}, {kValue, 1}, 3},
    {"v6 zero", {kValue, 0}, kAbsent, 3},
    {"v6 without value", {kNoValue, 0}, {kValue, 1}, 3},
    {"v6 text", {kText, 0}, kAbsent, 3},
    {"v6 beyond 32 bits", {kValue, 4294967297LL}, kAbsent, 3},
    {"v4 router", kAbsent, {kValue, 1}, 4},
    {"v4 host", kAbsent, {kValue, 2}, 5},
    {"v4 other", kAbsent, {kValue, 7}, 6},
    {"v4 without value", kAbsent, {kNoValue, 0}, 6},
    {"v4 text", kAbsent, {kText, 0}, 6},
    {"neither", kAbsent, kAbsent, 0},
};

class CapabilitiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    agent_.m_Requester = &fake_;
    record_.KRAddOrSetValue("m_UniqueAddress", kNe);
  }

  // Scripts `s` as a live answer (fake) or a stored reply (med).
  static void Put(FakeRequester* fake, CDiscoMediationData* med, const char* key, const Scalar& s) {
    if (fake != nullptr && s.answer == kNoValue) fake->SetGetNoValue(kNe, key);
    if (fake != nullptr && s.answer == kText) fake->SetGet(kNe, key, "1");
    if (fake != nullptr && s.answer == kValue) fake->SetGet(kNe, key, s.value);
    if (med != nullptr && s.answer == kNoValue) StoreScalarNoValue(med, key);
    if (med != nullptr && s.answer == kText) StoreScalarText(med, key, "1");
    if (med != nullptr && s.answer == kValue) StoreScalar(med, key, s.value);
  }

  ScopedConfigDirs dirs_;
  MibTestAgent agent_;
  FakeRequester fake_;
  CKelRecord record_;
};

TEST_F(CapabilitiesTest, StoredRepliesAndLiveAnswersGiveTheIndex) {
  EXPECT_EQ(Names(ipv6Capability, ipv6Capability + 7),
            (Names{"isUnknownNode", "isIPv6Router", "isIPv6Host", "isIPv6Node", "isIPv4Router",
                   "isIPv4Host", "isIPv4Node"}));
  for (const ForwardingCase& c : kForwardingCases) {
    SCOPED_TRACE(c.label);
    CDiscoMediationData med;
    Put(nullptr, &med, "ipv6Forwarding", c.v6);
    Put(nullptr, &med, "ipForwarding", c.v4);
    KelTraceCapture trace(4);
    EXPECT_EQ(agent_.DIPv6GetIpForwarding(&med, nullptr), c.index);
    EXPECT_TRUE(trace.Contains("\nENTER : CDiscoIPv6Agent::DIPv6GetIpForwarding()\n"));
    EXPECT_TRUE(trace.Contains("LEAVE : CDiscoIPv6Agent::DIPv6GetIpForwarding(" +
                               std::to_string(c.index) + ")\n"));

    CKelRecord ne;
    EXPECT_EQ(agent_.DIPv6SetOrAddCapability(&med, &ne), c.index);
    EXPECT_EQ(CapabilityNames(ne), Names{ipv6Capability[c.index]});
    EXPECT_TRUE(trace.Contains(std::string("LEAVE : CDiscoIPv6Agent::DIPv6SetOrAddCapability(") +
                               ipv6Capability[c.index] + ")\n"));

    // Live: ipForwarding is asked for only when ipv6Forwarding is silent.
    FakeRequester fake;
    Put(&fake, nullptr, "ipv6Forwarding", c.v6);
    Put(&fake, nullptr, "ipForwarding", c.v4);
    agent_.m_Requester = &fake;
    trace.Clear();
    EXPECT_EQ(agent_.DIPv6GetIpForwarding(&record_), c.index);
    std::vector<FakeRequester::Request> asked = fake.Requests();
    ASSERT_EQ(asked.size(), c.v6.answer == kNone ? 2u : 1u);
    EXPECT_EQ(asked[0].object, "ipv6Forwarding");
    if (asked.size() == 2) {
      EXPECT_EQ(asked[1].object, "ipForwarding");
    }
    for (const FakeRequester::Request& r : asked) {
      EXPECT_FALSE(r.walk);
      EXPECT_EQ(r.instance, "0");
      EXPECT_EQ(r.address, kNe);
    }
    EXPECT_TRUE(trace.Contains("\nENTER : CDiscoIPv6Agent::DIPv6IpForwarding()\n"));
    EXPECT_TRUE(trace.Contains("LEAVE : CDiscoIPv6Agent::DIPv6IpForwarding(" +
                               std::to_string(c.index) + ")\n"));

    CKelRecord live;
    live.KRAddOrSetValue("m_UniqueAddress", kNe);
    EXPECT_EQ(agent_.DIPv6SetOrAddCapability(&live), c.index);
    EXPECT_EQ(CapabilityNames(live), Names{ipv6Capability[c.index]});
    EXPECT_TRUE(trace.Contains(std::string("LEAVE : CDiscoIPv6Agent::DIPv6SetOrAddCapability(") +
                               ipv6Capability[c.index] + " )\n"));
  }
  KelErrorCapture errors;
  EXPECT_EQ(agent_.DIPv6GetIpForwarding(nullptr, nullptr), 0);
  agent_.m_Requester = nullptr;  // without requester: unknown
  EXPECT_EQ(agent_.DIPv6GetIpForwarding(&record_), 0);
  EXPECT_EQ(errors.Count(-220552), 2);
}

TEST_F(CapabilitiesTest, FirstNameCreatesTheListLaterOnesAppend) {
  KelTraceCapture trace(4);
  EXPECT_EQ(agent_.DIPv6SetOrAddCapability(&record_, 1), 1);
  EXPECT_TRUE(trace.Contains(
      "-- CDiscoIPv6Agent::DIPv6SetOrAddCapability(CKelRecord *, CKelAtom *) creating new "
      "capability list\n"));
  EXPECT_EQ(CapabilityNames(record_), Names{"isIPv6Router"});
  ASSERT_NE(record_.KRValueOf("m_Capabilities"), nullptr);
  EXPECT_EQ(record_.KRValueOf("m_Capabilities")->KAType(), E_KDTList);

  trace.Clear();
  EXPECT_EQ(agent_.DIPv6SetOrAddCapability(&record_, 1), 1);
  agent_.DIPv6SetOrAddCapability(&record_, new CKelAtom("isIPv6OnlyNode"));
  EXPECT_EQ(
      trace.Count("-- CDiscoIPv6Agent::DIPv6SetOrAddCapability(CKelRecord *, CKelAtom *) using "
                  "existing capability list\n"),
      2);
  EXPECT_EQ(CapabilityNames(record_), (Names{"isIPv6Router", "isIPv6Router", "isIPv6OnlyNode"}));
  EXPECT_TRUE(trace.Contains("LEAVE : CDiscoIPv6Agent::DIPv6SetOrAddCapability(isIPv6Router )\n"));
  EXPECT_TRUE(trace.Contains(
      "LEAVE : CDiscoIPv6Agent::DIPv6SetOrAddCapability(CKelRecord *, CKelAtom *)\n"));
}

TEST_F(CapabilitiesTest, OutOfRangeIndexOrNullRecordOrAtomChangesNothing) {
  for (int bad : {7, -1, 100}) {
    KelTraceCapture trace(4);
    EXPECT_EQ(agent_.DIPv6SetOrAddCapability(&record_, bad), bad);
    EXPECT_TRUE(
        trace.Contains("LEAVE : CDiscoIPv6Agent::DIPv6SetOrAddCapability() found invalid ipFwd[" +
                       std::to_string(bad) + "]\n"));
  }
  KelErrorCapture errors;
  CKelAtom* atom = new CKelAtom("isIPv4Node");
  agent_.DIPv6SetOrAddCapability(nullptr, atom);  // the atom stays ours
  delete atom;
  agent_.DIPv6SetOrAddCapability(&record_, static_cast<CKelAtom*>(nullptr));
  EXPECT_EQ(agent_.DIPv6SetOrAddCapability(static_cast<CKelRecord*>(nullptr), 2), 2);
  EXPECT_EQ(errors.Count(-220552, "NE or Capability null"), 3);
  EXPECT_EQ(record_.KRValuePairOf("m_Capabilities"), nullptr);
}

TEST_F(CapabilitiesTest, FieldThatIsNotAListIsLeftAlone) {
  record_.KRAddOrSetValue("m_Capabilities", "isIPv6Router");
  KelErrorCapture errors;
  agent_.DIPv6SetOrAddCapability(&record_, new CKelAtom("isIPv4Node"));  // taken and dropped
  EXPECT_EQ(agent_.DIPv6SetOrAddCapability(&record_, 4), 4);
  EXPECT_EQ(errors.Count(-220552), 2);
  EXPECT_EQ(FieldText(record_, "m_Capabilities"), "isIPv6Router");
}

TEST_F(CapabilitiesTest, FieldWithoutValueRefusesTheNewList) {
  // The record's own code is reported and the list (with the name) dropped.
  ASSERT_EQ(record_.KRAddOrSetValue("m_Capabilities", "x"), 1);
  record_.KRValuePairOf("m_Capabilities")->KVBSetValue(nullptr);
  ASSERT_EQ(record_.KRValueOf("m_Capabilities"), nullptr);
  KelErrorCapture errors;
  EXPECT_EQ(agent_.DIPv6SetOrAddCapability(&record_, 3), 3);
  EXPECT_EQ(errors.Count(KEL_ERR_DUPLICATE), 1);
  EXPECT_EQ(record_.KRValueOf("m_Capabilities"), nullptr);
}

TEST_F(CapabilitiesTest, TheSameAtomTwiceIsRefusedOnce) {
  CKelAtom* atom = new CKelAtom("isIPv6Host");
  agent_.DIPv6SetOrAddCapability(&record_, atom);
  KelErrorCapture errors;
  agent_.DIPv6SetOrAddCapability(&record_, atom);  // already the list's: kept there
  EXPECT_EQ(errors.Count(KEL_ERR_DUPLICATE), 1);
  EXPECT_EQ(CapabilityNames(record_), Names{"isIPv6Host"});
}

}  // namespace
