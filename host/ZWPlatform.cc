// Portability layer on POSIX.
#include "host/ZWPlatform.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The value of environment variable `name`, or `fallback` when it is unset
// or empty.
const char* DirectoryOf(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return (value != nullptr && value[0] != '\0') ? value : fallback;
}

// Replaces every occurrence of `placeholder` in `text` by `value`. The
// replacement text is not searched again.
void Expand(std::string* text, const char* placeholder, const char* value) {
  const size_t length = std::strlen(placeholder);
  const size_t valueLength = std::strlen(value);
  for (size_t at = text->find(placeholder); at != std::string::npos;
       at = text->find(placeholder, at + valueLength)) {
    text->replace(at, length, value);
  }
}

std::atomic<bool> g_RawSocketsAllowed{true};

}  // namespace

const char* _ZWBuildPath(const char* directory, const char* file, int /*flags*/) {
  if (directory == nullptr || file == nullptr) return nullptr;
  thread_local std::string path;
  path.assign(directory);
  // No doubled separator when the directory already ends with one, and no
  // leading one for an empty directory.
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  path += file;
  Expand(&path, "%ZW_ETC_PATH%", DirectoryOf("ZW_ETC_PATH", ZW_DEFAULT_ETC_PATH));
  Expand(&path, "%ZW_VAR_PATH%", DirectoryOf("ZW_VAR_PATH", ZW_DEFAULT_VAR_PATH));
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path.c_str();
}

int _ZWinet_pton(int family, const char* text, void* dst) {
  if (text == nullptr || dst == nullptr) return -1;
  if (family != AF_INET && family != AF_INET6) return -1;
  return inet_pton(family, text, dst);
}

const char* _ZWinet_ntop(int family, const void* src, char* dst, size_t size) {
  if (src == nullptr || dst == nullptr) return nullptr;
  if (family != AF_INET && family != AF_INET6) return nullptr;
  return inet_ntop(family, src, dst, static_cast<socklen_t>(size));
}

int _ZWcloseSocket(int socket) {
  if (socket < 0) return -1;
  return close(socket) == 0 ? 0 : -1;
}

void ZWSetRawSocketsAllowed(bool allowed) { g_RawSocketsAllowed.store(allowed); }

bool ZWRawSocketsAllowed() { return g_RawSocketsAllowed.load(); }

int _ZWsocket(int domain, int type, int protocol) {
  // The type may carry SOCK_NONBLOCK and SOCK_CLOEXEC beside the kind.
  const int kind = type & ~(SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (kind == SOCK_RAW && !g_RawSocketsAllowed.load()) {
    errno = EPERM;
    return -1;
  }
  return socket(domain, type, protocol);
}

int WSAStartup(WORD version, WSADATA* data) {
  if (data != nullptr) {
    data->wVersion = version;
    data->wHighVersion = version;
  }
  return 0;
}

int WSACleanup() { return 0; }
