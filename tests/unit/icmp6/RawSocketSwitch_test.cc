// The agent's raw socket when the runner forbids raw sockets (replay): the
// agent says so in its trace, exactly as for a process without the right
// to open them, and the ping gives up at once.
#include <gtest/gtest.h>

#include "agent/CDiscoIPv6Agent.h"
#include "host/KelTrace.h"
#include "host/ZWPlatform.h"
#include "tests/support/TempDir.h"

namespace {

class RawSocketSwitchTest : public ::testing::Test {
 protected:
  RawSocketSwitchTest() { ZWSetRawSocketsAllowed(false); }
  ~RawSocketSwitchTest() override { ZWSetRawSocketsAllowed(true); }
  ScopedConfigDirs dirs_;
  CDiscoIPv6Agent agent_;
};

TEST_F(RawSocketSwitchTest, SocketIsRefusedWithTheSuperuserTrace) {
  KelTraceCapture trace(2);
  EXPECT_EQ(agent_.DIPv6GetICMPv6Socket(), -1);
  EXPECT_EQ(trace.Count("-- DIPv6GetICMPv6Socket() : Require superuser permission to create "
                        "socket!\n"),
            1)
      << trace.Text();
}

TEST_F(RawSocketSwitchTest, PingGivesUpWithoutSending) {
  KelTraceCapture trace(4);
  EXPECT_NE(agent_.DIPv6PingAddress("2001:0DB8:0000:0000:0000:0000:0000:0001", E_KBFalse, 1, 0),
            1);
  EXPECT_TRUE(trace.Contains("Require superuser permission to create socket!")) << trace.Text();
  EXPECT_TRUE(trace.Contains("-- DIPv6PingAddress() : Unable to get socket id!")) << trace.Text();
  EXPECT_FALSE(trace.Contains("DIPv6SendPing")) << trace.Text();
}

}  // namespace
