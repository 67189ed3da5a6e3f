// Building the local neighbours of router R1 probes the remembered hosts
// that share a local address's prefix and have a registered name: the
// echo requests are seen on the wire inside the sandbox.
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
  ScopedConfigDirs dirs;
  // 2001:db8:1::5 (h5) and 2001:db8:4::7 (h47) lie on prefixes of R1's
  // addresses and have names; 2001:db8:2::5 lies on one but has no name;
  // 2001:db8:9::9 lies on none.
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
  auto* record = new CKelRecord();
  record->KRAddOrSetValue("m_IpAddress", "198.51.100.10");  // R1
  engine.DESubmit(record);
  engine.DEStartUp();
  ASSERT_TRUE(engine.DEWaitAll(std::chrono::seconds(60)));
  ASSERT_EQ(engine.DEJob(0).status, E_DJSProcessed);
  ASSERT_NE(engine.DEJob(0).proc, nullptr);
  EXPECT_EQ(engine.DEJob(0).proc->DPDLocalNbrs().size(), 7u);

  std::multiset<std::string> destinations;
  for (const icmp6test::SeenEcho& echo : sniffer.Collect()) {
    ASSERT_GE(echo.bytes.size(), 8u);
    uint16_t identifier;  // written in host order
    memcpy(&identifier, echo.bytes.data() + 4, sizeof(identifier));
    if (identifier != static_cast<uint16_t>(getpid())) continue;  // not the agent's
    destinations.insert(icmp6test::Text(echo.destination));
  }
  // One local address on each of the two prefixes: each host once.
  EXPECT_EQ(destinations, (std::multiset<std::string>{"2001:db8:1::5", "2001:db8:4::7"}));
}

}  // namespace
