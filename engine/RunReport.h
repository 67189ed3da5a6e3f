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
#include "host/CDiscoStdRequester.h"
#include "host/CKelRecord.h"
#include "host/KelError.h"

struct CRunNe {
  std::string input;                         // the NE as the user named it
  bool processed = false;                    // false: failed (or never finished)
  bool interrupted = false;                  // the run stopped before it was done; not processed
  const CKelRecord* record = nullptr;        // as handed back; null when none was
  const CDiscoProcessedData* proc = nullptr;  // null when none was made
  std::vector<KelErrorReport> errors;        // reports made while it was processed
  CDiscoSnmpSummary snmp;                    // what the requester saw of it
  double nameSeconds = 0;                    // spent in name lookups while processed
  // Crawling: 0 for an NE given, else one more than the NE it was found
  // through (its input is `foundVia`), as the remote neighbour `foundAt`.
  int hop = 0;
  std::string foundVia;
  std::string foundAt;
};

// What discovery cost, for one NE or (summed) a whole run.
struct CRunCost {
  long requests = 0;    // GETs and column walks the agent made
  long pdus = 0;        // request PDUs sent (retransmissions not counted)
  long unanswered = 0;  // requests that got no reply
  double snmpSeconds = 0;
  double nameSeconds = 0;
};
CRunCost DECostOf(const CRunNe& ne);

// "processed", "failed" or "interrupted".
const char* DEStatusWord(const CRunNe& ne);

// Why a failed NE failed, as a whole sentence without final stop; "" for a
// processed NE, "the run was interrupted before it was done" for an
// interrupted one. An NE given by a name that left it no address to ask: "the
// name 'X' does not resolve"; else the targets' failure texts, else their
// silence texts (each distinct text once, joined by "; "); else "no answer
// to the forwarding questions".
std::string DEFailureReason(const CRunNe& ne);

// One adjacency of NE `ne`: an interface and a remote address seen on it,
// standing for every local neighbour of the interface that the remote
// neighbour is filed under (a router's global and link-local addresses
// each carry the interface's remote neighbours). `local`, `remote` and
// `localAddress` are those of the first such local neighbour. Absent
// values (a local neighbour without "ipv6IfIndex", say) are empty
// optionals.
struct CRunLink {
  size_t ne = 0;      // index into CRunReport::nes
  size_t local = 0;   // index into that NE's DPDLocalNbrs()
  size_t remote = 0;  // index into that local neighbour's remotes
  std::vector<size_t> locals;  // every local neighbour it stands for, in order; starts with `local`
  std::optional<std::string> neAddress;     // "m_UniqueAddress" of the NE
  std::optional<long long> ifIndex;         // "ipv6IfIndex" of the local neighbour
  std::optional<std::string> localAddress;  // "ipv6AddrAddress" of the local neighbour
  std::optional<std::string> remoteAddress; // "m_RemoteNbrIpAddr" of the remote one
  std::optional<size_t> remoteNe;           // the NE of the run owning that address
  std::optional<size_t> remoteLocal;        // its local neighbour holding it, if one does
  std::optional<std::string> remoteNeAddress;  // its "m_UniqueAddress"
};

// What a crawl (--crawl) did.
struct CRunCrawl {
  size_t seeds = 0;         // NEs given
  size_t discovered = 0;    // NEs found (in the report)
  size_t merged = 0;        // jobs that reached an NE of the run again, left out
  size_t maxNes = 0;        // the ceiling
  bool ceilingHit = false;  // an NE was left out because the run had maxNes NEs
};

struct CRunReport {
  std::string agentName;
  std::string agentDescription;
  std::vector<CRunNe> nes;
  std::vector<CRunLink> links;
  std::optional<CRunCrawl> crawl;  // none without --crawl

  size_t ProcessedCount() const;
  size_t InterruptedCount() const;
  size_t FailedCount() const { return nes.size() - ProcessedCount() - InterruptedCount(); }
  CRunCost TotalCost() const;  // the sum over the NEs
};

#endif  // ENGINE_RUNREPORT_H_
