// Building the local neighbours of router R1 probes the remembered hosts that share a local address's
// prefix and have a registered name: the requests are seen on the wire.
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "agent/CDiscoIPv6Agent.h"
#include "engine/CDiscoEngine.h"
#include "gtest/gtest.h"
#include "snmp/ReplayRequester.h"
#include "tests/integration/EchoSniffer.h"
#include "tests/support/SnmpSim.h"
#include "tests/support/TempDir.h"

namespace {

TEST(NbrProbesTest, HistoryHostsOnLocalPrefixesAreProbedOnce) {
  ScopedConfigDirs dirs;  // 1::5 and 4::7 are named and on R1's prefixes; 2::5 has no name; 9::9 is on none
  dirs.WriteHostHistory("2001:db8:1::5\n2001:db8:2::5\n2001:db8:4::7\n2001:db8:9::9\n");
  dirs.WriteConfig("AutoDiscovery 0\n");
  icmp6test::EchoSniffer sniffer;
  ASSERT_TRUE(sniffer.Ok()) << "no raw ICMPv6 socket in the sandbox";
  CDiscoIPv6Agent agent;
  CReplayRequester replay(SnmpSim::FixtureFolder());
  std::unique_ptr<CKelRecord> definition = CDiscoEngine::DEMakeAgentDefinition("IPv6");
  CDiscoEngineOptions options;
  options.agentDefinition = definition.get();
  CDiscoEngine engine(&agent, &replay, options);
  auto* r1 = new CKelRecord();
  r1->KRAddOrSetValue("m_IpAddress", "198.51.100.10");
  engine.DESubmit(r1);
  engine.DEStartUp();
  ASSERT_TRUE(engine.DEWaitAll(std::chrono::seconds(60)));
  ASSERT_EQ(engine.DEJob(0).status, E_DJSProcessed);
  std::multiset<std::string> destinations;  // of the agent's requests: its process id is the identifier
  const uint16_t identifier = static_cast<uint16_t>(getpid());
  for (const icmp6test::SeenEcho& echo : sniffer.Collect()) {
    if (memcmp(&echo.bytes[4], &identifier, 2) == 0) destinations.insert(icmp6test::Text(echo.destination));
  }
  EXPECT_EQ(destinations, (std::multiset<std::string>{"2001:db8:1::5", "2001:db8:4::7"}));
}

}  // namespace
