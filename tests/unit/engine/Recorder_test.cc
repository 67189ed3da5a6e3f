// Recording NEs from a replay folder (snmprec and walk files): what each NE gives, the files written and the
// addresses tried, on several workers.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/AtomicFile.h"
#include "engine/Recorder.h"
#include "host/ZWResolver.h"
#include "snmp/ReplayRequester.h"
#include "tests/integration/RunnerProcess.h"
#include "tests/support/TempDir.h"

namespace {

TEST(RecorderTest, EachNeIsRecordedFromTheFirstAddressThatAnswersWithOnlyTheRequestedSubtrees) {
  TempDir src, out;
  src.WriteFile("192.0.2.1.snmprec",
                "1.3.6.1.2.1.55.1.1.0|2|1\n"
                "1.3.6.1.4.1.8072.1|4|private\n"            // enterprise: not read
                "1.3.6.1.2.1.1.1.0|4|r1 router\n"
                "1.3.6.1.2.1.4.3.0|65|5\n"                  // ipInReceives: not read
                "1.3.6.1.2.1.4.1.0|2|1\n"
                "1.3.6.1.2.1.2.2.1.6.1|4x|00005E005301\n"
                "1.3.6.1.2.1.6.13.1.1.0|2|1\n");            // tcpConnTable: not read
  src.WriteFile("192.0.2.2.walk", ".1.3.6.1.2.1.1.1.0 = STRING: \"h2\"\n.1.3.6.1.2.1.4.1.0 = INTEGER: 2\n");
  ZWSetNamesOverlay(ZWNamesOverlay::FromText(
      "192.0.2.1 r1.lab\n2001:db8::1 r1.lab\n192.0.2.98 two.lab\n192.0.2.2 two.lab\n2001:db8::9 v6.lab\n"));
  const std::string s = src.Path();
  const std::vector<std::string> nes = {"r1.lab", "2001:DB8::1/64", "two.lab", "192.0.2.99", "ghost.lab", "v6.lab"};
  const std::string expected[] = {  // ne | file objects requests | error
      "r1.lab | 192.0.2.1.snmprec 4 11 | ", "2001:DB8::1/64 | 192.0.2.1.snmprec 4 11 | ",
      "two.lab | 192.0.2.2.snmprec 2 12 | ",
      "192.0.2.99 |  0 1 | no recorded walk for 192.0.2.99 in " + s,
      "ghost.lab |  0 0 | the name has no address",
      "v6.lab |  0 1 | no recorded walk for 2001:db8::9 in " + s};
  CReplayRequester source(s);
  size_t polls = 0, lastDone = 0;
  const std::vector<CRecordedNe> results = DERecordNes(nes, &source, out.Path(), 3, [&](size_t done) {
    EXPECT_GE(done, lastDone);
    lastDone = done, ++polls;
    return true;
  });
  ZWSetNamesOverlay(nullptr);
  ASSERT_EQ(results.size(), nes.size());
  for (size_t i = 0; i < nes.size(); ++i) {
    const CRecordedNe& r = results[i];
    const std::string file = r.file.empty() ? "" : std::filesystem::path(r.file).filename().string();
    EXPECT_EQ(r.ne + " | " + file + " " + std::to_string(r.objects) + " " + std::to_string(r.requests) + " | " +
                  r.error, expected[i]);
    EXPECT_EQ(r.recorded, !file.empty());
  }
  EXPECT_GE(polls, 1u);
  EXPECT_EQ(lastDone, nes.size());
  EXPECT_EQ(ReadWhole(out.Path() + "/192.0.2.1.snmprec"),
            "1.3.6.1.2.1.1.1.0|4|r1 router\n1.3.6.1.2.1.2.2.1.6.1|4x|00005e005301\n"
            "1.3.6.1.2.1.4.1.0|2|1\n1.3.6.1.2.1.55.1.1.0|2|1\n");
  EXPECT_EQ(ReadWhole(out.Path() + "/192.0.2.2.snmprec"), "1.3.6.1.2.1.1.1.0|4|h2\n1.3.6.1.2.1.4.1.0|2|2\n");
  // Asked to stop before the first NE: none is asked, each is told interrupted.
  for (const CRecordedNe& r : DERecordNes(nes, &source, out.Path(), 2, [](size_t) { return false; })) {
    EXPECT_EQ(r.ne + ": " + r.error + (r.interrupted && r.requests == 0 ? "" : " (asked)"),
              r.ne + ": not recorded: interrupted");
  }
}

TEST(RecorderTest, AFileIsReplacedWholeOrLeftAsItWas) {
  TempDir dir;
  const std::string path = dir.WriteFile("a.snmprec", "old\n");
  std::string error;
  EXPECT_TRUE(DEWriteFileAtomically(path, "new\n", &error)) << error;
  EXPECT_EQ(ReadWhole(path), "new\n");
  EXPECT_FALSE(DEWriteFileAtomically(dir.Path() + "/missing/b.snmprec", "x", &error));
  EXPECT_EQ(error, "cannot write " + dir.Path() + "/missing/b.snmprec: No such file or directory");
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) names.push_back(entry.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"a.snmprec"});
}

}  // namespace
