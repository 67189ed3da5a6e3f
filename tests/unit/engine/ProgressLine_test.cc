// The progress line: shown only while at least two NEs are under way, and
// erased at the end.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/ProgressLine.h"

namespace {

// Everything written to a temporary file.
std::string Contents(FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  int c;
  while ((c = std::fgetc(file)) != EOF) text += static_cast<char>(c);
  return text;
}

TEST(ProgressLineTest, RewritesInPlaceErasesAtTheEndAndIsSilentOtherwise) {
  FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  {
    CProgressLine off(file, false);
    off.Update(0, 10);
    CProgressLine single(file, true);  // a single NE: no line
    single.Update(0, 1);
    single.Update(1, 1);
    CProgressLine line(file, true);
    line.Update(0, 5);
    line.Update(0, 5);  // unchanged: not written again
    line.Update(2, 5);
    line.Update(4, 5);  // one left: the line goes
    line.Update(5, 5);
  }
  EXPECT_EQ(Contents(file),
            "\ripv6disco: 0/5 NEs done, 5 under way\033[K"
            "\ripv6disco: 2/5 NEs done, 3 under way\033[K"
            "\r\033[K");
  std::fclose(file);
}

}  // namespace
