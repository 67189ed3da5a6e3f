// Arbitrary mediation data through the process layer, then the relationship
// step and the three report writers on what it made. The input is decoded
// (FuzzedDataProvider) into rows: which object (any column or scalar of
// the IPv6 MIB table), an index of one of the shapes the tables use (or of
// any length), with interface numbers and addresses mostly taken from small
// pools so that rows of different tables meet, and a value of any kind
// (none, integer, text, byte-wise address, MAC address). The agent reads
// prefix names and a host history that cover the pools' addresses.
// Checked: every link of the relationship step points at neighbours that
// exist.
#include <fuzzer/FuzzedDataProvider.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "agent/CDiscoIPv6Agent.h"
#include "engine/DotReport.h"
#include "engine/JsonReport.h"
#include "engine/Relationships.h"
#include "engine/TextReport.h"
#include "fuzz/FuzzSupport.h"
#include "host/CKelASN1Address.h"
#include "host/CKelSnmpVarOp.h"
#include "snmp/AtomConversion.h"
#include "snmp/MibObjectTable.h"

namespace {

class ProcessAgent : public CDiscoIPv6Agent {
 public:
  using CDiscoIPv6Agent::DADoProcessLayer;
};

const uint8_t kPool[][16] = {
    {0x20, 0x01, 0x0d, 0xb8, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},           // 2001:db8:1::1
    {0x20, 0x01, 0x0d, 0xb8, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2},           // 2001:db8:1::2
    {0x20, 0x01, 0x0d, 0xb8, 0, 1},                                         // 2001:db8:1::
    {0x20, 0x01, 0x0d, 0xb8, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xfe},        // 2001:db8:2::fe
    {0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0x02, 0, 0x5e, 0xff, 0xfe, 0, 0x53, 1},  // fe80::200:5eff:fe00:5301
    {0xfe, 0xc0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},                 // fec0::1
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xc0, 0, 2, 1},                    // ::192.0.2.1
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 0xc0, 0, 2, 1},              // ::ffff:192.0.2.1
    {0xff, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},                 // ff02::1
    {0},                                                                    // ::
};
constexpr size_t kPoolSize = sizeof kPool / sizeof kPool[0];

class Decoder {
 public:
  Decoder(const uint8_t* data, size_t size) : m_In(data, size) {}

  // Stores the decoded rows into `medData`.
  void Fill(CDiscoMediationData* medData) {
    const std::vector<snmp::MibObject>& objects = snmp::MibObjects();
    std::map<std::string, CKelDoubleList*> columns;
    for (int rows = 0; rows < 400 && m_In.remaining_bytes() > 0; ++rows) {
      const snmp::MibObject& object = objects[m_In.ConsumeIntegralInRange<size_t>(0, objects.size() - 1)];
      auto* index = new CKelASN1Address(Index());
      auto* reply = new CKelSnmpVarOp(index, Value());
      if (IsScalar(object)) {
        medData->DMDAddSnmp(object.name, reply);
        continue;
      }
      CKelDoubleList*& column = columns[object.name];
      if (column == nullptr) column = new CKelDoubleList();
      column->KDLAddToListEnd(reply);
    }
    for (auto& column : columns) {
      if (medData->DMDAddSnmp(column.first.c_str(), column.second) != 1) delete column.second;
    }
  }

 private:
  static bool IsScalar(const snmp::MibObject& object) {
    return &object - snmp::MibObjects().data() < 4;  // the scalars come first
  }

