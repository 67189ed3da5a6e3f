// The progress line on standard error: "ipv6disco: 3/7 NEs done, 4 under
// way", rewritten in place while more than one NE is under way, and
// erased at the end. Shown only when `enabled` (the runner enables it when
// standard error is a terminal that no trace writes to). Used by one
// thread.
#ifndef ENGINE_PROGRESSLINE_H_
#define ENGINE_PROGRESSLINE_H_

#include <cstddef>
#include <cstdio>
#include <string>

class CProgressLine {
 public:
  CProgressLine(FILE* out, bool enabled) : m_Out(out), m_Enabled(enabled) {}
  ~CProgressLine() { Finish(); }
  CProgressLine(const CProgressLine&) = delete;
  CProgressLine& operator=(const CProgressLine&) = delete;

  // Shows `done` of `total` (nothing when fewer than two are under way).
  void Update(size_t done, size_t total);
  // Erases the line, if one is shown.
  void Finish();

  // The text shown for `done` of `total`.
  static std::string Text(size_t done, size_t total);

 private:
  FILE* m_Out;
  bool m_Enabled;
  bool m_Shown = false;
  std::string m_Last;
};

#endif  // ENGINE_PROGRESSLINE_H_
