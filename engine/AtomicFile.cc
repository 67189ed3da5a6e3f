#include "engine/AtomicFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

bool DEWriteFileAtomically(const std::string& path, const std::string& text, std::string* error) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string pattern = folder + "." + name + ".XXXXXX";
  std::vector<char> temp(pattern.begin(), pattern.end());
  temp.push_back('\0');
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  const char* at = text.data();
  size_t left = text.size();
  int problem = 0;
  while (left > 0 && problem == 0) {
    const ssize_t n = write(fd, at, left);
    if (n < 0 && errno != EINTR) problem = errno;
    if (n > 0) at += n, left -= static_cast<size_t>(n);
  }
  if (problem == 0 && (fchmod(fd, 0644) != 0 || fsync(fd) != 0)) problem = errno;
  if (close(fd) != 0 && problem == 0) problem = errno;
  if (problem == 0 && rename(temp.data(), path.c_str()) != 0) problem = errno;
  if (problem != 0) {
    unlink(temp.data());
    *error = "cannot write " + path + ": " + std::strerror(problem);
    return false;
  }
  return true;
}
