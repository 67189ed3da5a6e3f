// The host history list: the remembered IPv6 hosts that the ping driver
// probes.
//
// The first run of each line is an address in any IPv6 text form. The list
// m_ipDataList holds each distinct address once, keyed by its normalised
// text, as a CKelPointer carrying a malloc'ed copy of that same text. The
// tree keeps its own key copies; the agent owns the wrappers and the texts
// and releases them in DIPv6RemoveHistoryIpList.
#include <cstdio>
#include <cstdlib>
#include <new>

#include "agent/CDiscoIPv6Agent.h"
#include "config/ConfigText.h"
#include "host/CKelPointer.h"
#include "host/KelError.h"
#include "host/KelTrace.h"

namespace {

constexpr size_t kAddressRunSize = 64;  // characters kept of an address run

}  // namespace

int CDiscoIPv6Agent::DIPv6BuildHistoryIpList(const char* fileName) {
  const char* shownName = fileName != nullptr ? fileName : "";
  genXPLTracef(4, "\nENTER : CDiscoIPv6Agent::DIPv6BuildHistoryIpList(%s)\n", shownName);
  int result = 1;

  FILE* file = fileName != nullptr ? fopen(fileName, "r") : nullptr;
  if (file == nullptr) {
    genXPLTracef(2, "-- DIPv6BuildHistoryIpList() cannot open %s", shownName);
  } else {
    ConfigPieces pieces(file);
    while (const char* line = pieces.Next()) {
      char run[kAddressRunSize + 1];
      if (ConfigNextRun(line, run, sizeof run) == nullptr) continue;
      if (run[0] == '#') continue;

      char* text = DIPv6Normalization(run, 2);
      if (text == nullptr) continue;

      if (m_ipDataList == nullptr) {
        m_ipDataList = new (std::nothrow) CKelTreeList(E_KBFalse);
        if (m_ipDataList == nullptr) {
          CKelError(-220553, __FILE__, __LINE__);
          free(text);
          continue;
        }
      } else if (m_ipDataList->KTLGet(text) != nullptr) {
        genXPLTracef(3, "-- DIPv6BuildHistoryIpList() found[%s], so ignore\n", text);
        free(text);
        continue;
      }

      CKelPointer* wrapper = new (std::nothrow) CKelPointer(text);
      if (wrapper == nullptr) {
        CKelError(-220553, __FILE__, __LINE__);
        free(text);
        continue;
      }
      genXPLTracef(3, "-- DIPv6BuildHistoryIpList() adding[%s]\n", text);
      result = m_ipDataList->KTLAdd(text, wrapper);
      if (result != 1) {
        CKelError(result, __FILE__, __LINE__);
        free(text);
        delete wrapper;
      }
    }
    fclose(file);
  }

  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6BuildHistoryIpList()\n", 4);
  return result;
}

int CDiscoIPv6Agent::DIPv6RemoveHistoryIpList() {
  genXPLTrace("CDiscoIPv6Agent::DIPv6RemoveHistoryIpList()\n", 4);
  ConfigDeleteTextTree(m_ipDataList);
  m_ipDataList = nullptr;
  return 1;
}
