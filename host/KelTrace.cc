#include "host/KelTrace.h"

#include <cstdarg>
#include <cstdio>
#include <utility>
#include <vector>

int __Kelvane_Debug_Level = 0;

namespace {

// Serialises every write and sink change. Recursive, so that a sink that
// traces itself does not hang.
std::recursive_mutex& TraceMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

KelTraceSink& Sink() {
  static KelTraceSink sink;  // empty: standard error
  return sink;
}

void Write(const std::string& text) {
  if (text.empty()) return;
  std::lock_guard<std::recursive_mutex> lock(TraceMutex());
  if (Sink()) {
    Sink()(text);
  } else {
    KelWriteTraceLine(stderr, text);
  }
}

}  // namespace

void KelWriteTraceLine(FILE* file, const std::string& text) {
  fwrite(text.data(), 1, text.size(), file);
  if (!text.empty() && text.back() != '\n') fputc('\n', file);
  fflush(file);
}

void genXPLTrace(const char* text, int level) {
  if (!KelTraceOn(level) || text == nullptr) return;
  Write(text);
}

void genXPLTracef(int level, const char* format, ...) {
  if (!KelTraceOn(level) || format == nullptr) return;
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  int length = vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length > 0) {
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    Write(std::string(buffer.data(), static_cast<size_t>(length)));
    return;
  }
  va_end(args);
}

KelTraceSink KelSetTraceSink(KelTraceSink sink) {
  std::lock_guard<std::recursive_mutex> lock(TraceMutex());
  KelTraceSink previous = std::move(Sink());
  Sink() = std::move(sink);
  return previous;
}

KelTraceCapture::KelTraceCapture(int level) : m_PreviousLevel(__Kelvane_Debug_Level) {
  m_Previous = KelSetTraceSink([this](const std::string& text) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Text += text;
  });
  __Kelvane_Debug_Level = level;
}

KelTraceCapture::~KelTraceCapture() {
  __Kelvane_Debug_Level = m_PreviousLevel;
  KelSetTraceSink(std::move(m_Previous));
}

std::string KelTraceCapture::Text() const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  return m_Text;
}

bool KelTraceCapture::Contains(const std::string& needle) const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  return m_Text.find(needle) != std::string::npos;
}

int KelTraceCapture::Count(const std::string& needle) const {
  if (needle.empty()) return 0;
  std::lock_guard<std::mutex> lock(m_Mutex);
  int count = 0;
  for (size_t at = m_Text.find(needle); at != std::string::npos; at = m_Text.find(needle, at + needle.size())) {
    ++count;
  }
  return count;
}

void KelTraceCapture::Clear() {
  std::lock_guard<std::mutex> lock(m_Mutex);
  m_Text.clear();
}
