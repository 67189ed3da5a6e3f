// The run history end to end: runs of the demo lab stored, listed and diffed; a run that dies while it
// writes, two runners writing at once, and files that are no history of ours.
#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <thread>

#include "gtest/gtest.h"
#include "tests/integration/RunnerProcess.h"
#include "tests/support/TempDir.h"

namespace {

using Args = std::vector<std::string>;
const std::string kLab = std::string(TEST_SOURCE_DIR) + "/examples/lab";
const std::string kRunner = std::string(TEST_BINARY_DIR) + "/ipv6disco";

// The demo lab's NEs, replayed from `devices`, stored in `db`.
RunnerResult Store(const std::string& devices, const std::string& db) {
  return RunProgram(kRunner, {"--replay", devices, "--hosts", kLab + "/hosts", "--etc-dir", kLab + "/etc",
                              "--var-dir", kLab + "/var", "--ne-file", kLab + "/nes.txt", "--db", db, "-o", "/dev/null"});
}

// The lab's devices copied into `folder`, each file's text passed through its edit.
std::string Devices(const std::string& folder, const std::map<std::string, std::function<std::string(std::string)>>& edits) {
  std::filesystem::create_directories(folder);
  for (const auto& entry : std::filesystem::directory_iterator(kLab + "/devices")) {
    std::string text = ReadWhole(entry.path());
    auto edit = edits.find(entry.path().filename());
    if (edit == edits.end() || !edit->second(text).empty()) {
      std::ofstream(folder + "/" + entry.path().filename().string()) << (edit == edits.end() ? text : edit->second(text));
    }
  }
  return folder;
}

std::string Replace(std::string text, const std::string& pattern, const std::string& by) {
  return std::regex_replace(text, std::regex(pattern), by);
}

std::string NoTimes(const std::string& text) { return Replace(text, "\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ", "T"); }

TEST(HistoryTest, RunsAreKeptAndTheDiffListsExactlyWhatChanged) {
  TempDir dir;
  const std::string db = dir.Path() + "/history.db", same = Devices(dir.Path() + "/same", {});
  const std::string changed = Devices(dir.Path() + "/changed", {
      // core1 loses 2001:db8:120::1 (on eth1)
      {"203.0.113.1.snmprec", [](std::string t) { return Replace(t, "1\\.3\\.6\\.1\\.2\\.1\\.55\\.1\\.8\\.1\\.\\d+\\.3\\.32\\.1\\.13\\.184\\.1\\.32(\\.0){9}\\.1\\|[^\\n]*\\n", ""); }},
      // edge1's cache: a new host 2001:db8:210::12 on eth1; ws1 (2001:db8:210::10) moves from eth1 to eth0
      {"203.0.113.2.snmprec", [](std::string t) {
         t = Replace(t, "(55\\.1\\.12\\.1\\.\\d+\\.)3(\\.32\\.1\\.13\\.184\\.2\\.16(\\.0){9}\\.16\\|)", "$012$02");
         return t + "1.3.6.1.2.1.55.1.12.1.2.3.32.1.13.184.2.16.0.0.0.0.0.0.0.0.0.18|4x|00005e0053a2\n"; }},
      {"203.0.113.3.snmprec", [](std::string) { return std::string(); }},  // edge2 answers no more
  });
  for (const std::string& devices : {same, same, changed}) EXPECT_EQ(Store(devices, db).status, 3);
  RunnerResult history = RunProgram(kRunner, {"history", "--db", db});
  EXPECT_EQ(history.status, 0);
  EXPECT_EQ(NoTimes(history.out), "run 1  T  6 NEs: 5 processed, 1 failed; 8 links\n"
                                  "run 2  T  6 NEs: 5 processed, 1 failed; 8 links\n"
                                  "run 3  T  6 NEs: 4 processed, 2 failed; 7 links\n");
  RunnerResult nothing = RunProgram(kRunner, {"diff", "--db", db, "1", "2"});
  EXPECT_EQ(nothing.status, 0);
  EXPECT_EQ(NoTimes(nothing.out), "run 1 (T) -> run 2 (T): nothing changed\n");
  RunnerResult diff = RunProgram(kRunner, {"diff", "--db", db});  // the last two
  EXPECT_EQ(diff.status, 1) << diff.err;
  EXPECT_EQ(NoTimes(diff.out), "run 2 (T) -> run 3 (T): 3 NEs changed\n"
                               "core1.lab.example\n"
                               "  - address 2001:db8:120::1/64 on eth1\n"
                               "edge1.lab.example\n"
                               "  + neighbour 2001:db8:210::12 on eth1 mac 00:00:5E:00:53:A2\n"
                               "  ~ neighbour 2001:db8:210::10 moved from eth1 to eth0\n"
                               "  + link eth0 -> 2001:db8:210::10 (ws1.lab.example)\n"
                               "  + link eth1 -> 2001:db8:210::12\n"
                               "  - link eth1 -> 2001:db8:210::10 (ws1.lab.example)\n"
                               "edge2.lab.example\n"
                               "  ~ class isIPv6Router -> failed\n");
  RunnerResult json = RunProgram(kRunner, {"diff", "--db", db, "--format", "json", "2", "3"});
  EXPECT_EQ(json.status, 1);
  EXPECT_NE(json.out.find("\"moved\": [\n          {\n            \"address\": \"2001:db8:210::10\",\n"
                          "            \"from\": \"eth1\",\n            \"to\": \"eth0\""), std::string::npos) << json.out;
}

TEST(HistoryTest, AHistoryOutlivesCrashesTakesTwoWritersAndRefusesOtherFiles) {
  TempDir dir;
  const std::string db = dir.Path() + "/history.db", devices = kLab + "/devices";
  ASSERT_EQ(Store(devices, db).status, 3);
  setenv("IPV6DISCO_HISTORY_ABORT_BEFORE_COMMIT", "1", 1);
  EXPECT_EQ(Store(devices, db).status, 128 + SIGABRT);  // dies with the run written but not committed
  unsetenv("IPV6DISCO_HISTORY_ABORT_BEFORE_COMMIT");
  RunnerResult first, second;
  std::thread other([&] { second = Store(devices, db); });
  first = Store(devices, db);
  other.join();
  EXPECT_EQ(first.status + second.status, 6) << first.err << second.err;
  RunnerResult history = RunProgram(kRunner, {"history", "--db", db});
  EXPECT_EQ(std::count(history.out.begin(), history.out.end(), '\n'), 3) << history.out;  // the crashed run left nothing
  EXPECT_EQ(RunProgram(kRunner, {"diff", "--db", db, "1", "3"}).status, 0);

  sqlite3* other_db = nullptr;  // another program's database, and a history of a later version
  const std::string foreign = dir.Path() + "/foreign.db", newer = dir.Path() + "/newer.db";
  sqlite3_open(foreign.c_str(), &other_db);
  sqlite3_exec(other_db, "CREATE TABLE t (x)", nullptr, nullptr, nullptr);
  sqlite3_close(other_db);
  std::filesystem::copy_file(db, newer);
  sqlite3_open(newer.c_str(), &other_db);
  sqlite3_exec(other_db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
  sqlite3_close(other_db);
  const std::string text = dir.WriteFile("notes.txt", "not a database\n");
  const struct { std::string path, why; } rows[] = {
      {text, "'" + text + "' is not an ipv6disco history (not an SQLite database)"},
      {foreign, "'" + foreign + "' is not an ipv6disco history (another SQLite database)"},
      {newer, "'" + newer + "' was written by a newer ipv6disco (history version 99; this one knows 1)"},
      {dir.Path(), "'" + dir.Path() + "' is a folder, not an ipv6disco history"},
  };
  for (const auto& row : rows) {
    const std::string before = std::filesystem::is_directory(row.path) ? "" : ReadWhole(row.path);
    RunnerResult run = Store(devices, row.path), listed = RunProgram(kRunner, {"history", "--db", row.path});
    EXPECT_EQ(run.status, 2) << row.path;
    EXPECT_EQ(run.err, "ipv6disco: --db: " + row.why + "\n");
    EXPECT_EQ(listed.err, "ipv6disco history: " + row.why + "\n");
    EXPECT_EQ(std::filesystem::is_directory(row.path) ? "" : ReadWhole(row.path), before) << row.path;
  }
}

}  // namespace
