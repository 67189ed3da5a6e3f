// Loading an agent plug-in the way the engine does: dlopen, then the one
// export DAInstantiate.
#ifndef ENGINE_PLUGINLOADER_H_
#define ENGINE_PLUGINLOADER_H_

#include <string>

#include "agent/AgentIPv6Factory.h"

class CPluginLibrary {
 public:
  CPluginLibrary() = default;
  // Closes the library (it stays mapped: it is opened with RTLD_NODELETE,
  // so the module's never-freed lock stays reachable for leak checkers).
  ~CPluginLibrary();
  CPluginLibrary(const CPluginLibrary&) = delete;
  CPluginLibrary& operator=(const CPluginLibrary&) = delete;

  // Opens `path` (a bare file name means one in the current folder) and
  // finds DAInstantiate. False, with `error` set to a whole phrase naming
  // the path, when either fails.
  bool Open(const std::string& path, std::string* error);
  // The factory; null until Open succeeded.
  DAInstantiateFn Factory() const { return m_Factory; }

 private:
  void* m_Handle = nullptr;
  DAInstantiateFn m_Factory = nullptr;
};

#endif  // ENGINE_PLUGINLOADER_H_
