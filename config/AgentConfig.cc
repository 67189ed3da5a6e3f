// The agent configuration file: the automatic-discovery switch.
//
// Every line "<name> <integer>" whose name does not begin with "#" sets the
// switch; the last such line counts. Value 0 turns automatic discovery off,
// any other value, no setting line or no file at all leaves it on.
#include <cstdio>

#include "agent/CDiscoIPv6Agent.h"
#include "config/ConfigText.h"
#include "host/KelTrace.h"

namespace {

constexpr size_t kNameSize = 80;  // characters kept of a setting's name

}  // namespace

int CDiscoIPv6Agent::DIPv6LoadConfig(const char* fileName) {
  const char* shownName = fileName != nullptr ? fileName : "";
  genXPLTracef(4, "\nENTER : CDiscoIPv6Agent::DIPv6LoadConfig(%s)\n", shownName);
  // Wider than int so that a value beyond the int range counts as the
  // non-zero it is instead of being cut to 0.
  long long value = -1;

  FILE* file = fileName != nullptr ? fopen(fileName, "r") : nullptr;
  if (file == nullptr) {
    genXPLTracef(2, "-- DIPv6LoadConfig() cannot open %s", shownName);
  } else {
    ConfigPieces pieces(file);
    while (const char* line = pieces.Next()) {
      char name[kNameSize + 1];
      long long lineValue;
      const char* rest = ConfigNextRun(line, name, sizeof name);
      if (rest == nullptr || sscanf(rest, "%lld", &lineValue) != 1) continue;
      if (name[0] == '#') continue;
      value = lineValue;
    }
    fclose(file);
  }

  if (value == 0) {
    genXPLTrace("-- DIPv6LoadConfig() set AutoDiscovery FALSE", 4);
    m_AutoDiscovery = 0;
  } else {
    genXPLTrace("-- DIPv6LoadConfig() set AutoDiscovery TRUE", 4);
    m_AutoDiscovery = 1;
  }
  genXPLTrace("LEAVE : CDiscoIPv6Agent::DIPv6LoadConfig()\n", 4);
  return 1;
}
