// Entry point of the integration tests: every run but the listing of tests
// starts this binary again inside the sandbox (see sandbox), with the fixture
// hosts file and the fixture addresses on loopback.
#include <stdio.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "gtest/gtest.h"

int main(int argc, char** argv) {
  bool listing = false;
  for (int i = 1; i < argc; ++i) listing = listing || strcmp(argv[i], "--gtest_list_tests") == 0;
  if (getenv("IPV6DISCO_SANDBOX") == nullptr && !listing) {
    const std::string fixtures = TEST_SOURCE_DIR "/tests/integration/fixtures";
    std::vector<std::string> args = {TEST_SOURCE_DIR "/tests/integration/sandbox", "--hosts",
                                     fixtures + "/hosts"};
    std::ifstream addresses(fixtures + "/sandbox-addresses");
    for (std::string word; addresses >> word;) {
      if (word[0] == '#') std::getline(addresses, word);  // a comment, to the end of its line
      else args.insert(args.end(), {"--addr", word});
    }
    char* self = realpath("/proc/self/exe", nullptr);
    if (self == nullptr) return 1;
    args.insert(args.end(), {"--", self});
    args.insert(args.end(), argv + 1, argv + argc);
    std::vector<char*> cargs(args.size() + 1, nullptr);
    for (size_t i = 0; i < args.size(); ++i) cargs[i] = args[i].data();
    execv(cargs[0], cargs.data());
    perror("execv sandbox");
    return 1;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
