#include "host/KelError.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// The sink and the lock that serialises every call to it. Function-local
// statics, so that reports made while other libraries initialise work.
// Recursive, so that a sink that itself reports does not hang.
std::recursive_mutex& SinkMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

KelErrorSink& Sink() {
  static KelErrorSink sink;  // empty: the standard-error sink
  return sink;
}

thread_local KelThreadErrorScope* t_InnermostScope = nullptr;

const char* BaseName(const char* path) {
  if (path == nullptr) return "";
  const char* base = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '/' || *p == '\\') base = p + 1;
  }
  return base;
}

void WriteToStandardError(const KelErrorReport& report) {
  std::string line = KelFormatError(report);
  line += '\n';
  fwrite(line.data(), 1, line.size(), stderr);
  fflush(stderr);
}

}  // namespace

CKelError::CKelError(int code, const char* source, int line, const char* message) {
  KelErrorReport report{code, BaseName(source), line, message != nullptr ? message : "", message != nullptr};
  for (KelThreadErrorScope* scope = t_InnermostScope; scope != nullptr; scope = scope->m_Outer) {
    scope->m_Reports.push_back(report);
  }
  std::lock_guard<std::recursive_mutex> lock(SinkMutex());
  if (Sink()) {
    Sink()(report);
  } else {
    WriteToStandardError(report);
  }
}

KelErrorSink KelSetErrorSink(KelErrorSink sink) {
  std::lock_guard<std::recursive_mutex> lock(SinkMutex());
  KelErrorSink previous = std::move(Sink());
  Sink() = std::move(sink);
  return previous;
}

std::string KelFormatError(const KelErrorReport& report) {
  std::string line = "error " + std::to_string(report.code) + " at " + report.source + ":" +
                     std::to_string(report.line);
  if (report.hasMessage) line += ": " + report.message;
  return line;
}

KelErrorCapture::KelErrorCapture() {
  // The sink is replaced under the sink lock, and calls to it run under
  // that lock too, so no report reaches this object after the destructor
  // has put the previous sink back.
  m_Previous = KelSetErrorSink([this](const KelErrorReport& report) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Reports.push_back(report);
  });
}

KelErrorCapture::~KelErrorCapture() { KelSetErrorSink(std::move(m_Previous)); }

std::vector<KelErrorReport> KelErrorCapture::Reports() const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  return m_Reports;
}

int KelErrorCapture::Count(int code, const char* message) const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  int count = 0;
  for (const KelErrorReport& report : m_Reports) {
    if (report.code != code) continue;
    if (message != nullptr && (!report.hasMessage || report.message != message)) continue;
    ++count;
  }
  return count;
}

void KelErrorCapture::Clear() {
  std::lock_guard<std::mutex> lock(m_Mutex);
  m_Reports.clear();
}

KelThreadErrorScope::KelThreadErrorScope() : m_Outer(t_InnermostScope) { t_InnermostScope = this; }

KelThreadErrorScope::~KelThreadErrorScope() {
  // Scopes normally close innermost first; unlink from the middle of the
  // chain too, so that an out-of-order close leaves no dangling scope.
  KelThreadErrorScope** link = &t_InnermostScope;
  while (*link != nullptr && *link != this) link = &(*link)->m_Outer;
  if (*link == this) *link = m_Outer;
}
