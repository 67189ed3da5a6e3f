// Error reports. Constructing a CKelError reports it at once to the
// process-wide sink (default: one line on standard error) and to every
// KelThreadErrorScope open on the calling thread. Thread-safe.
#ifndef HOST_KELERROR_H_
#define HOST_KELERROR_H_

#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct KelErrorReport {
  int code;
  std::string source;   // file name without directories
  int line;
  std::string message;  // "" when the report carries none
  bool hasMessage;
};

class CKelError {
 public:
  // Reports at once. `source` may be a path (only its last part is kept);
  // `message` may be null.
  CKelError(int code, const char* source, int line, const char* message = nullptr);
  CKelError(const CKelError&) = delete;
  CKelError& operator=(const CKelError&) = delete;
};

using KelErrorSink = std::function<void(const KelErrorReport&)>;

// Replaces the process-wide sink; a null sink restores the standard-error
// sink. Returns the previous sink. Calls to the sink are serialised.
KelErrorSink KelSetErrorSink(KelErrorSink sink);

// The standard-error sink's line for a report:
// "error <code> at <source>:<line>[: <message>]".
std::string KelFormatError(const KelErrorReport& report);

// Collects every report made on any thread while it lives, instead of the
// process-wide sink, which it restores on destruction. Not nestable with
// another sink change on other threads.
class KelErrorCapture {
 public:
  KelErrorCapture();
  ~KelErrorCapture();
  KelErrorCapture(const KelErrorCapture&) = delete;
  KelErrorCapture& operator=(const KelErrorCapture&) = delete;

  std::vector<KelErrorReport> Reports() const;
  // Number of reports with this code (and this message, when given).
  int Count(int code, const char* message = nullptr) const;
  void Clear();

 private:
  mutable std::mutex m_Mutex;
  std::vector<KelErrorReport> m_Reports;
  KelErrorSink m_Previous;
};

// Collects the reports made on the current thread while it lives (they
// still reach the process-wide sink). Scopes nest; each open scope on the
// thread receives the report.
class KelThreadErrorScope {
 public:
  KelThreadErrorScope();
  ~KelThreadErrorScope();
  KelThreadErrorScope(const KelThreadErrorScope&) = delete;
  KelThreadErrorScope& operator=(const KelThreadErrorScope&) = delete;

  const std::vector<KelErrorReport>& Reports() const { return m_Reports; }

 private:
  friend class CKelError;
  std::vector<KelErrorReport> m_Reports;
  KelThreadErrorScope* m_Outer;
};

#endif  // HOST_KELERROR_H_
