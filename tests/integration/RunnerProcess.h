// Running the ipv6disco binary from a test: arguments in, exit status,
// standard output and standard error out.
#ifndef TESTS_INTEGRATION_RUNNERPROCESS_H_
#define TESTS_INTEGRATION_RUNNERPROCESS_H_

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

struct RunnerResult {
  int status = -1;  // exit status; 128 + signal when killed
  std::string out;
  std::string err;
};

inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs `program` with `args`; standard input is /dev/null.
inline RunnerResult RunProgram(const std::string& program, const std::vector<std::string>& args) {
  TempDir dir;
  const std::string outPath = dir.Path() + "/out";
  const std::string errPath = dir.Path() + "/err";
  RunnerResult result;
  pid_t pid = fork();
  if (pid == 0) {
    int in = open("/dev/null", O_RDONLY);
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> argv;
    std::vector<std::string> all = {program};
    all.insert(all.end(), args.begin(), args.end());
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid) {
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  result.out = ReadWhole(outPath);
  result.err = ReadWhole(errPath);
  return result;
}

#endif  // TESTS_INTEGRATION_RUNNERPROCESS_H_
