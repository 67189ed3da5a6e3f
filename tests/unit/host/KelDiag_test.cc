// Error reports and trace lines: their exact texts, where they go, and
// who sees them.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "host/KelError.h"
#include "host/KelTrace.h"

namespace {

TEST(KelErrorTest, CaptureRecordsCodeSourceLineAndMessage) {
  KelErrorCapture capture;
  struct Row {
    int code;
    const char *source;
    int line;
    const char *message, *wantSource, *wantLine;
  } rows[] = {
      {-220439, "/work/agent/CDiscoIPv6Agent.cc", 120, "refused", "CDiscoIPv6Agent.cc",
       "error -220439 at CDiscoIPv6Agent.cc:120: refused"},
      {-220552, "mediation/Medi.cc", 7, nullptr, "Medi.cc", "error -220552 at Medi.cc:7"},
      {-220553, "C:\\src\\tovra\\Ping.cc", 1, nullptr, "Ping.cc", "error -220553 at Ping.cc:1"},
      {5, "plain.cc", 0, "", "plain.cc", "error 5 at plain.cc:0: "},
      {6, nullptr, 3, "m", "", "error 6 at :3: m"},
  };
  for (const Row& row : rows) CKelError(row.code, row.source, row.line, row.message);
  std::vector<KelErrorReport> reports = capture.Reports();
  ASSERT_EQ(reports.size(), sizeof(rows) / sizeof(rows[0]));
  for (size_t i = 0; i < reports.size(); ++i) {
    SCOPED_TRACE(rows[i].wantLine);
    EXPECT_EQ(reports[i].code, rows[i].code);
    EXPECT_EQ(reports[i].source, rows[i].wantSource);
    EXPECT_EQ(reports[i].line, rows[i].line);
    EXPECT_EQ(reports[i].hasMessage, rows[i].message != nullptr);
    EXPECT_EQ(reports[i].message, rows[i].message != nullptr ? rows[i].message : "");
    EXPECT_EQ(KelFormatError(reports[i]), rows[i].wantLine);
  }
  EXPECT_EQ(capture.Count(-220439), 1);
  EXPECT_EQ(capture.Count(-220439, "refused"), 1);
  EXPECT_EQ(capture.Count(-220439, "other"), 0);
  EXPECT_EQ(capture.Count(-220552, ""), 0);  // a report without message
  EXPECT_EQ(capture.Count(5, ""), 1);
  capture.Clear();
  EXPECT_TRUE(capture.Reports().empty());
  testing::internal::CaptureStderr();
  KelErrorSink previous = KelSetErrorSink(nullptr);  // null: standard error
  CKelError(-220553, "dir/File.cc", 43);
  KelSetErrorSink(previous);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "error -220553 at File.cc:43\n");
}

TEST(KelErrorTest, ThreadScopeSeesOnlyItsOwnThreadCaptureSeesAll) {
  KelErrorCapture all;
  KelThreadErrorScope outer;
  CKelError(10, "main.cc", 1);
  std::vector<std::vector<int>> seen(8);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&seen, t] {
      KelThreadErrorScope mine;
      for (int i = 0; i < 200; ++i) CKelError(100 + t, "worker.cc", i, "m");
      for (const KelErrorReport& r : mine.Reports()) seen[t].push_back(r.code);
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < 8; ++t) {
    EXPECT_EQ(seen[t], std::vector<int>(200, 100 + t)) << "thread " << t;
    EXPECT_EQ(all.Count(100 + t, "m"), 200) << "thread " << t;
  }
  ASSERT_EQ(outer.Reports().size(), 1u);
  EXPECT_EQ(outer.Reports()[0].code, 10);
  EXPECT_EQ(all.Reports().size(), 1601u);
  // Closed out of order, a scope still unlinks itself.
  auto* a = new KelThreadErrorScope();
  auto* b = new KelThreadErrorScope();
  delete a;
  CKelError(3, "x.cc", 3);
  EXPECT_EQ(b->Reports().size(), 1u);
  delete b;
  CKelError(4, "x.cc", 4);
  EXPECT_EQ(outer.Reports().size(), 3u);
}

TEST(KelTraceTest, LevelGatesWholeLines) {
  struct Row {
    int threshold, level;
    bool written;
  } rows[] = {
      {0, 1, false}, {0, 0, true}, {1, 2, false}, {2, 2, true}, {3, 2, true},
      {3, 4, false}, {4, 4, true}, {5, 4, true}, {4, 5, false},
  };
  for (const Row& row : rows) {
    KelTraceCapture capture(row.threshold);
    EXPECT_EQ(__Kelvane_Debug_Level, row.threshold);
    EXPECT_EQ(KelTraceOn(row.level), row.written);
    genXPLTrace("line", row.level);
    genXPLTracef(row.level, "f%d", row.level);
    EXPECT_EQ(capture.Text(), row.written ? "line\nf" + std::to_string(row.level) + "\n" : "")
        << "threshold " << row.threshold << " level " << row.level;
  }
  // A line ends with one newline; nothing is written for empty or null texts.
  KelTraceCapture capture(4);
  genXPLTrace("\nENTER : DAProcessNewNe()\n", 4);
  genXPLTrace("", 4);
  genXPLTrace(nullptr, 4);
  const std::string big(5000, 'a');
  genXPLTracef(2, "%s[%d]", big.c_str(), 7);
  EXPECT_EQ(capture.Text(), "\nENTER : DAProcessNewNe()\n" + big + "[7]\n");
}

}  // namespace
