#include "tests/support/ScriptedSnmpAgent.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace {

// --- BER, as much as SNMPv2c messages need.

std::string Length(size_t n) {
  if (n < 0x80) return std::string(1, static_cast<char>(n));
  std::string bytes;
  while (n > 0) {
    bytes.insert(bytes.begin(), static_cast<char>(n & 0xFF));
    n >>= 8;
  }
  return std::string(1, static_cast<char>(0x80 | bytes.size())) + bytes;
}

std::string Tlv(int tag, const std::string& content) {
  return std::string(1, static_cast<char>(tag)) + Length(content.size()) + content;
}

std::string Integer(long long value) {
  const bool negative = value < 0;
  std::string bytes;
  do {
    bytes.insert(bytes.begin(), static_cast<char>(value & 0xFF));
    value >>= 8;
  } while (value != 0 && value != -1);
  // The first octet's top bit is the sign.
  if (((bytes[0] & 0x80) != 0) != negative) bytes.insert(bytes.begin(), negative ? '\xff' : '\0');
  return Tlv(0x02, bytes);
}

std::string EncodeOid(const std::string& dotted) {
  std::vector<uint32_t> arcs;
  size_t start = 0;
  while (start <= dotted.size()) {
    size_t dot = dotted.find('.', start);
    if (dot == std::string::npos) dot = dotted.size();
    arcs.push_back(static_cast<uint32_t>(std::stoul(dotted.substr(start, dot - start))));
    start = dot + 1;
  }
  std::string bytes(1, static_cast<char>(arcs[0] * 40 + arcs[1]));
  for (size_t i = 2; i < arcs.size(); ++i) {
    std::string arc(1, static_cast<char>(arcs[i] & 0x7F));
    for (uint32_t rest = arcs[i] >> 7; rest != 0; rest >>= 7) {
      arc.insert(arc.begin(), static_cast<char>(0x80 | (rest & 0x7F)));
    }
    bytes += arc;
  }
  return Tlv(0x06, bytes);
}

// Reads one TLV at `pos`; false when the data ends early.
bool Read(const std::string& data, size_t* pos, int* tag, std::string* content) {
  if (*pos + 2 > data.size()) return false;
  *tag = static_cast<unsigned char>(data[(*pos)++]);
  size_t length = static_cast<unsigned char>(data[(*pos)++]);
  if (length & 0x80) {
    const size_t count = length & 0x7F;
    length = 0;
    for (size_t i = 0; i < count; ++i) {
      if (*pos >= data.size()) return false;
      length = length * 256 + static_cast<unsigned char>(data[(*pos)++]);
    }
  }
  if (*pos + length > data.size()) return false;
  *content = data.substr(*pos, length);
  *pos += length;
  return true;
}

long long DecodeInteger(const std::string& content) {
  long long value = content.empty() || (content[0] & 0x80) == 0 ? 0 : -1;
  for (char c : content) value = value * 256 + static_cast<unsigned char>(c);
  return value;
}

std::string DecodeOid(const std::string& content) {
  if (content.empty()) return "";
  const unsigned first = static_cast<unsigned char>(content[0]);
  std::string dotted = std::to_string(first / 40) + "." + std::to_string(first % 40);
  uint64_t arc = 0;
  for (size_t i = 1; i < content.size(); ++i) {
    arc = arc * 128 + (static_cast<unsigned char>(content[i]) & 0x7F);
    if ((content[i] & 0x80) == 0) {
      dotted += "." + std::to_string(arc);
      arc = 0;
    }
  }
  return dotted;
}

}  // namespace

ScriptedSnmpAgent::ScriptedSnmpAgent(std::vector<Reply> script) : m_Script(std::move(script)) {
  m_Fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(addr);
  if (m_Fd >= 0 && bind(m_Fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
      getsockname(m_Fd, reinterpret_cast<sockaddr*>(&addr), &length) == 0) {
    m_Port = ntohs(addr.sin_port);
    m_Thread = std::thread([this] { Serve(); });
  }
}

ScriptedSnmpAgent::~ScriptedSnmpAgent() {
  m_Stop = true;
  if (m_Thread.joinable()) m_Thread.join();
  if (m_Fd >= 0) close(m_Fd);
}

std::vector<ScriptedSnmpAgent::Request> ScriptedSnmpAgent::Requests() const {
  std::lock_guard<std::mutex> guard(m_Mutex);
  return m_Requests;
}

void ScriptedSnmpAgent::Serve() {
  size_t next = 0;
  while (!m_Stop) {
    pollfd p{m_Fd, POLLIN, 0};
    if (poll(&p, 1, 50) != 1) continue;
    char buffer[65536];
    sockaddr_storage from{};
    socklen_t fromLength = sizeof(from);
    const ssize_t n = recvfrom(m_Fd, buffer, sizeof(buffer), 0,
                               reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n <= 0) continue;
    // Message: SEQUENCE { version, community, PDU { request-id,
    // error-status (non-repeaters), error-index (max-repetitions), bindings } }.
    const std::string message(buffer, static_cast<size_t>(n));
    size_t pos = 0;
    int tag = 0;
    std::string body, version, community, pdu, requestId, field1, field2, binds, bind, oid;
    if (!Read(message, &pos, &tag, &body)) continue;
    pos = 0;
    int pduType = 0;
    if (!Read(body, &pos, &tag, &version) || !Read(body, &pos, &tag, &community) ||
        !Read(body, &pos, &pduType, &pdu)) {
      continue;
    }
    pos = 0;
    if (!Read(pdu, &pos, &tag, &requestId) || !Read(pdu, &pos, &tag, &field1) ||
        !Read(pdu, &pos, &tag, &field2) || !Read(pdu, &pos, &tag, &binds)) {
      continue;
    }
    size_t bindPos = 0, oidPos = 0;
    if (Read(binds, &bindPos, &tag, &bind)) Read(bind, &oidPos, &tag, &oid);
    {
      std::lock_guard<std::mutex> guard(m_Mutex);
      m_Requests.push_back({pduType, DecodeInteger(field2), DecodeOid(oid)});
    }
    if (next >= m_Script.size()) continue;
    const Reply& reply = m_Script[next++];
    if (reply.silent) continue;
    std::string list;
    for (const Binding& b : reply.binds) {
      list += Tlv(0x30, EncodeOid(b.oid) + (b.tag == 0x02 ? Integer(b.value) : Tlv(b.tag, "")));
    }
    const std::string response =
        Tlv(0x30, Tlv(0x02, version) + Tlv(0x04, community) +
                      Tlv(0xA2, Tlv(0x02, requestId) + Integer(reply.errorStatus) + Integer(0) +
                                    Tlv(0x30, list)));
    sendto(m_Fd, response.data(), response.size(), 0, reinterpret_cast<sockaddr*>(&from),
           fromLength);
  }
}
