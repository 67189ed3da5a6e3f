// snmpsimd serving recorded devices: one process, one UDP endpoint per device address (which must be on an
// interface), all on one free port. SNMPv1/v2c use the community "public", SNMPv3 the users of AddV3User in
// the default context. Stopped and reaped when destroyed.
#ifndef TESTS_SUPPORT_SNMPSIM_H_
#define TESTS_SUPPORT_SNMPSIM_H_

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

class SnmpSim {
 public:
  SnmpSim() = default;
  ~SnmpSim() { Stop(); }
  SnmpSim(const SnmpSim&) = delete;

  static std::string Executable();  // "" when snmpsimd is not installed
  static bool MustRun();            // under CI: never skip for want of the simulator
#ifdef TEST_SOURCE_DIR
  static std::string FixtureFolder() { return std::string(TEST_SOURCE_DIR) + "/tests/fixtures/snmp/devices"; }
#endif

  // Before Start: every <address>.snmprec/.walk of `folder`, a user.
  void AddFolder(const std::string& folder);
  void AddV3User(const std::string& user, const std::string& authProto, const std::string& authKey,
                 const std::string& privProto, const std::string& privKey);

  // Starts on a free port, waits until every endpoint answers; false, with Error(), if not in `timeout`.
  bool Start(std::chrono::seconds timeout = std::chrono::seconds(40));
  void Stop();

  int Port() const { return m_Port; }
  const std::string& Error() const { return m_Error; }
  std::string Log() const;  // what the simulator wrote so far

 private:
  struct Device { std::string address, file; bool ipv6; };
  bool WriteDataFolder();

  std::vector<Device> m_Devices;
  std::vector<std::string> m_V3Args;
  TempDir m_Dir;
  pid_t m_Pid = -1;
  int m_Port = 0;
  std::string m_Error;
};

// Skips the test when snmpsimd is not installed, except under CI, where it fails.
#define REQUIRE_SNMPSIM()                                                                           \
  do {                                                                                              \
    if (SnmpSim::Executable().empty() && SnmpSim::MustRun()) FAIL() << "snmpsimd is not installed"; \
    if (SnmpSim::Executable().empty()) GTEST_SKIP() << "snmpsimd is not installed (package snmpsim)"; \
  } while (0)

#endif  // TESTS_SUPPORT_SNMPSIM_H_
