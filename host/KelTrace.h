// Tracing. A line of level N is built and written only when
// __Kelvane_Debug_Level is at least N. Calls are serialised, and the
// writers to files end each call's text with a newline when it has none,
// so lines of different threads never mix.
#ifndef HOST_KELTRACE_H_
#define HOST_KELTRACE_H_

#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

// The threshold; 0 (nothing traced) unless set. Set it before starting
// threads that trace.
extern int __Kelvane_Debug_Level;

// Writes `text` when `level` <= __Kelvane_Debug_Level.
void genXPLTrace(const char* text, int level);
// printf-style; the text is only formatted when the level is enabled.
void genXPLTracef(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));

inline bool KelTraceOn(int level) { return __Kelvane_Debug_Level >= level; }

// Where trace text goes: by default standard error. A sink gets each
// call's text exactly as traced (a sink writing to a file uses
// KelWriteTraceLine). A null sink restores the default. Returns the
// previous sink. Calls are serialised.
using KelTraceSink = std::function<void(const std::string& text)>;
KelTraceSink KelSetTraceSink(KelTraceSink sink);

// Writes `text` to `file`, adding a final newline when it has none, and
// flushes.
void KelWriteTraceLine(FILE* file, const std::string& text);

// Collects trace text (from every thread) while it lives, sets the level
// for its lifetime, and restores both afterwards.
class KelTraceCapture {
 public:
  explicit KelTraceCapture(int level = 4);
  ~KelTraceCapture();
  KelTraceCapture(const KelTraceCapture&) = delete;
  KelTraceCapture& operator=(const KelTraceCapture&) = delete;

  std::string Text() const;
  // True when the captured text contains `needle`.
  bool Contains(const std::string& needle) const;
  // Number of times `needle` occurs in the captured text.
  int Count(const std::string& needle) const;
  void Clear();

 private:
  mutable std::mutex m_Mutex;
  std::string m_Text;
  KelTraceSink m_Previous;
  int m_PreviousLevel;
};

#endif  // HOST_KELTRACE_H_
