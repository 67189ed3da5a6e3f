#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

TempDir::TempDir() {
  const char* base = getenv("TMPDIR");
  m_Path = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/ipv6disco-test-XXXXXX";
  if (mkdtemp(m_Path.data()) == nullptr) throw std::runtime_error("mkdtemp failed: " + m_Path);
}

TempDir::~TempDir() { std::error_code ignored; fs::remove_all(m_Path, ignored); }

std::string TempDir::WriteFile(const std::string& relative, const std::string& contents) const {
  fs::path path = fs::path(m_Path) / relative;
  fs::create_directories(path.parent_path());
  if (!(std::ofstream(path) << contents)) throw std::runtime_error("cannot write " + relative);
  return path.string();
}

static const char* const kNames[] = {"ZW_ETC_PATH", "ZW_VAR_PATH"};
ScopedConfigDirs::ScopedConfigDirs() {
  for (int i = 0; i < 2; ++i) {
    if (const char* old = getenv(kNames[i])) m_Old[i] = old;
    setenv(kNames[i], (i == 0 ? m_Etc : m_Var).Path().c_str(), 1);
  }
}

ScopedConfigDirs::~ScopedConfigDirs() {
  for (int i = 0; i < 2; ++i) m_Old[i] ? setenv(kNames[i], m_Old[i]->c_str(), 1) : unsetenv(kNames[i]);
}
