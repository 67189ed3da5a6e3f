// Entry point of the integration tests. Every run (but the listing of tests
// that the test runner makes at build time) happens inside the sandbox
// (tests/integration/sandbox): the binary starts itself again there, with
// the fixture hosts file and the fixture addresses on loopback.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace {

bool ListingOnly(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--gtest_list_tests") == 0) return true;
  }
  return false;
}

// Re-executes this binary inside the sandbox; returns only on failure.
int ExecInSandbox(int argc, char** argv) {
  std::string fixtures = std::string(TEST_SOURCE_DIR) + "/tests/integration/fixtures";
  std::vector<std::string> args = {std::string(TEST_SOURCE_DIR) + "/tests/integration/sandbox",
                                   "--hosts", fixtures + "/hosts"};
  std::ifstream addresses(fixtures + "/sandbox-addresses");
  std::string line;
  while (std::getline(addresses, line)) {
    size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    while (!line.empty() && isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    if (line.empty()) continue;
    args.push_back("--addr");
    args.push_back(line);
  }
  args.push_back("--");
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
  if (n <= 0) return 1;
  self[n] = '\0';
  args.push_back(self);
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  std::vector<char*> cargs;
  for (std::string& a : args) cargs.push_back(a.data());
  cargs.push_back(nullptr);
  execv(cargs[0], cargs.data());
  perror("execv sandbox");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (getenv("IPV6DISCO_SANDBOX") == nullptr && !ListingOnly(argc, argv)) {
    return ExecInSandbox(argc, argv);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
