#include "engine/PluginPath.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kPluginFile[] = "libAgentIPv6.so";
// Relative to the parent of the executable's folder: bin/ -> lib/ipv6disco/.
const char kInstalledFolder[] = "lib/ipv6disco";

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::vector<std::string> DEPluginFolders(const std::string& exeDir) {
  const size_t slash = exeDir.rfind('/');
  const std::string parent = slash == std::string::npos ? "." : exeDir.substr(0, slash);
  return {exeDir, parent + "/" + kInstalledFolder};
}

std::string DEFindPlugin(const std::string& exeDir) {
  const std::vector<std::string> folders = DEPluginFolders(exeDir);
  for (const std::string& folder : folders) {
    const std::string path = folder + "/" + kPluginFile;
    if (IsFile(path)) return path;
  }
  return folders.front() + "/" + kPluginFile;
}

std::string DEDefaultPluginPath() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
  if (n <= 0) return kPluginFile;
  const std::string path(self, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return kPluginFile;
  return DEFindPlugin(path.substr(0, slash));
}
