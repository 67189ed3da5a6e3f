#include "engine/PluginLoader.h"

#include <dlfcn.h>

CPluginLibrary::~CPluginLibrary() {
  if (m_Handle != nullptr) dlclose(m_Handle);
}

bool CPluginLibrary::Open(const std::string& path, std::string* error) {
  if (m_Handle != nullptr) {
    dlclose(m_Handle);
    m_Handle = nullptr;
    m_Factory = nullptr;
  }
  // A bare file name would make dlopen search the library path instead of
  // the current folder.
  const std::string target = path.find('/') == std::string::npos ? "./" + path : path;
  void* handle = dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (handle == nullptr) {
    const char* why = dlerror();
    *error = "cannot load the plug-in '" + path + "': " + (why != nullptr ? why : "unknown error");
    return false;
  }
  dlerror();
  void* symbol = dlsym(handle, "DAInstantiate");
  if (symbol == nullptr) {
    *error = "the plug-in '" + path + "' has no DAInstantiate";
    dlclose(handle);
    return false;
  }
  m_Handle = handle;
  m_Factory = reinterpret_cast<DAInstantiateFn>(symbol);
  return true;
}
