#include "tests/support/SnmpSim.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

// snmpsim picks the data file of a request by candidates built from the
// community's context name and the endpoint's transport ID. For SNMPv1/v2c
// the context of community "public" is the MD5 hex of "public", so the
// file of endpoint ID T is <md5("public")>/T; for SNMPv3 with the default
// context it is T at the top. A "public" file must exist for the community
// to be known at all.
const char kPublicContext[] = "4c9184f37cff01bcdc32dc486ec36961";  // md5("public")
const char kUdp4Domain[] = "1.3.6.1.6.1.1.";
const char kUdp6Domain[] = "1.3.6.1.2.1.100.1.2.";

bool IsAddress(const std::string& text, bool* ipv6) {
  unsigned char bytes[16];
  if (inet_pton(AF_INET, text.c_str(), bytes) == 1) {
    *ipv6 = false;
    return true;
  }
  if (inet_pton(AF_INET6, text.c_str(), bytes) == 1) {
    *ipv6 = true;
    return true;
  }
  return false;
}

// A UDP port that nothing uses now.
int FreePort() {
  int fd = socket(AF_INET6, SOCK_DGRAM, 0);
  if (fd < 0) {  // no IPv6 here: any free IPv4 port
    fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    socklen_t length = sizeof(addr);
    int port = 0;
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) == 0) {
      port = ntohs(addr.sin_port);
    }
    if (fd >= 0) close(fd);
    return port;
  }
  int off = 0;
  setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof(off));  // v4 and v6 alike
  sockaddr_in6 addr{};
  addr.sin6_family = AF_INET6;
  socklen_t length = sizeof(addr);
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) == 0) {
    port = ntohs(addr.sin6_port);
  }
  close(fd);
  return port;
}

// A BER-encoded SNMPv2c GET of sysDescr.0 for community "public".
std::string GetRequest() {
  auto tlv = [](unsigned char tag, const std::string& content) {
    return std::string(1, static_cast<char>(tag)) + std::string(1, static_cast<char>(content.size())) +
           content;
  };
  const std::string oid("\x2b\x06\x01\x02\x01\x01\x01\x00", 8);  // 1.3.6.1.2.1.1.1.0
  const std::string varbind = tlv(0x30, tlv(0x06, oid) + tlv(0x05, ""));
  const std::string pdu = tlv(0xA0, tlv(0x02, std::string("\x12\x34\x56\x78", 4)) +
                                        tlv(0x02, std::string(1, '\0')) +
                                        tlv(0x02, std::string(1, '\0')) + tlv(0x30, varbind));
  return tlv(0x30, tlv(0x02, std::string(1, '\x01')) + tlv(0x04, "public") + pdu);
}

bool CopyReadable(const std::string& from, const fs::path& to) {
  std::error_code ec;
  fs::create_directories(to.parent_path(), ec);
  if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec)) return false;
  return chmod(to.c_str(), 0644) == 0;
}

}  // namespace

SnmpSim::~SnmpSim() { Stop(); }

std::string SnmpSim::Executable() {
  for (const char* path : {"/usr/bin/snmpsimd", "/usr/local/bin/snmpsimd", "/usr/bin/snmpsimd.py",
                           "/usr/local/bin/snmpsimd.py"}) {
    if (access(path, X_OK) == 0) return path;
  }
  return "";
}

bool SnmpSim::MustRun() {
  const char* ci = getenv("CI");
  return ci != nullptr && strcmp(ci, "true") == 0;
}

void SnmpSim::AddDevice(const std::string& address, const std::string& file) {
  bool ipv6 = false;
  if (!IsAddress(address, &ipv6)) {
    m_Error = "not an address: " + address;
    return;
  }
  m_Devices.push_back({address, file, ipv6});
}

void SnmpSim::AddFolder(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  for (const std::string& file : files) {
    const fs::path path(file);
    const std::string extension = path.extension().string();
    bool ipv6 = false;
    if ((extension == ".snmprec" || extension == ".walk") &&
        IsAddress(path.stem().string(), &ipv6)) {
      m_Devices.push_back({path.stem().string(), file, ipv6});
    }
  }
}

void SnmpSim::AddV3User(const std::string& user, const std::string& authProto,
                        const std::string& authKey, const std::string& privProto,
                        const std::string& privKey) {
  m_V3Args.insert(m_V3Args.end(),
                  {"--v3-user=" + user, "--v3-auth-key=" + authKey, "--v3-auth-proto=" + authProto,
                   "--v3-priv-key=" + privKey, "--v3-priv-proto=" + privProto});
}

