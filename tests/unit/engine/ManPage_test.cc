// The manual page (doc/ipv6disco.1.scd) documents exactly the options the parser accepts, and the exit
// statuses the runner gives; --help fits one screen, names only real options and points to the page.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

#include "engine/Runner.h"
#include "engine/Commands.h"
#include "engine/RunnerOptions.h"

namespace {

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  v.erase(std::unique(v.begin(), v.end()), v.end());
  return v;
}

// Every match of the first group of `pattern` in the lines of `text` that match `line`.
std::vector<std::string> Matches(const std::string& text, const std::regex& line, const std::regex& pattern) {
  std::vector<std::string> found;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) {
    if (!std::regex_search(l, line)) continue;
    for (std::sregex_iterator m(l.begin(), l.end(), pattern), end; m != end; ++m) found.push_back((*m)[1]);
  }
  return Sorted(found);
}

std::string ManSource() {
  std::ifstream in(TEST_SOURCE_DIR "/doc/ipv6disco.1.scd");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST(ManPageTest, DocumentsEveryOptionOfTheParserAndNoOther) {
  // An option's entry starts a line: "*--name* _VALUE_" or "*-o* _FILE_, *--output* _FILE_".
  const std::vector<std::string> documented =
      Matches(ManSource(), std::regex("^\\*-"), std::regex("\\*(--?[a-z][-a-z0-9]*)\\*"));
  EXPECT_EQ(documented, Sorted(DERunnerOptionNames()));
}

TEST(ManPageTest, ListsEveryExitStatus) {
  const std::string source = ManSource();
  const std::string section = source.substr(source.find("# EXIT STATUS"));
  const std::vector<std::string> listed = Matches(section.substr(0, section.find("\n# ", 1)), std::regex("^\\*"),
                                                  std::regex("\\*([0-9]+)\\*"));
  std::vector<std::string> statuses = {"130", "143"};  // SIGINT and SIGTERM
  for (int s : {kExitAllProcessed, kExitFatal, kExitUsage, kExitSomeFailed}) statuses.push_back(std::to_string(s));
  EXPECT_EQ(listed, Sorted(statuses));
}

TEST(ManPageTest, HelpFitsAScreenNamesRealOptionsAndPointsToThePage) {
  const std::string help = DERunnerUsage() + DECommandsUsage();  // as --help prints it
  EXPECT_LE(std::count(help.begin(), help.end(), '\n'), 23);
  std::istringstream in(help);
  for (std::string line; std::getline(in, line);) EXPECT_LE(line.size(), 79u) << line;
  const std::vector<std::string> named = Matches(help, std::regex("."), std::regex("(?:^|[ ,;])(--?[a-z][-a-z]*)"));
  const std::vector<std::string> known = Sorted(DERunnerOptionNames());
  for (const std::string& option : named) {
    EXPECT_TRUE(std::binary_search(known.begin(), known.end(), option)) << option;
  }
  EXPECT_NE(help.find("ipv6disco(1)"), std::string::npos);
}
