#include "engine/RunOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <streambuf>

namespace {

// Writes all of [data, data + size) to `fd`, going on after interruptions.
bool WriteAll(int fd, const char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = write(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// An output buffer on a file descriptor (not owned). After the first failed
// write it takes nothing more, and Error() gives that write's errno.
class FdBuffer : public std::streambuf {
 public:
  explicit FdBuffer(int fd) : m_Fd(fd) { setp(m_Data, m_Data + sizeof m_Data); }
  int Error() const { return m_Error; }

 protected:
  int sync() override { return Flush() ? 0 : -1; }
  int_type overflow(int_type c) override {
    if (!Flush()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

 private:
  bool Flush() {
    if (m_Error == 0 && !WriteAll(m_Fd, pbase(), static_cast<size_t>(pptr() - pbase()))) m_Error = errno;
    setp(m_Data, m_Data + sizeof m_Data);
    return m_Error == 0;
  }
  const int m_Fd;
  int m_Error = 0;
  char m_Data[1 << 16];
};

// Opens a new file beside `path` for the report to replace it with, taking
// the permissions `path` has (or a new file would get); -1 when none can
// be made (the report is then written in place) or when `path` is not a
// regular file. Sets `temp` to its name.
int OpenBeside(const std::string& path, std::string* temp) {
  struct stat st;
  const bool exists = lstat(path.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return -1;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  *temp = folder + "." + path.substr(folder.size()) + ".XXXXXX";
  const int fd = mkostemp(&(*temp)[0], O_CLOEXEC);
  if (fd < 0) return -1;
  mode_t mode = 0;
  if (exists) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);  // set up before any thread starts
    umask(mask);
    mode = 0644 & ~mask;
  }
  fchmod(fd, mode);
  return fd;
}

}  // namespace

bool CRunOutput::Open(const CRunnerOptions& options, std::string* error) {
  if (m_Open) return true;
  FILE* traceFile = nullptr;
  if (!options.traceFile.empty()) {
    traceFile = std::fopen(options.traceFile.c_str(), "w");
    if (traceFile == nullptr) {
      *error = "cannot write the trace file '" + options.traceFile + "': " + std::strerror(errno);
      return false;
    }
  }
  int reportFd = -1;
  if (!options.output.empty()) {
    // JSON lines are for watching a run and resuming one that died: each
    // line is whole when written, so the file is written where it stands.
    if (options.format != EReportFormat::kJsonLines) reportFd = OpenBeside(options.output, &m_TempName);
    if (reportFd < 0) {
      m_TempName.clear();
      reportFd = open(options.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }
    if (reportFd < 0) {
      *error = "cannot write the report '" + options.output + "': " + std::strerror(errno);
      if (traceFile != nullptr) std::fclose(traceFile);
      return false;
    }
    m_OwnsReportFd = true;
    m_ReportName = options.output;
  } else {
    reportFd = STDOUT_FILENO;
    m_ReportName = "standard output";
  }

  m_Open = true;
  m_TraceLevel = options.traceLevel;
  m_TraceFile = traceFile;
  m_ReportFd = reportFd;
  if (m_TraceFile != nullptr) {
    FILE* file = m_TraceFile;
    m_PreviousTraceSink = KelSetTraceSink([file](const std::string& text) { KelWriteTraceLine(file, text); });
  }
  m_PreviousErrorSink = KelSetErrorSink([](const KelErrorReport& report) {
    if (KelTraceOn(1)) genXPLTrace(KelFormatError(report).c_str(), 1);
  });
  m_PreviousLevel = __Kelvane_Debug_Level;
  __Kelvane_Debug_Level = m_TraceLevel;

  if (m_TraceLevel >= 4) {
    // The reply dumps follow the trace; the report keeps the real stdout.
    std::fflush(stdout);
    m_SavedStdout = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    const int traceFd = m_TraceFile != nullptr ? fileno(m_TraceFile) : STDERR_FILENO;
    if (m_SavedStdout >= 0 && dup2(traceFd, STDOUT_FILENO) >= 0) {
      if (!m_OwnsReportFd) m_ReportFd = m_SavedStdout;
    } else if (m_SavedStdout >= 0) {
      close(m_SavedStdout);
      m_SavedStdout = -1;
    }
  }
  return true;
}

bool CRunOutput::WriteReport(const std::function<void(std::ostream&)>& write, std::string* error) {
  return WritePart(write, error) && Finish(error);
}

bool CRunOutput::WritePart(const std::function<void(std::ostream&)>& write, std::string* error) {
  if (!m_Open) {
    *error = "the report has no destination";
    return false;
  }
  auto buffer = std::make_unique<FdBuffer>(m_ReportFd);
  std::ostream out(buffer.get());
  write(out);
  out.flush();
  if (buffer->Error() != 0) {
    *error = "cannot write the report to " + m_ReportName + ": " + std::strerror(buffer->Error());
    return false;
  }
  return true;
}

bool CRunOutput::Finish(std::string* error) {
  if (!m_TempName.empty()) {
    const bool closed = close(m_ReportFd) == 0;
    m_OwnsReportFd = false;
    if (!closed || rename(m_TempName.c_str(), m_ReportName.c_str()) != 0) {
      *error = "cannot write the report to " + m_ReportName + ": " + std::strerror(errno);
      return false;  // the destructor removes the temporary file
    }
    m_TempName.clear();
  }
  return true;
}

CRunOutput::~CRunOutput() {
  if (!m_Open) return;
  if (m_SavedStdout >= 0) {
    std::fflush(stdout);
    dup2(m_SavedStdout, STDOUT_FILENO);
    close(m_SavedStdout);
  }
  if (m_OwnsReportFd) close(m_ReportFd);
  if (!m_TempName.empty()) unlink(m_TempName.c_str());  // the report never became whole
  __Kelvane_Debug_Level = m_PreviousLevel;
  KelSetErrorSink(m_PreviousErrorSink);
  if (m_TraceFile != nullptr) {
    KelSetTraceSink(m_PreviousTraceSink);
    std::fclose(m_TraceFile);
  }
}