  uint32_t IfIndex() {
    const uint8_t b = m_In.ConsumeIntegral<uint8_t>();
    if (b == 0xFF) return 0xFFFFFFFFu;
    if (b == 0xFE) return m_In.ConsumeIntegral<uint32_t>();
    return b % 6;
  }
  void Address(std::vector<uint32_t>* out) {
    const uint8_t b = m_In.ConsumeIntegral<uint8_t>();
    for (int i = 0; i < 16; ++i) {
      out->push_back(b < 0xF0 ? kPool[b % kPoolSize][i] : m_In.ConsumeIntegral<uint8_t>());
    }
  }
  uint32_t Length() {
    const uint8_t b = m_In.ConsumeIntegral<uint8_t>();
    return b < 0xF0 ? (b % 3 == 0 ? 64 : b % 3 == 1 ? 128 : b % 130) : m_In.ConsumeIntegral<uint32_t>();
  }
  std::vector<uint32_t> Index() {
    std::vector<uint32_t> index;
    switch (m_In.ConsumeIntegralInRange(0, 5)) {
      case 0:  // interface
        index.push_back(IfIndex());
        break;
      case 1:  // address or cache entry: interface, address
      case 2:  // prefix: interface, address, length
        index.push_back(IfIndex());
        Address(&index);
        if (index.size() == 17 && m_In.ConsumeBool()) index.push_back(Length());
        break;
      case 3:  // route: destination, length, number
        Address(&index);
        index.push_back(Length());
        index.push_back(m_In.ConsumeIntegralInRange<uint32_t>(0, 3));
        break;
      case 4:  // anything
        for (int n = m_In.ConsumeIntegralInRange(0, 40); n > 0; --n) {
          index.push_back(m_In.ConsumeIntegral<uint8_t>());
        }
        break;
      default:  // a scalar's
        index.push_back(0);
        break;
    }
    return index;
  }
  CKelAtom* Value() {
    switch (m_In.ConsumeIntegralInRange(0, 6)) {
      case 0:
        return nullptr;
      case 1:
        return new CKelAtom(static_cast<long long>(m_In.ConsumeIntegralInRange(-1, 6)));
      case 2:
        return new CKelAtom(m_In.ConsumeIntegral<long long>());
      case 3:
        return new CKelAtom(m_In.ConsumeRandomLengthString(80).c_str());
      case 4: {  // an address, byte-wise, as a next hop or an IP-MIB address reads
        std::vector<uint32_t> octets;
        Address(&octets);
        return new CKelAtom(snmp::HexOctets(std::string(octets.begin(), octets.end())).c_str());
      }
      case 5:  // a MAC address
        return new CKelAtom(
            snmp::HexOctets(m_In.ConsumeBytesAsString(m_In.ConsumeIntegralInRange(0, 8))).c_str());
      default:  // the address as text
        return new CKelAtom(m_In.PickValueInArray({"2001:db8:1::1", "2001:db8:2::fe", "fe80::1", "192.0.2.1",
                                                   "1.3.6.1.4.1.8072.3.2.10", ""}));
    }
  }

  FuzzedDataProvider m_In;
};

void WriteFile(const char* variable, const char* relative, const char* text) {
  const std::filesystem::path path = std::filesystem::path(getenv(variable)) / relative;
  std::filesystem::create_directories(path.parent_path());
  FuzzCheck(static_cast<bool>(std::ofstream(path) << text), "cannot write the agent's files");
}

void WriteAgentFiles() {
  WriteFile("ZW_ETC_PATH", "conf/tovra/IPv6Prefix.conf",
            "2001:db8:1::/64 One\n2001:db8:2::/48 Two\nfe80::/10 Link\n");
  WriteFile("ZW_VAR_PATH", "databases/tovra/IPv6hosts.qar", "2001:db8:1::2\n2001:db8:2::fe\nfe80::1\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (FuzzSetUp(4), WriteAgentFiles(), true);
  (void)ready;
  static CKelValidAddress validator;
  ProcessAgent agent;
  agent.m_ValidAddr = &validator;
  CKelRecord ne;
  ne.KRAddOrSetValue("m_IpAddress", size > 0 && data[0] % 2 ? "2001:db8:1::1" : "192.0.2.66");
  agent.DACreateAndStoreMedData(&ne);
  agent.DACreateAndStoreProcData(&ne);
  Decoder(data, size).Fill(agent.DAGetMediationData(&ne));
  agent.DADoProcessLayer(&ne);

  CRunReport report;
  report.agentName = "IPv6";
  CRunNe processed;
  processed.input = "192.0.2.66";
  processed.processed = true;
  processed.record = &ne;
  processed.proc = agent.DAGetProcessedData(&ne);
  CRunNe named;  // owns the pool's second address by its name
  named.input = "r2.lab";
  report.nes = {processed, named};
  report.links = DEBuildLinks(report.nes, DEIndexOwners(report.nes, [](const std::string&) {
                                return std::vector<std::string>{"2001:db8:1::2"};
                              }));
  for (const CRunLink& link : report.links) {
    FuzzCheck(link.ne == 0 && processed.proc != nullptr, "links are of the processed NE");
    const auto& locals = processed.proc->DPDLocalNbrs();
    FuzzCheck(link.local < locals.size() && link.remote < locals[link.local].remotes.size(),
              "a link's neighbours exist");
    FuzzCheck(!link.locals.empty() && link.locals[0] == link.local, "a link's locals start with its own");
    for (size_t local : link.locals) FuzzCheck(local < locals.size(), "a link's locals exist");
    FuzzCheck(!link.remoteNe || *link.remoteNe < report.nes.size(), "a link's remote NE is of the run");
    FuzzCheck(DELocalAddresses(report.nes, link).size() == link.locals.size(), "one address a local");
  }
  std::ostringstream out;
  DEWriteTextReport(report, out);
  DEWriteJsonReport(report, out);
  DEWriteDotReport(report, out);
  return 0;
}
