#include "host/KelError.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(KelErrorTest, CaptureRecordsCodeSourceLineAndMessage) {
  KelErrorCapture capture;
  struct Row {
    int code;
    const char* source;
    int line;
    const char* message;
    const char* wantSource;
    const char* wantLine;
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
}

TEST(KelErrorTest, DefaultSinkWritesOneLineToStandardError) {
  testing::internal::CaptureStderr();
  CKelError(-220439, "dir/File.cc", 42, "sysDescr value null....");
  CKelError(-220553, "File.cc", 43);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err,
            "error -220439 at File.cc:42: sysDescr value null....\n"
            "error -220553 at File.cc:43\n");
}

TEST(KelErrorTest, SinkCanBeReplacedAndRestored) {
  std::vector<int> codes;
  KelErrorSink previous = KelSetErrorSink([&codes](const KelErrorReport& r) { codes.push_back(r.code); });
  CKelError(1, "a.cc", 1);
  {
    KelErrorCapture capture;  // takes over, then gives our sink back
    CKelError(2, "a.cc", 2);
    EXPECT_EQ(capture.Count(2), 1);
  }
  CKelError(3, "a.cc", 3);
  KelSetErrorSink(previous);
  EXPECT_EQ(codes, (std::vector<int>{1, 3}));

  testing::internal::CaptureStderr();
  KelSetErrorSink(nullptr);  // null restores standard error
  CKelError(4, "a.cc", 4);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "error 4 at a.cc:4\n");
}

TEST(KelErrorTest, ThreadScopeSeesOnlyItsOwnThread) {
  KelErrorCapture all;  // keeps the other threads' reports off stderr
  KelThreadErrorScope outer;
  CKelError(10, "main.cc", 1);
  std::vector<std::vector<int>> seen(4);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&seen, t] {
      KelThreadErrorScope mine;
      for (int i = 0; i < 50; ++i) CKelError(100 + t, "worker.cc", i);
      for (const KelErrorReport& r : mine.Reports()) seen[t].push_back(r.code);
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < 4; ++t) {
    EXPECT_EQ(seen[t], std::vector<int>(50, 100 + t)) << "thread " << t;
  }
  ASSERT_EQ(outer.Reports().size(), 1u);
  EXPECT_EQ(outer.Reports()[0].code, 10);
  // The process-wide capture got everything.
  EXPECT_EQ(all.Reports().size(), 201u);
  for (int t = 0; t < 4; ++t) EXPECT_EQ(all.Count(100 + t), 50);
}

TEST(KelErrorTest, NestedScopesBothReceive) {
  KelErrorCapture all;
  KelThreadErrorScope outer;
  {
    KelThreadErrorScope inner;
    CKelError(1, "x.cc", 1);
    EXPECT_EQ(inner.Reports().size(), 1u);
  }
  CKelError(2, "x.cc", 2);
  ASSERT_EQ(outer.Reports().size(), 2u);
  EXPECT_EQ(outer.Reports()[1].code, 2);

  // Closed out of order, a scope still unlinks itself.
  auto* a = new KelThreadErrorScope();
  auto* b = new KelThreadErrorScope();
  delete a;
  CKelError(3, "x.cc", 3);
  EXPECT_EQ(b->Reports().size(), 1u);
  delete b;
  CKelError(4, "x.cc", 4);
  EXPECT_EQ(outer.Reports().size(), 4u);
}

TEST(KelErrorTest, CaptureCollectsFromManyThreadsAtOnce) {
  KelErrorCapture capture;
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 200; ++i) CKelError(t, "many.cc", i, "m");
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(capture.Reports().size(), 1600u);
  for (int t = 0; t < 8; ++t) EXPECT_EQ(capture.Count(t, "m"), 200) << t;
}

}  // namespace
