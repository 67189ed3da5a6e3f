#include "engine/PluginLoader.h"

#include <dlfcn.h>
#include <unistd.h>

namespace {

const char kPluginFile[] = "libAgentIPv6.so";

}  // namespace

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

std::string DEDefaultPluginPath() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
  if (n <= 0) return kPluginFile;
  std::string path(self, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return kPluginFile;
  return path.substr(0, slash + 1) + kPluginFile;
}
