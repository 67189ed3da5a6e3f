// One recorded device: its bindings sorted by OID, and a PduChannel that
// answers from them as an SNMPv2c agent would (GET exact, GETNEXT the next
// binding, endOfMibView past the last). Immutable once loaded; any number
// of threads may read it and open channels on it.
#ifndef SNMP_RECORDEDDEVICE_H_
#define SNMP_RECORDEDDEVICE_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "snmp/PduChannel.h"

namespace snmp {

class RecordedDevice {
 public:
  // Reads `path`, a ".walk" file (snmpwalk -On output) or else snmprec.
  // Null when the file cannot be read. Records that cannot be read, and
  // repeated OIDs (the first is kept), are skipped; they are described in
  // `problems` only beneath RequestedSubtrees() (AddRecordProblem).
  static std::shared_ptr<const RecordedDevice> Load(const std::string& path,
                                                    std::vector<std::string>* problems);
  // The same from the text of a file; `walkFormat` selects the reader.
  static std::shared_ptr<const RecordedDevice> FromText(const std::string& text, bool walkFormat,
                                                        std::vector<std::string>* problems);

  // The value bound to exactly `oid`, or null; the device keeps it.
  const WireValue* Find(const Oid& oid) const;
  // The first binding after `oid` in OID order, or false past the last.
  bool Next(const Oid& oid, VarBind* out) const;
  size_t Size() const { return m_Values.size(); }

 private:
  std::map<Oid, WireValue> m_Values;
};

// Answers from a recorded device, which it keeps alive.
class CRecordedChannel : public PduChannel {
 public:
  explicit CRecordedChannel(std::shared_ptr<const RecordedDevice> device)
      : m_Device(std::move(device)) {}
  PduReply Get(const Oid& oid) override;
  PduReply GetNext(const std::vector<Oid>& oids) override;
  PduReply GetBulk(const std::vector<Oid>& oids, int maxRepetitions) override;

 private:
  std::shared_ptr<const RecordedDevice> m_Device;
};

}  // namespace snmp

#endif  // SNMP_RECORDEDDEVICE_H_
