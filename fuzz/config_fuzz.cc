// The three configuration loaders on one file: the input is read as the
// agent configuration, as the prefix names and as the host history, and
// each list is released again.
#include "agent/CDiscoIPv6Agent.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp(4);
  static CDiscoIPv6Agent* agent = new CDiscoIPv6Agent();  // reads no file: the folders are empty
  const std::string path = FuzzWriteFile("config", data, size);
  FuzzCheck(agent->DIPv6LoadConfig(path.c_str()) == 1, "DIPv6LoadConfig");
  FuzzCheck(agent->DIPv6AutoDiscovery() == 0 || agent->DIPv6AutoDiscovery() == 1, "the switch is 0 or 1");
  agent->DIPv6BuildPfxNameList(path.c_str());
  agent->DIPv6RemovePfxNameList();
  agent->DIPv6BuildHistoryIpList(path.c_str());
  agent->DIPv6RemoveHistoryIpList();
  return 0;
}
