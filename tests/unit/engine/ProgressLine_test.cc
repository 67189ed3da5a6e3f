// The progress line: shown only while at least two NEs are under way, erased at the end.
#include <gtest/gtest.h>

#include "engine/ProgressLine.h"

TEST(ProgressLineTest, RewritesInPlaceErasesAtTheEndAndIsSilentOtherwise) {
  char text[512] = "";
  FILE* file = fmemopen(text, sizeof text, "w");
  {
    CProgressLine off(file, false), single(file, true), line(file, true);
    off.Update(0, 10);
    single.Update(0, 1);  // a single NE: no line
    single.Update(1, 1);
    for (size_t done : {0, 0, 2, 4, 5}) line.Update(done, 5);  // unchanged: not written; one left: erased
  }
  std::fclose(file);
  EXPECT_STREQ(text, "\ripv6disco: 0/5 NEs done, 5 under way\033[K"
                     "\ripv6disco: 2/5 NEs done, 3 under way\033[K\r\033[K");
}
