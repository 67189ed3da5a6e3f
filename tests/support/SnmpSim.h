// The snmpsim simulator (snmpsimd) serving recorded devices for live SNMP
// tests: one simulator process with one UDP endpoint per device address,
// all on one free port. Devices are the files of tests/fixtures/snmp
// (<address>.snmprec or <address>.walk); the addresses must exist on an
// interface (the integration sandbox puts the fixture addresses on
// loopback; 127.0.0.0/8 always is).
//
// SNMPv1 and v2c use the community "public"; SNMPv3 uses the users added
// with AddV3User and the default context. The object stops (and reaps) the
// simulator when destroyed. Not thread-safe; one per test.
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
  ~SnmpSim();
  SnmpSim(const SnmpSim&) = delete;
  SnmpSim& operator=(const SnmpSim&) = delete;

  // Path of snmpsimd, or "" when it is not installed.
  static std::string Executable();
  // True when tests must not be skipped for want of the simulator (CI).
  static bool MustRun();
  // The folder of the recorded devices in the source tree (for test
  // executables, which know TEST_SOURCE_DIR).
#ifdef TEST_SOURCE_DIR
  static std::string FixtureFolder() {
    return std::string(TEST_SOURCE_DIR) + "/tests/fixtures/snmp/devices";
  }
#endif

  // Serves `file` (.snmprec or .walk) at `address` (an IPv4 or IPv6
  // address). Call before Start.
  void AddDevice(const std::string& address, const std::string& file);
  // Serves every <address>.snmprec and <address>.walk of `folder`.
  void AddFolder(const std::string& folder);
  // Adds an SNMPv3 user (protocols as snmpsimd names them: "MD5", "SHA",
  // "DES", "AES"). Call before Start.
  void AddV3User(const std::string& user, const std::string& authProto,
                 const std::string& authKey, const std::string& privProto,
                 const std::string& privKey);

  // Starts the simulator on a free port and waits until every endpoint
  // answers a GET. False, with Error() saying why, when it does not come up
  // within `timeout`.
  bool Start(std::chrono::seconds timeout = std::chrono::seconds(40));
  void Stop();

  int Port() const { return m_Port; }
  const std::string& Error() const { return m_Error; }
  // What the simulator wrote so far (for failure messages).
  std::string Log() const;

 private:
  struct Device {
    std::string address;
    std::string file;
    bool ipv6;
  };
  bool WriteDataFolder();
  bool Answers(const Device& device) const;

  std::vector<Device> m_Devices;
  std::vector<std::string> m_V3Args;
  TempDir m_Dir;
  pid_t m_Pid = -1;
  int m_Port = 0;
  std::string m_Error;
};

// Skips the test when snmpsimd is not installed, except under CI, where it
// fails: a machine with the simulator always runs the live tests.
#define REQUIRE_SNMPSIM()                                                        \
  do {                                                                           \
    if (SnmpSim::Executable().empty()) {                                         \
      if (SnmpSim::MustRun()) FAIL() << "snmpsimd is not installed (CI)";        \
      GTEST_SKIP() << "snmpsimd is not installed (Debian package snmpsim)";      \
    }                                                                            \
  } while (0)

#endif  // TESTS_SUPPORT_SNMPSIM_H_
