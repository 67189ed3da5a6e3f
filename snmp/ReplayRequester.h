// The replay requester: answers from recorded walks instead of devices.
//
// The folder holds one file per SNMP address: "<address>.snmprec" (the
// format snmpsim serves) or "<address>.walk" (snmpwalk -On output); see
// RecordFormats.h. A target is looked up as written and, when it is an
// IPv4 or IPv6 address, in its canonical text too (IPv6 compressed, lower
// case: "2001:db8::1"). An address without a file answers nothing, like a
// silent device. A file is read on first use and kept while an NE's
// requests use it (read again should a later NE ask the same address); a
// file that holds unreadable records is reported once (kErrReplayFile) and
// serves the records it could read.
//
// Answers go through the same GET, walk and conversion as live SNMP (see
// ChannelRequester.h), so a recorded device gives the var-ops that the
// device itself gives. Thread-safe.
#ifndef SNMP_REPLAYREQUESTER_H_
#define SNMP_REPLAYREQUESTER_H_

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "snmp/ChannelRequester.h"
#include "snmp/RecordedDevice.h"

class CReplayRequester : public CChannelRequester {
 public:
  explicit CReplayRequester(const std::string& folder,
                            const snmp::WalkOptions& walk = snmp::WalkOptions());

  const std::string& DSRFolder() const { return m_Folder; }
  // The file that answers for `target`, or "" when none does.
  std::string DSRFileFor(const std::string& target) const;

 protected:
  std::unique_ptr<snmp::PduChannel> DSROpenChannel(const std::string& target,
                                                   std::string* why) override;
  std::string DSRDescribeSilence(const std::string& target, int unanswered, int answered,
                                 int strays) const override;

 private:
  // The device of `target`, loading it on first use; null when no file.
  std::shared_ptr<const snmp::RecordedDevice> Device(const std::string& target);

  const std::string m_Folder;
  std::mutex m_Mutex;  // guards the three below
  // Target -> device, while a channel holds it: a run of many NEs does not
  // keep every recording to its end.
  std::map<std::string, std::weak_ptr<const snmp::RecordedDevice>> m_Devices;
  std::set<std::string> m_NoFile;    // targets without a file
  std::set<std::string> m_Reported;  // targets whose file's problems were reported
};

#endif  // SNMP_REPLAYREQUESTER_H_
