// Temporary folders for tests, removed with everything in them.
#ifndef TESTS_SUPPORT_TEMPDIR_H_
#define TESTS_SUPPORT_TEMPDIR_H_

#include <string>

// A new empty folder under $TMPDIR (or /tmp), removed recursively on
// destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return m_Path; }
  // Writes `contents` to `relative` under the folder, making the folders on
  // the way. Returns the full path.
  std::string WriteFile(const std::string& relative, const std::string& contents) const;

 private:
  std::string m_Path;
};

// Points ZW_ETC_PATH and ZW_VAR_PATH at two fresh folders for its lifetime
// (restoring the previous values afterwards), so an agent constructed
// meanwhile reads its files from there. Not for use from several threads.
class ScopedConfigDirs {
 public:
  ScopedConfigDirs();
  ~ScopedConfigDirs();
  ScopedConfigDirs(const ScopedConfigDirs&) = delete;
  ScopedConfigDirs& operator=(const ScopedConfigDirs&) = delete;

  const std::string& Etc() const { return m_Etc.Path(); }
  const std::string& Var() const { return m_Var.Path(); }
  // Files at the places the agent reads them from.
  std::string WriteConfig(const std::string& contents) const;      // conf/tovra/IPv6.conf
  std::string WritePrefixNames(const std::string& contents) const; // conf/tovra/IPv6Prefix.conf
  std::string WriteHostHistory(const std::string& contents) const; // databases/tovra/IPv6hosts.qar

 private:
  TempDir m_Etc;
  TempDir m_Var;
  bool m_HadEtc, m_HadVar;
  std::string m_OldEtc, m_OldVar;
};

#endif  // TESTS_SUPPORT_TEMPDIR_H_
