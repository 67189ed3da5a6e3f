// Allocation failures while loading: reported as -220553, the line is
// skipped, and loading goes on with the next line.
//
// This executable replaces the non-throwing operator new so that the
// allocation of one chosen size can be made to fail once.
#include <cstddef>
#include <new>
#include <string>

#include "agent/CDiscoIPv6Agent.h"
#include "gtest/gtest.h"
#include "host/CKelPointer.h"
#include "host/CKelTreeList.h"
#include "host/KelError.h"
#include "tests/support/TempDir.h"
#include "tests/unit/config/ConfigTestUtil.h"

namespace {

// Size of the next non-throwing allocation to refuse; 0 refuses none.
thread_local size_t g_FailSize = 0;

}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (g_FailSize != 0 && size == g_FailSize) {
    g_FailSize = 0;
    return nullptr;
  }
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}

namespace {

using configtest::CompareTree;

const char kLab2[] = "2001:0DB8:0002:0000:0000:0000:0000:0000";
const char kTwo[] = "2001:0DB8:0000:0000:0000:0000:0000:0002";

struct FailureCase {
  const char* what;
  size_t size;  // allocation to refuse
};

const FailureCase kFailures[] = {
    {"list", sizeof(CKelTreeList)},
    {"wrapper", sizeof(CKelPointer)},
};

TEST(AllocFailureTest, PrefixLineIsSkippedAndReported) {
  for (const FailureCase& c : kFailures) {
    ScopedConfigDirs dirs;
    const std::string path = dirs.WritePrefixNames("2001:db8:1::/48 Lab\n2001:db8:2::/48 Two\n");
    CDiscoIPv6Agent agent;
    ASSERT_EQ(agent.DIPv6RemovePfxNameList(), 1);
    KelErrorCapture errors;
    g_FailSize = c.size;
    EXPECT_EQ(agent.DIPv6BuildPfxNameList(path.c_str()), 1) << "case: " << c.what;
    g_FailSize = 0;
    EXPECT_EQ(CompareTree(agent.DIPv6PfxDataList(), {{kLab2, "Two"}}), "") << "case: " << c.what;
    ASSERT_EQ(errors.Reports().size(), 1u) << "case: " << c.what;
    EXPECT_EQ(errors.Reports()[0].code, -220553) << "case: " << c.what;
    EXPECT_EQ(errors.Reports()[0].source, "PrefixNameList.cc") << "case: " << c.what;
    EXPECT_FALSE(errors.Reports()[0].hasMessage) << "case: " << c.what;
  }
}

TEST(AllocFailureTest, HistoryLineIsSkippedAndReported) {
  for (const FailureCase& c : kFailures) {
    ScopedConfigDirs dirs;
    const std::string path = dirs.WriteHostHistory("2001:db8::1\n2001:db8::2\n");
    CDiscoIPv6Agent agent;
    ASSERT_EQ(agent.DIPv6RemoveHistoryIpList(), 1);
    KelErrorCapture errors;
    g_FailSize = c.size;
    EXPECT_EQ(agent.DIPv6BuildHistoryIpList(path.c_str()), 1) << "case: " << c.what;
    g_FailSize = 0;
    EXPECT_EQ(CompareTree(agent.DIPv6IpDataList(), {{kTwo, kTwo}}), "") << "case: " << c.what;
    ASSERT_EQ(errors.Reports().size(), 1u) << "case: " << c.what;
    EXPECT_EQ(errors.Reports()[0].code, -220553) << "case: " << c.what;
    EXPECT_EQ(errors.Reports()[0].source, "HostHistoryList.cc") << "case: " << c.what;
  }
}

}  // namespace
