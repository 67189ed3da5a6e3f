// The plug-in's factory, its only exported symbol.
#include <new>

#include "agent/AgentIPv6Factory.h"
#include "agent/CDiscoIPv6Agent.h"
#include "host/KelError.h"

extern "C" __attribute__((visibility("default"))) CDiscoAgent* DAInstantiate() {
  CDiscoIPv6Agent* agent = new (std::nothrow) CDiscoIPv6Agent();
  if (agent == nullptr) {
    CKelError(-220553, "DiscoIPv6AgentInit", __LINE__, nullptr);
    return nullptr;
  }
  return agent;
}

// Version functions of the library's build; neither exported nor called.
const char* _ZWgetURL_OS() { return "NT"; }
int _ZWgetConsolidatedPatchNum() { return 0; }
