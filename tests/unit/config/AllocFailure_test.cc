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

TEST(AllocFailureTest, LineIsSkippedAndReportedAndLoadingGoesOn) {
  for (size_t size : {sizeof(CKelTreeList), sizeof(CKelPointer)}) {
    for (bool prefixes : {true, false}) {
      SCOPED_TRACE(std::string(prefixes ? "prefixes" : "history") + ", size " + std::to_string(size));
      ScopedConfigDirs dirs;
      const std::string path =
          prefixes ? dirs.WritePrefixNames("2001:db8:1::/48 Lab\n2001:db8:2::/48 Two\n")
                   : dirs.WriteHostHistory("2001:db8::1\n2001:db8::2\n");
      CDiscoIPv6Agent agent;
      ASSERT_EQ(prefixes ? agent.DIPv6RemovePfxNameList() : agent.DIPv6RemoveHistoryIpList(), 1);
      KelErrorCapture errors;
      g_FailSize = size;
      EXPECT_EQ(prefixes ? agent.DIPv6BuildPfxNameList(path.c_str())
                         : agent.DIPv6BuildHistoryIpList(path.c_str()),
                1);
      g_FailSize = 0;
      EXPECT_EQ(prefixes ? CompareTree(agent.DIPv6PfxDataList(), {{kLab2, "Two"}})
                         : CompareTree(agent.DIPv6IpDataList(), {{kTwo, kTwo}}),
                "");
      ASSERT_EQ(errors.Reports().size(), 1u);
      EXPECT_EQ(errors.Reports()[0].code, -220553);
      EXPECT_EQ(errors.Reports()[0].source, prefixes ? "PrefixNameList.cc" : "HostHistoryList.cc");
      EXPECT_FALSE(errors.Reports()[0].hasMessage);
    }
  }
}

}  // namespace
