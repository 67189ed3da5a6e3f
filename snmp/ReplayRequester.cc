#include "snmp/ReplayRequester.h"

#include <arpa/inet.h>
#include <sys/stat.h>

#include <vector>

#include "host/KelError.h"
#include "snmp/RequesterErrors.h"

namespace {

// A target may only name a file in the folder itself.
bool SafeName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// `target` and, for an address, its canonical text.
std::vector<std::string> Candidates(const std::string& target) {
  std::vector<std::string> names{target};
  unsigned char bytes[16];
  char text[INET6_ADDRSTRLEN];
  for (int family : {AF_INET6, AF_INET}) {
    if (inet_pton(family, target.c_str(), bytes) == 1 &&
        inet_ntop(family, bytes, text, sizeof(text)) != nullptr && target != text) {
      names.push_back(text);
    }
  }
  return names;
}

}  // namespace

CReplayRequester::CReplayRequester(const std::string& folder, const snmp::WalkOptions& walk)
    : CChannelRequester(walk), m_Folder(folder) {}

std::string CReplayRequester::DSRFileFor(const std::string& target) const {
  for (const std::string& name : Candidates(target)) {
    if (!SafeName(name)) continue;
    for (const char* extension : {".snmprec", ".walk"}) {
      std::string path = m_Folder + "/" + name + extension;
      if (IsRegularFile(path)) return path;
    }
  }
  return "";
}

std::shared_ptr<const snmp::RecordedDevice> CReplayRequester::Device(const std::string& target) {
  {
    std::lock_guard<std::mutex> guard(m_Mutex);
    if (m_NoFile.count(target) != 0) return nullptr;
    auto it = m_Devices.find(target);
    if (it != m_Devices.end()) {
      if (auto device = it->second.lock()) return device;
    }
  }
  // Read without the lock; should two threads read the same file, the
  // first to finish is kept.
  std::shared_ptr<const snmp::RecordedDevice> device;
  std::vector<std::string> problems;
  const std::string path = DSRFileFor(target);
  if (!path.empty()) {
    device = snmp::RecordedDevice::Load(path, &problems);
    if (device == nullptr) problems.push_back("cannot be read");
  }
  std::lock_guard<std::mutex> guard(m_Mutex);
  if (device == nullptr) {
    m_NoFile.insert(target);
  } else if (auto kept = m_Devices[target].lock()) {
    device = kept;
  } else {
    m_Devices[target] = device;
  }
  if (!problems.empty() && m_Reported.insert(target).second) {
    std::string message = "replay file " + path + ": " + std::to_string(problems.size()) +
                          (problems.size() == 1 ? " problem" : " problems");
    for (size_t i = 0; i < problems.size() && i < 5; ++i) message += "; " + problems[i];
    if (problems.size() > 5) message += "; ...";
    CKelError(snmp::kErrReplayFile, __FILE__, __LINE__, message.c_str());
  }
  return device;
}

std::unique_ptr<snmp::PduChannel> CReplayRequester::DSROpenChannel(const std::string& target,
                                                                   std::string* /*why*/) {
  std::shared_ptr<const snmp::RecordedDevice> device = Device(target);
  if (device == nullptr) return std::unique_ptr<snmp::PduChannel>(new snmp::CSilentChannel);
  return std::unique_ptr<snmp::PduChannel>(new snmp::CRecordedChannel(std::move(device)));
}

std::string CReplayRequester::DSRDescribeSilence(const std::string& target, int /*unanswered*/,
                                                 int /*answered*/, int /*strays*/) const {
  return "no recorded walk for " + target + " in " + m_Folder;
}
