// Temporary folders for tests, removed with everything in them.
#ifndef TESTS_SUPPORT_TEMPDIR_H_
#define TESTS_SUPPORT_TEMPDIR_H_

#include <optional>
#include <string>

// A new empty folder under $TMPDIR (or /tmp), removed recursively on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  const std::string& Path() const { return m_Path; }
  // Writes `contents` to `relative` under the folder, making the folders on the way; returns the full path.
  std::string WriteFile(const std::string& relative, const std::string& contents) const;

 private:
  std::string m_Path;
};

// Points ZW_ETC_PATH and ZW_VAR_PATH at two fresh folders while it lives (the previous values come back
// afterwards), so an agent constructed meanwhile reads its files from there. Not for several threads.
class ScopedConfigDirs {
 public:
  ScopedConfigDirs();
  ~ScopedConfigDirs();
  std::string WriteConfig(const std::string& c) const { return m_Etc.WriteFile("conf/tovra/IPv6.conf", c); }
  std::string WritePrefixNames(const std::string& c) const { return m_Etc.WriteFile(kPrefixes, c); }
  std::string WriteHostHistory(const std::string& c) const { return m_Var.WriteFile(kHistory, c); }

 private:
  static constexpr const char* kPrefixes = "conf/tovra/IPv6Prefix.conf";
  static constexpr const char* kHistory = "databases/tovra/IPv6hosts.qar";
  TempDir m_Etc, m_Var;
  std::optional<std::string> m_Old[2];  // of ZW_ETC_PATH, ZW_VAR_PATH
};

#endif  // TESTS_SUPPORT_TEMPDIR_H_
