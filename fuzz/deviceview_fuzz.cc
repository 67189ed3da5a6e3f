// Arbitrary SNMP replies through the requesters' walk logic: a device view
// (tables fetched whole, the RFC 2465 view translated from the IP-MIB)
// asks every scalar and walks every column of the agent's table through a
// channel whose replies the input decides, then the table walk runs alone
// on the same channel. The channel stands on a recorded device (an RFC 2465
// router or a Linux snmpd serving the IP-MIB, chosen by the input): per
// request the input leaves the recording's reply as it is, damages it
// (drops, adds, repeats or moves bindings, changes their types and values,
// sets an error-status), or replaces it with no answer, a failure or
// bindings made up whole. An input that runs out leaves the recording's
// replies, so every walk ends. Checked: the table walk's promises (rows
// strictly beneath their column, in increasing order, at most maxRows).
#include <fuzzer/FuzzedDataProvider.h>

#include <memory>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "snmp/ColumnWalk.h"
#include "snmp/DeviceView.h"
#include "snmp/MibTables.h"
#include "snmp/RecordedDevice.h"

namespace {

std::shared_ptr<const snmp::RecordedDevice> Device(const char* path) {
  std::vector<std::string> problems;
  std::shared_ptr<const snmp::RecordedDevice> device = snmp::RecordedDevice::Load(path, &problems);
  FuzzCheck(device != nullptr && device->Size() > 0, "cannot read a recorded device of the fixtures");
  return device;
}

class FuzzChannel : public snmp::PduChannel {
 public:
  FuzzChannel(FuzzedDataProvider* in, std::shared_ptr<const snmp::RecordedDevice> device)
      : m_In(in), m_Recorded(std::move(device)), m_Keep(m_In->ConsumeIntegral<uint8_t>() < 0xF0) {}

  bool Keep() const override { return m_Keep; }
  snmp::PduReply Get(const snmp::Oid& oid) override {
    snmp::PduReply reply = m_Recorded.Get(oid);
    return Damage({oid}, 1, std::move(reply));
  }
  snmp::PduReply GetNext(const std::vector<snmp::Oid>& oids) override {
    return Damage(oids, 1, m_Recorded.GetNext(oids));
  }
  snmp::PduReply GetBulk(const std::vector<snmp::Oid>& oids, int maxRepetitions) override {
    return Damage(oids, std::max(1, maxRepetitions), m_Recorded.GetBulk(oids, maxRepetitions));
  }

 private:
  snmp::PduReply Damage(const std::vector<snmp::Oid>& oids, int rounds, snmp::PduReply reply) {
    const uint8_t how = m_In->ConsumeIntegral<uint8_t>();
    if (how < 0x80) return reply;  // the recording's own reply (also once the input is used up)
    if (how < 0x88) return snmp::PduReply();  // no answer
    if (how < 0x8C) {
      snmp::PduReply failed;
      failed.outcome = snmp::EPduOutcome::kFailed;
      failed.detail = m_In->ConsumeRandomLengthString(40);
      return failed;
    }
    if (how < 0x98) {
      reply.errorStatus = m_In->ConsumeIntegralInRange<long>(0, 6);
      reply.errorIndex = m_In->ConsumeIntegralInRange<long>(-1, static_cast<long>(oids.size()) + 1);
      if (m_In->ConsumeBool()) reply.binds.clear();
      return reply;
    }
    if (how < 0xE0) {  // damaged bindings
      for (int n = m_In->ConsumeIntegralInRange(1, 4); n > 0; --n) Change(&reply.binds, oids);
      return reply;
    }
    // Made up whole: bindings that follow the OIDs asked, or not.
    reply.binds.clear();
    std::vector<snmp::Oid> at = oids;
    const size_t count = m_In->ConsumeIntegralInRange<size_t>(0, oids.size() * rounds + 2);
    for (size_t i = 0; i < count && i < 400; ++i) {
      snmp::Oid& oid = at[i % at.size()];
      Step(&oid);
      reply.binds.push_back({oid, Value()});
    }
    return reply;
  }

  // One change of `binds`.
  void Change(std::vector<snmp::VarBind>* binds, const std::vector<snmp::Oid>& oids) {
    const size_t size = binds->size();
    const size_t i = size == 0 ? 0 : m_In->ConsumeIntegralInRange<size_t>(0, size - 1);
    switch (m_In->ConsumeIntegralInRange(0, 6)) {
      case 0:  // cut short
        binds->resize(i);
        break;
      case 1:  // one more
        binds->push_back({size == 0 ? oids.front() : (*binds)[i].oid, Value()});
        if (m_In->ConsumeBool()) Step(&binds->back().oid);
        break;
      case 2:  // repeated
        if (size > 0) binds->insert(binds->begin() + i, (*binds)[i]);
        break;
      case 3:  // another value
        if (size > 0) (*binds)[i].value = Value();
        break;
      default:  // moved
        if (size > 0) Step(&(*binds)[i].oid);
        break;
    }
  }

