// Construction, destruction and the names of the agent.
#include "agent/CDiscoIPv6Agent.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "host/KelTrace.h"
#include "host/ZWPlatform.h"

CKelRWLock* CDiscoIPv6Agent::m_Mutex = nullptr;

namespace {

// Creates the module-wide lock exactly once, however many agents are
// constructed on however many threads; it lives as long as the process.
std::once_flag g_MutexOnce;

void CreateModuleMutex() {
  std::call_once(g_MutexOnce, [] {
    if (CDiscoIPv6Agent::m_Mutex == nullptr) CDiscoIPv6Agent::m_Mutex = new CKelRWLock();
  });
}

// A private copy of the path that _ZWBuildPath gives for `directory` and
// `file`; released by the caller with free. Null when it cannot be made.
char* BuildPathCopy(const char* directory, const char* file) {
  const char* path = _ZWBuildPath(directory, file, 0);
  return path != nullptr ? strdup(path) : nullptr;
}

}  // namespace

CDiscoIPv6Agent::CDiscoIPv6Agent()
    : m_AutoDiscovery(1), m_pfxDataList(nullptr), m_ipDataList(nullptr) {
  char* pfxPath = BuildPathCopy("%ZW_ETC_PATH%\\conf", "tovra\\IPv6Prefix.conf");
  char* historyPath = BuildPathCopy("%ZW_VAR_PATH%\\databases", "tovra\\IPv6hosts.qar");
  char* configPath = BuildPathCopy("%ZW_ETC_PATH%\\conf", "tovra\\IPv6.conf");
  // A file that cannot be read leaves its default; the results say nothing
  // the loaders have not already reported.
  DIPv6BuildPfxNameList(pfxPath);
  DIPv6BuildHistoryIpList(historyPath);
  DIPv6LoadConfig(configPath);
  free(pfxPath);
  free(historyPath);
  free(configPath);
  initializeWSA();
  CreateModuleMutex();
}

CDiscoIPv6Agent::~CDiscoIPv6Agent() {
  DIPv6RemovePfxNameList();
  DIPv6RemoveHistoryIpList();
  WSACleanup();
}

void CDiscoIPv6Agent::KASetSCName() { KASetName("IPv6"); }

void CDiscoIPv6Agent::KASetSCDesc() { KASetDesc("Tovra IPv6 Discovery Agent"); }
