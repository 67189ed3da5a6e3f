#include "tests/support/SnmpSim.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "snmp/NetSnmpRequester.h"
#include "tests/support/SnmpTestUtil.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// snmpsim picks a request's data file from the community's context and the endpoint's transport ID T:
// <md5("public")>/T for "public", T at the top for SNMPv3. A "public" file must exist for the community.
const char kPublicContext[] = "4c9184f37cff01bcdc32dc486ec36961";

bool IsAddress(const std::string& text, bool* ipv6) {
  unsigned char bytes[16];
  *ipv6 = inet_pton(AF_INET6, text.c_str(), bytes) == 1;
  return *ipv6 || inet_pton(AF_INET, text.c_str(), bytes) == 1;
}

int FreePort() {
  const int fd = socket(AF_INET6, SOCK_DGRAM, 0);
  int off = 0, port = 0;
  setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof(off));
  sockaddr_in6 addr{AF_INET6, 0, 0, {}, 0};
  socklen_t length = sizeof(addr);
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), length) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) == 0) {
    port = ntohs(addr.sin6_port);
  }
  if (fd >= 0) close(fd);
  return port;
}

bool Answers(const std::string& address, int port) {
  CNetSnmpOptions options;
  options.port = port, options.timeoutMs = 300, options.retries = 0;
  std::unique_ptr<CNetSnmpRequester> live = CNetSnmpRequester::Create(options, nullptr);
  delete live->DSRSnmpGet(RecordAt(address).get(), "sysDescr", "0", nullptr);
  return live->DSRCounts().pdus == 1 && live->DSRCounts().noAnswer == 0;
}

}  // namespace

std::string SnmpSim::Executable() {
  for (const char* path : {"/usr/bin/snmpsimd", "/usr/local/bin/snmpsimd", "/usr/bin/snmpsimd.py"}) {
    if (access(path, X_OK) == 0) return path;
  }
  return "";
}

bool SnmpSim::MustRun() { return getenv("CI") != nullptr && std::string(getenv("CI")) == "true"; }

void SnmpSim::AddFolder(const std::string& folder) {
  std::error_code ec;
  const std::set<fs::path> files(fs::directory_iterator(folder, ec), fs::directory_iterator());
  bool ipv6 = false;
  for (const fs::path& file : files) {
    if ((file.extension() == ".snmprec" || file.extension() == ".walk") && IsAddress(file.stem(), &ipv6)) {
      m_Devices.push_back({file.stem(), file, ipv6});
    }
  }
}

void SnmpSim::AddV3User(const std::string& user, const std::string& authProto, const std::string& authKey,
                        const std::string& privProto, const std::string& privKey) {
  m_V3Args.insert(m_V3Args.end(), {"--v3-user=" + user, "--v3-auth-key=" + authKey,
                                   "--v3-auth-proto=" + authProto, "--v3-priv-key=" + privKey,
                                   "--v3-priv-proto=" + privProto});
}

// The simulator drops to "nobody": it must read the data and write the cache.
bool SnmpSim::WriteDataFolder() {
  const fs::path top = m_Dir.Path(), data = top / "data";
  std::error_code ec;
  fs::create_directories(data / kPublicContext, ec);
  fs::create_directories(top / "cache", ec);
  std::ofstream(data / "public.snmprec") << "1.3.6.1.2.1.1.1.0|4|no device at this endpoint\n";
  bool ok = chmod((top / "cache").c_str(), 0777) == 0 && chmod((data / "public.snmprec").c_str(), 0644) == 0;
  for (const fs::path& dir : {top, data, data / kPublicContext}) ok = ok && chmod(dir.c_str(), 0755) == 0;
  int v4 = 0, v6 = 0;
  for (const Device& device : m_Devices) {
    const std::string file = (device.ipv6 ? "1.3.6.1.2.1.100.1.2." + std::to_string(v6++)
                                          : "1.3.6.1.6.1.1." + std::to_string(v4++)) +
                             (fs::path(device.file).extension() == ".walk" ? ".snmpwalk" : ".snmprec");
    for (const fs::path& to : {data / kPublicContext / file, data / file}) {
      ok = ok && fs::copy_file(device.file, to, fs::copy_options::overwrite_existing, ec) &&
           chmod(to.c_str(), 0644) == 0;
    }
  }
  if (!ok) m_Error = "cannot write the data folder under " + m_Dir.Path();
  return ok;
}

bool SnmpSim::Start(std::chrono::seconds timeout) {
  if (m_Error.empty() && (Executable().empty() || m_Devices.empty())) {
    m_Error = m_Devices.empty() ? "no device to serve" : "snmpsimd is not installed";
  }
  if (m_Error.empty() && (m_Port = FreePort()) == 0) m_Error = "no free UDP port";
  if (!m_Error.empty() || !WriteDataFolder()) return false;
  const std::string top = m_Dir.Path(), port = ":" + std::to_string(m_Port), log = top + "/snmpsimd.log";
  std::vector<std::string> args = {Executable(), "--data-dir=" + top + "/data",
                                    "--cache-dir=" + top + "/cache"};
  if (geteuid() == 0) args.insert(args.end(), {"--process-user=nobody", "--process-group=nogroup"});
  args.insert(args.end(), m_V3Args.begin(), m_V3Args.end());
  for (const Device& d : m_Devices) {
    args.push_back(d.ipv6 ? "--agent-udpv6-endpoint=[" + d.address + "]" + port
                          : "--agent-udpv4-endpoint=" + d.address + port);
  }
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (posix_spawn(&m_Pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) m_Pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (size_t ready = 0; m_Pid > 0 && std::chrono::steady_clock::now() < deadline;) {  // those answering
    if (waitpid(m_Pid, nullptr, WNOHANG) == m_Pid) m_Pid = -1;
    while (m_Pid > 0 && ready < m_Devices.size() && Answers(m_Devices[ready].address, m_Port)) ++ready;
    if (ready == m_Devices.size()) return true;
    std::this_thread::sleep_for(100ms);
  }
  m_Error = (m_Pid > 0 ? "no answer in time" : "snmpsimd ended") + std::string("; log:\n") + Log();
  Stop();
  return false;
}

void SnmpSim::Stop() {
  if (m_Pid <= 0) return;
  kill(m_Pid, SIGTERM);
  int i = 0;
  while (waitpid(m_Pid, nullptr, WNOHANG) != m_Pid && ++i < 50) std::this_thread::sleep_for(100ms);
  if (i == 50 && kill(m_Pid, SIGKILL) == 0) waitpid(m_Pid, nullptr, 0);
  m_Pid = -1;
}

std::string SnmpSim::Log() const {
  std::ostringstream text;
  text << std::ifstream(m_Dir.Path() + "/snmpsimd.log").rdbuf();
  const std::string log = text.str();
  return log.size() > 4000 ? "..." + log.substr(log.size() - 4000) : log;
}