  // Moves `oid` on: into the column, along it, past it, back, or anywhere.
  void Step(snmp::Oid* oid) {
    const uint8_t kind = m_In->ConsumeIntegral<uint8_t>();
    if (kind < 0x60 || oid->empty()) {
      oid->push_back(m_In->ConsumeIntegralInRange<uint32_t>(0, 20));
    } else if (kind < 0xA0) {
      oid->back() += 1 + m_In->ConsumeIntegralInRange<uint32_t>(0, 3);
    } else if (kind < 0xC0) {
      oid->resize(oid->size() - std::min(oid->size() - 1, m_In->ConsumeIntegralInRange<size_t>(1, 3)));
      ++oid->back();
    } else if (kind < 0xD0) {
      // unchanged: an OID that does not increase
    } else if (kind < 0xE0) {
      if (oid->back() > 0) --oid->back();
    } else {
      oid->clear();
      for (int n = m_In->ConsumeIntegralInRange(0, 24); n > 0; --n) {
        oid->push_back(m_In->ConsumeIntegral<uint8_t>());
      }
    }
  }

  snmp::WireValue Value() {
    snmp::WireValue value;
    value.type = static_cast<snmp::EWireType>(
        m_In->ConsumeIntegralInRange<int>(0, static_cast<int>(snmp::EWireType::kEndOfMibView)));
    value.integer = m_In->ConsumeIntegral<long long>();
    value.number = m_In->ConsumeIntegral<unsigned long long>();
    value.octets = m_In->ConsumeBool() ? m_In->ConsumeBytesAsString(16) : m_In->ConsumeRandomLengthString(40);
    for (int n = m_In->ConsumeIntegralInRange(0, 12); n > 0; --n) {
      value.oid.push_back(m_In->ConsumeIntegral<uint32_t>());
    }
    return value;
  }

  FuzzedDataProvider* const m_In;
  snmp::CRecordedChannel m_Recorded;
  const bool m_Keep;
};

// The promises of WalkColumns for `columns`.
void CheckTableWalk(const snmp::TableWalkResult& result, const std::vector<snmp::Oid>& columns,
                    const snmp::WalkOptions& options) {
  FuzzCheck(result.columns.size() == columns.size(), "one row list a column");
  for (size_t c = 0; c < columns.size(); ++c) {
    const std::vector<snmp::VarBind>& rows = result.columns[c];
    FuzzCheck(rows.size() <= options.maxRows, "at most maxRows rows");
    for (size_t r = 0; r < rows.size(); ++r) {
      FuzzCheck(snmp::OidIsUnder(rows[r].oid, columns[c]), "rows lie beneath their column");
      FuzzCheck(r == 0 || rows[r - 1].oid < rows[r].oid, "rows in increasing order");
      FuzzCheck(!rows[r].value.IsException(), "no exception value is a row");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp(5);
  static const std::shared_ptr<const snmp::RecordedDevice> kDevices[] = {
      Device(FUZZ_SOURCE_DIR "/examples/lab/devices/203.0.113.1.snmprec"),
      Device(FUZZ_SOURCE_DIR "/tests/fixtures/lab/198.18.0.1.walk")};
  FuzzedDataProvider in(data, size);
  const std::shared_ptr<const snmp::RecordedDevice> device = kDevices[in.ConsumeBool() ? 1 : 0];
  snmp::WalkOptions walk;
  walk.bulk = in.ConsumeIntegral<uint8_t>() < 0xE0;
  walk.maxRepetitions = in.ConsumeIntegralInRange(-1, 40);
  walk.maxRows = in.ConsumeIntegral<uint8_t>() < 0xF0 ? 100000 : in.ConsumeIntegralInRange(0, 20);

  snmp::RequestCounter counter;
  snmp::CDeviceView view("192.0.2.1",
                         [&](std::string* why) -> std::unique_ptr<snmp::PduChannel> {
                           if (in.ConsumeIntegral<uint8_t>() == 0xFF) {
                             *why = "no channel";
                             return nullptr;
                           }
                           return std::make_unique<FuzzChannel>(&in, device);
                         },
                         walk, &counter);
  const std::vector<snmp::MibObject>& objects = snmp::MibObjects();
  for (size_t i = 0; i < objects.size(); ++i) {
    if (i < 4) {  // the scalars
      delete view.Get(objects[i], snmp::Oid{0});
    } else {
      delete view.Walk(objects[i]);
    }
  }
  view.NoAddressText();
  FuzzCheck(view.Answered() <= view.Requests(), "no more requests answered than made");

  FuzzChannel channel(&in, device);
  const snmp::TableDef& table =
      snmp::Table(in.ConsumeBool() ? snmp::ETable::kIpAddress : snmp::ETable::kIpv6If);
  std::vector<snmp::Oid> columns;
  for (uint32_t number : table.columns) {
    columns.push_back(table.entry);
    columns.back().push_back(number);
  }
  CheckTableWalk(snmp::WalkColumns(&channel, columns, walk), columns, walk);
  return 0;
}
