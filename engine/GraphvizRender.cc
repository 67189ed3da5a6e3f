#include "engine/GraphvizRender.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

extern char** environ;

namespace {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// The first line of what `file` holds (read from its start).
std::string FirstLine(FILE* file) {
  char line[512] = "";
  std::rewind(file);
  if (std::fgets(line, sizeof line, file) == nullptr) return "";
  std::string text = line;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

std::string DEFindGraphviz() {
  const char* path = std::getenv("PATH");
  std::string rest = path == nullptr ? "" : path;
  while (!rest.empty()) {
    const size_t colon = rest.find(':');
    std::string dir = rest.substr(0, colon);
    rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    const std::string candidate = (dir.empty() ? "." : dir) + "/dot";
    struct stat st;
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return "";
}

bool DERenderSvg(const std::string& program, const std::string& dot, std::string* svg, std::string* error) {
  // The graph and the messages go through unnamed files, so that only one
  // pipe (the picture) is read while the child runs: no deadlock.
  File input(std::tmpfile()), messages(std::tmpfile());
  int out[2];
  if (input == nullptr || messages == nullptr || pipe2(out, O_CLOEXEC) != 0) {
    *error = std::string("cannot run Graphviz: ") + std::strerror(errno);
    return false;
  }
  std::fwrite(dot.data(), 1, dot.size(), input.get());
  std::fflush(input.get());
  std::rewind(input.get());
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fileno(input.get()), 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fileno(messages.get()), 2);
  std::string format = "-Tsvg";
  char* argv[] = {const_cast<char*>(program.c_str()), format.data(), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  svg->clear();
  char buffer[65536];
  for (ssize_t n; spawned == 0 && (n = read(out[0], buffer, sizeof buffer)) != 0;) {
    if (n > 0) svg->append(buffer, static_cast<size_t>(n));
    if (n < 0 && errno != EINTR) break;
  }
  close(out[0]);
  if (spawned != 0) {
    *error = "cannot run " + program + ": " + std::strerror(spawned);
    return false;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  const std::string said = FirstLine(messages.get());
  *error = program + " could not draw the picture" + (said.empty() ? "" : ": " + said);
  return false;
}
