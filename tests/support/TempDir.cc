#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

TempDir::TempDir() {
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                        "/ipv6disco-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed: " + pattern);
  m_Path = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(m_Path, ignored);
}

std::string TempDir::WriteFile(const std::string& relative, const std::string& contents) const {
  fs::path path = fs::path(m_Path) / relative;
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
  if (!out) throw std::runtime_error("cannot write " + path.string());
  return path.string();
}

namespace {

bool SaveEnv(const char* name, std::string* value) {
  const char* v = getenv(name);
  if (v == nullptr) return false;
  *value = v;
  return true;
}

void RestoreEnv(const char* name, bool had, const std::string& value) {
  if (had) {
    setenv(name, value.c_str(), 1);
  } else {
    unsetenv(name);
  }
}

}  // namespace

ScopedConfigDirs::ScopedConfigDirs() {
  m_HadEtc = SaveEnv("ZW_ETC_PATH", &m_OldEtc);
  m_HadVar = SaveEnv("ZW_VAR_PATH", &m_OldVar);
  setenv("ZW_ETC_PATH", m_Etc.Path().c_str(), 1);
  setenv("ZW_VAR_PATH", m_Var.Path().c_str(), 1);
}

ScopedConfigDirs::~ScopedConfigDirs() {
  RestoreEnv("ZW_ETC_PATH", m_HadEtc, m_OldEtc);
  RestoreEnv("ZW_VAR_PATH", m_HadVar, m_OldVar);
}

std::string ScopedConfigDirs::WriteConfig(const std::string& contents) const {
  return m_Etc.WriteFile("conf/tovra/IPv6.conf", contents);
}

std::string ScopedConfigDirs::WritePrefixNames(const std::string& contents) const {
  return m_Etc.WriteFile("conf/tovra/IPv6Prefix.conf", contents);
}

std::string ScopedConfigDirs::WriteHostHistory(const std::string& contents) const {
  return m_Var.WriteFile("databases/tovra/IPv6hosts.qar", contents);
}
