// Where a run's output goes: the report, the trace, error reports and the
// mediation layer's SNMP reply dumps.
//
// - The report goes to the -o file or to standard output. A regular file
//   (or a new one) is written beside itself under a temporary name, made
//   when the run starts (so that a path that cannot be written stops the
//   run at once), and renamed over the old one once the report is whole:
//   a run that fails or is cut short leaves the previous report as it was.
//   Anything else (a device, a pipe, a symbolic link), and JSON lines (each
//   line whole as it is written, for watching and resuming), are written in
//   place.
// - The trace goes to the --trace-file file or to standard error.
// - Error reports are kept per NE for the report; at trace level 1 and
//   above they are traced too, as level-1 lines.
// - At trace level 4 the mediation layer writes its reply dumps to the
//   process's standard output. So that they never mix with the report,
//   standard output is pointed at the trace's destination for the run and
//   the report is written on the original standard output.
//
// One per process at a time: it changes process-wide sinks and file
// descriptors, and restores them when destroyed. Not thread-safe; set up
// before the workers start.
#ifndef ENGINE_RUNOUTPUT_H_
#define ENGINE_RUNOUTPUT_H_

#include <cstdio>
#include <functional>
#include <ostream>
#include <string>

#include "engine/RunnerOptions.h"
#include "host/KelError.h"
#include "host/KelTrace.h"

class CRunOutput {
 public:
  CRunOutput() = default;
  ~CRunOutput();
  CRunOutput(const CRunOutput&) = delete;
  CRunOutput& operator=(const CRunOutput&) = delete;

  // Sets the trace level, the sinks and the report's destination. False,
  // with `error` a whole phrase, when a file cannot be opened (nothing is
  // changed then).
  bool Open(const CRunnerOptions& options, std::string* error);

  // Has `write` write the report to its destination as it goes (through a
  // buffer, never the whole report in memory). False, with `error`, when it
  // could not be written.
  bool WriteReport(const std::function<void(std::ostream&)>& write, std::string* error);
  // The same in pieces: each WritePart writes (and flushes) the next piece;
  // Finish puts the whole in place.
  bool WritePart(const std::function<void(std::ostream&)>& write, std::string* error);
  bool Finish(std::string* error);

  // True when trace lines go to standard error (where a progress line
  // would mix with them).
  bool TracesToStandardError() const { return m_TraceLevel > 0 && m_TraceFile == nullptr; }

 private:
  int m_TraceLevel = 0;
  int m_PreviousLevel = 0;
  FILE* m_TraceFile = nullptr;
  int m_ReportFd = -1;     // the -o file, or a copy of the original stdout
  bool m_OwnsReportFd = false;
  std::string m_ReportName;
  std::string m_TempName;  // the -o file's temporary name; "" when written in place
  int m_SavedStdout = -1;  // the original stdout while it is redirected
  bool m_Open = false;
  KelTraceSink m_PreviousTraceSink;
  KelErrorSink m_PreviousErrorSink;
};

#endif  // ENGINE_RUNOUTPUT_H_
