#include "host/KelTrace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(KelTraceTest, LevelGatesLines) {
  struct Row {
    int threshold;
    int level;
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
    std::string want = row.written ? "line\nf" + std::to_string(row.level) + "\n" : "";
    EXPECT_EQ(capture.Text(), want) << "threshold " << row.threshold << " level " << row.level;
  }
}

TEST(KelTraceTest, WholeLines) {
  KelTraceCapture capture(4);
  genXPLTrace("\nENTER : CDiscoIPv6Agent::DAProcessNewNe()\n", 4);
  genXPLTrace("-- adding x", 3);
  genXPLTrace("", 4);
  genXPLTrace(nullptr, 4);
  genXPLTracef(4, "%s[%d]", "two\nlines", 7);
  EXPECT_EQ(capture.Text(),
            "\nENTER : CDiscoIPv6Agent::DAProcessNewNe()\n"
            "-- adding x\n"
            "two\nlines[7]\n");
  EXPECT_TRUE(capture.Contains("ENTER : "));
  EXPECT_FALSE(capture.Contains("LEAVE : "));
  EXPECT_EQ(capture.Count("\n"), 5);
  EXPECT_EQ(capture.Count(""), 0);
  capture.Clear();
  EXPECT_EQ(capture.Text(), "");
}

TEST(KelTraceTest, LongFormattedText) {
  KelTraceCapture capture(2);
  std::string big(5000, 'a');
  genXPLTracef(2, "<%s>", big.c_str());
  EXPECT_EQ(capture.Text(), "<" + big + ">\n");
}

TEST(KelTraceTest, CaptureRestoresLevelAndSink) {
  __Kelvane_Debug_Level = 1;
  std::string mine;
  KelTraceSink previous = KelSetTraceSink([&mine](const std::string& text) { mine += text; });
  {
    KelTraceCapture capture(4);
    genXPLTrace("captured", 4);
    EXPECT_EQ(capture.Text(), "captured\n");
  }
  EXPECT_EQ(__Kelvane_Debug_Level, 1);
  genXPLTrace("to mine", 1);
  genXPLTrace("too deep", 2);
  KelSetTraceSink(previous);
  EXPECT_EQ(mine, "to mine\n");

  testing::internal::CaptureStderr();
  KelSetTraceSink(nullptr);
  genXPLTrace("to stderr", 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr\n");
  __Kelvane_Debug_Level = 0;
}

TEST(KelTraceTest, LinesFromManyThreadsNeverMix) {
  const int kThreads = 8, kLines = 300;
  KelTraceCapture capture(3);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) {
        if (i % 2 == 0) {
          genXPLTracef(3, "thread %d line %d payload %s", t, i, "abcdefghijklmnopqrstuvwxyz");
        } else {
          std::string text = "thread " + std::to_string(t) + " line " + std::to_string(i) +
                             " payload abcdefghijklmnopqrstuvwxyz";
          genXPLTrace(text.c_str(), 3);
        }
        genXPLTrace("never", 4);
      }
    });
  }
  for (auto& th : threads) th.join();
  std::istringstream in(capture.Text());
  std::string line;
  std::vector<int> next(kThreads, 0);
  int lines = 0;
  while (std::getline(in, line)) {
    int t = -1, i = -1;
    char payload[64] = {0};
    ASSERT_EQ(sscanf(line.c_str(), "thread %d line %d payload %63s", &t, &i, payload), 3) << line;
    ASSERT_TRUE(t >= 0 && t < kThreads) << line;
    EXPECT_STREQ(payload, "abcdefghijklmnopqrstuvwxyz") << line;
    EXPECT_EQ(i, next[t]++) << "lines of one thread keep their order";
    ++lines;
  }
  EXPECT_EQ(lines, kThreads * kLines);
  EXPECT_EQ(capture.Count("never"), 0);
}

}  // namespace
