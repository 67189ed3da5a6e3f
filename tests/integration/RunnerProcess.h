// Runs a program from a test (standard input /dev/null): exit status, standard
// output and standard error; `signal` (when not 0) is sent to it after `afterMs`.
#ifndef TESTS_INTEGRATION_RUNNERPROCESS_H_
#define TESTS_INTEGRATION_RUNNERPROCESS_H_

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

struct RunnerResult {  // status: the exit status, 128 + signal when killed
  int status = -1;
  std::string out, err;
};

inline std::string ReadWhole(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

inline RunnerResult RunProgram(const std::string& program, std::vector<std::string> args, int signal = 0,
                               int afterMs = 0) {
  TempDir dir;
  const std::string out = dir.Path() + "/out", err = dir.Path() + "/err";
  args.insert(args.begin(), program);
  pid_t pid = fork();
  if (pid == 0) {
    int fds[] = {open("/dev/null", O_RDONLY), open(out.c_str(), O_WRONLY | O_CREAT, 0600),
                 open(err.c_str(), O_WRONLY | O_CREAT, 0600)};
    for (int i = 0; i < 3; ++i) {
      if (fds[i] < 0 || dup2(fds[i], i) < 0) _exit(126);
    }
    std::vector<char*> argv(args.size() + 1, nullptr);
    for (size_t i = 0; i < args.size(); ++i) argv[i] = args[i].data();
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (pid > 0 && signal != 0) usleep(afterMs * 1000), kill(pid, signal);
  int status = 0;
  if (pid <= 0 || waitpid(pid, &status, 0) != pid) return {-1, ReadWhole(out), ReadWhole(err)};
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), ReadWhole(out),
          ReadWhole(err)};
}

#endif  // TESTS_INTEGRATION_RUNNERPROCESS_H_
