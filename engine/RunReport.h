// What one run of the runner found, as the report writers see it: the
// agent, every NE in input order with what the engine got back for it, and
// the links of the relationship step.
//
// Ownership: the report only points at records and stores; they belong to
// the engine (CDiscoJob) and must outlive the report. Plain data; read-only
// use from any thread.
#ifndef ENGINE_RUNREPORT_H_
#define ENGINE_RUNREPORT_H_

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "host/CDiscoProcessedData.h"
#include "host/CKelRecord.h"
#include "host/KelError.h"

struct CRunNe {
  std::string input;                         // the NE as the user named it
  bool processed = false;                    // false: failed (or never finished)
  const CKelRecord* record = nullptr;        // as handed back; null when none was
  const CDiscoProcessedData* proc = nullptr;  // null when none was made
  std::vector<KelErrorReport> errors;        // reports made while it was processed
};

// A local neighbour of NE `ne` joined to one remote neighbour filed under
// it. Absent values (a local neighbour without "ipv6IfIndex", say) are
// empty optionals.
struct CRunLink {
  size_t ne = 0;      // index into CRunReport::nes
  size_t local = 0;   // index into that NE's DPDLocalNbrs()
  size_t remote = 0;  // index into that local neighbour's remotes
  std::optional<std::string> neAddress;     // "m_UniqueAddress" of the NE
  std::optional<long long> ifIndex;         // "ipv6IfIndex" of the local neighbour
  std::optional<std::string> localAddress;  // "ipv6AddrAddress" of the local neighbour
  std::optional<std::string> remoteAddress; // "m_RemoteNbrIpAddr" of the remote one
  std::optional<size_t> remoteNe;           // the NE of the run owning that address
  std::optional<std::string> remoteNeAddress;  // its "m_UniqueAddress"
};

struct CRunReport {
  std::string agentName;
  std::string agentDescription;
  std::vector<CRunNe> nes;
  std::vector<CRunLink> links;

  size_t ProcessedCount() const;
  size_t FailedCount() const { return nes.size() - ProcessedCount(); }
};

#endif  // ENGINE_RUNREPORT_H_