bool SnmpSim::WriteDataFolder() {
  const fs::path data = fs::path(m_Dir.Path()) / "data";
  const fs::path cache = fs::path(m_Dir.Path()) / "cache";
  std::error_code ec;
  fs::create_directories(data / kPublicContext, ec);
  fs::create_directories(cache, ec);
  // The simulator drops to "nobody": it must read the data and write the
  // cache.
  if (chmod(m_Dir.Path().c_str(), 0755) != 0 || chmod(data.c_str(), 0755) != 0 ||
      chmod((data / kPublicContext).c_str(), 0755) != 0 || chmod(cache.c_str(), 0777) != 0) {
    m_Error = "cannot set permissions under " + m_Dir.Path();
    return false;
  }
  {
    std::ofstream placeholder(data / "public.snmprec");
    placeholder << "1.3.6.1.2.1.1.1.0|4|snmpsim placeholder: no device at this endpoint\n";
  }
  chmod((data / "public.snmprec").c_str(), 0644);
  int v4 = 0, v6 = 0;
  for (const Device& device : m_Devices) {
    const std::string id = device.ipv6 ? kUdp6Domain + std::to_string(v6++)
                                       : kUdp4Domain + std::to_string(v4++);
    const std::string extension =
        fs::path(device.file).extension() == ".walk" ? ".snmpwalk" : ".snmprec";
    if (!CopyReadable(device.file, data / kPublicContext / (id + extension)) ||
        !CopyReadable(device.file, data / (id + extension))) {
      m_Error = "cannot copy " + device.file;
      return false;
    }
  }
  return true;
}

bool SnmpSim::Answers(const Device& device) const {
  const int fd = socket(device.ipv6 ? AF_INET6 : AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) return false;
  sockaddr_storage storage{};
  socklen_t length = 0;
  if (device.ipv6) {
    auto* a = reinterpret_cast<sockaddr_in6*>(&storage);
    a->sin6_family = AF_INET6;
    a->sin6_port = htons(static_cast<uint16_t>(m_Port));
    inet_pton(AF_INET6, device.address.c_str(), &a->sin6_addr);
    length = sizeof(*a);
  } else {
    auto* a = reinterpret_cast<sockaddr_in*>(&storage);
    a->sin_family = AF_INET;
    a->sin_port = htons(static_cast<uint16_t>(m_Port));
    inet_pton(AF_INET, device.address.c_str(), &a->sin_addr);
    length = sizeof(*a);
  }
  const std::string request = GetRequest();
  bool answered = false;
  if (sendto(fd, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&storage),
             length) == static_cast<ssize_t>(request.size())) {
    pollfd p{fd, POLLIN, 0};
    char reply[2048];
    answered = poll(&p, 1, 300) == 1 && recv(fd, reply, sizeof(reply), 0) > 0;
  }
  close(fd);
  return answered;
}

bool SnmpSim::Start(std::chrono::seconds timeout) {
  if (!m_Error.empty()) return false;
  const std::string executable = Executable();
  if (executable.empty()) {
    m_Error = "snmpsimd is not installed";
    return false;
  }
  if (m_Devices.empty()) {
    m_Error = "no device to serve";
    return false;
  }
  if (!WriteDataFolder()) return false;
  m_Port = FreePort();
  if (m_Port == 0) {
    m_Error = "no free UDP port";
    return false;
  }
  std::vector<std::string> args = {executable, "--data-dir=" + m_Dir.Path() + "/data",
                                    "--cache-dir=" + m_Dir.Path() + "/cache"};
  if (geteuid() == 0) {
    args.push_back("--process-user=nobody");
    args.push_back("--process-group=nogroup");
  }
  args.insert(args.end(), m_V3Args.begin(), m_V3Args.end());
  for (const Device& device : m_Devices) {
    args.push_back(device.ipv6 ? "--agent-udpv6-endpoint=[" + device.address + "]:" +
                                     std::to_string(m_Port)
                               : "--agent-udpv4-endpoint=" + device.address + ":" +
                                     std::to_string(m_Port));
  }
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const std::string logPath = m_Dir.Path() + "/snmpsimd.log";
  const int logFd = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (logFd < 0) {
    m_Error = "cannot create " + logPath;
    return false;
  }
  m_Pid = fork();
  if (m_Pid == 0) {
    // Only async-signal-safe calls between fork and exec.
    dup2(logFd, STDOUT_FILENO);
    dup2(logFd, STDERR_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(logFd);
  if (m_Pid < 0) {
    m_Error = "fork failed";
    return false;
  }

  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::vector<bool> ready(m_Devices.size(), false);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(m_Pid, &status, WNOHANG) == m_Pid) {
      m_Pid = -1;
      m_Error = "snmpsimd exited early; its log:\n" + Log();
      return false;
    }
    bool all = true;
    for (size_t i = 0; i < m_Devices.size(); ++i) {
      if (!ready[i]) ready[i] = Answers(m_Devices[i]);
      all = all && ready[i];
    }
    if (all) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  m_Error = "snmpsimd did not answer within " + std::to_string(timeout.count()) + " s; log:\n" +
            Log();
  Stop();
  return false;
}

void SnmpSim::Stop() {
  if (m_Pid <= 0) return;
  kill(m_Pid, SIGTERM);
  for (int i = 0; i < 50; ++i) {
    if (waitpid(m_Pid, nullptr, WNOHANG) == m_Pid) {
      m_Pid = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  kill(m_Pid, SIGKILL);
  waitpid(m_Pid, nullptr, 0);
  m_Pid = -1;
}

std::string SnmpSim::Log() const {
  std::ifstream in(m_Dir.Path() + "/snmpsimd.log");
  std::ostringstream text;
  text << in.rdbuf();
  std::string log = text.str();
  return log.size() > 4000 ? "..." + log.substr(log.size() - 4000) : log;
}
