// The prefix name list: names that the operator gives to IPv6 prefixes.
//
// Each line "<address>[/<length>] <name>" names the prefix of that length
// (128 without a length). The list m_pfxDataList maps the normalised text of
// the prefix (the address with every bit beyond the length cleared; the
// length is not part of the key) to a CKelPointer carrying a malloc'ed copy
// of the name. The tree keeps its own key copies; the agent owns the
// wrappers and the names and releases them in DIPv6RemovePfxNameList. The
// first line for a prefix wins.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "agent/CDiscoIPv6Agent.h"
#include "config/ConfigText.h"
#include "host/CKelPointer.h"
#include "host/KelError.h"
#include "host/KelTrace.h"

namespace {

constexpr size_t kPrefixRunSize = 50;  // characters kept of "<address>[/<length>]"
constexpr size_t kNameSize = 80;       // characters kept of a name
constexpr size_t kLengthDigits = 3;    // characters after "/" read as the length

// The list key of the prefix written in `run` ("<address>[/<length>]"), a
// malloc'ed text, or null when the run names no prefix: the address does
// not parse or the length is negative. Cuts `run` at its "/".
char* PrefixKey(CDiscoIPv6Agent* agent, char* run) {
  int length = 128;
  char* slash = strchr(run, '/');
  if (slash != nullptr) {
    char digits[kLengthDigits + 1];
    size_t n = 0;
    while (n < kLengthDigits && slash[1 + n] != '\0') {
      digits[n] = slash[1 + n];
      ++n;
    }
    digits[n] = '\0';
    *slash = '\0';
    length = atoi(digits);
    // Not a length at all: the prefix cut knows no negative lengths.
    if (length < 0) return nullptr;
  }
  char* byteWise = agent->DIPv6GetPfxFromStdIP(run, length);
  if (byteWise == nullptr) return nullptr;
  char* key = agent->DIPv6Normalization(byteWise, 1);
  free(byteWise);
  return key;
}

}  // namespace

int CDiscoIPv6Agent::DIPv6BuildPfxNameList(const char* fileName) {
  const char* shownName = fileName != nullptr ? fileName : "";
  genXPLTracef(4, "\nENTER : CDiscoIPv6Agent::DIPv6BuildPfxNameList(%s)\n", shownName);
  int result = 1;

  FILE* file = fileName != nullptr ? fopen(fileName, "r") : nullptr;
  if (file == nullptr) {
    genXPLTracef(2, "-- DIPv6BuildPfxNameList() cannot open %s", shownName);
  } else {
    ConfigPieces pieces(file);
    while (const char* line = pieces.Next()) {
      char run[kPrefixRunSize + 1];
      char name[kNameSize + 1];
      const char* rest = ConfigNextRun(line, run, sizeof run);
      if (rest == nullptr || ConfigNextRun(rest, name, sizeof name) == nullptr) continue;
      if (run[0] == '#') continue;

      char* key = PrefixKey(this, run);
      if (key == nullptr) continue;

      if (m_pfxDataList == nullptr) {
        m_pfxDataList = new (std::nothrow) CKelTreeList(E_KBFalse);
        if (m_pfxDataList == nullptr) {
          CKelError(-220553, __FILE__, __LINE__);
          free(key);
          continue;
        }
      } else if (m_pfxDataList->KTLGet(key) != nullptr) {
        genXPLTracef(3, "-- DIPv6BuildPfxNameList() found %s[%s] so ingore\n", name, key);
        free(key);
        continue;
      }

      char* nameCopy = strdup(name);
      if (nameCopy == nullptr) {
        CKelError(-220553, __FILE__, __LINE__);
        free(key);
        continue;
      }
      CKelPointer* wrapper = new (std::nothrow) CKelPointer(nameCopy);
      if (wrapper == nullptr) {
        CKelError(-220553, __FILE__, __LINE__);
        free(nameCopy);
        free(key);
        continue;
      }
      genXPLTracef(3, "-- DIPv6BuildPfxNameList() adding %s[%s]\n", name, key);
      result = m_pfxDataList->KTLAdd(key, wrapper);
      // The tree keeps a copy of the key, never this text.
      free(key);
      if (result != 1) {
        delete wrapper;
        free(nameCopy);
        CKelError(result, __FILE__, __LINE__);
      }
    }
    fclose(file);
  }

  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6BuildPfxNameList()\n", 4);
  return result;
}

int CDiscoIPv6Agent::DIPv6RemovePfxNameList() {
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DIPv6RemovePfxNameList()\n", 4);
  ConfigDeleteTextTree(m_pfxDataList);
  m_pfxDataList = nullptr;
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6RemovePfxNameList()\n", 4);
  return 1;
}
