// Crawling from seed NEs: which remote neighbours of the NEs of a run
// become NEs of the run themselves, hop by hop, and how each was found.
//
// The runner numbers jobs in submission order: the seeds first, then the
// addresses FollowNext returns, in the order returned. Jobs are followed in
// that same order, each once it is done, so every decision (new or known,
// which address stands for an NE) depends only on what the NEs reported,
// never on which worker finished first: the same network gives the same NE
// set and order on every run, and job order is hop order (all NEs of hop h
// are submitted before any of hop h + 1).
//
// Not thread-safe: one thread (the runner's) uses a CCrawl.
#ifndef ENGINE_CRAWL_H_
#define ENGINE_CRAWL_H_

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/AddressIndex.h"
#include "engine/Relationships.h"
#include "engine/RunReport.h"

// An IPv6 prefix such as "2001:db8::/32".
struct CIpv6Prefix {
  unsigned char bytes[16] = {};
  int length = 0;

  // The prefix written in `text` ("address/length", length 0 to 128; bits
  // beyond the length are ignored), or none.
  static std::optional<CIpv6Prefix> Parse(const std::string& text);
  bool Contains(const unsigned char address[16]) const;
};

struct CCrawlLimits {
  int maxHops = -1;       // -1: no limit; seeds are hop 0
  size_t maxNes = 1000;   // NEs of the run at most, seeds included
  // Only addresses inside one of these are followed; empty: every global
  // (2000::/3) and unique-local (fc00::/7) address. Link-local addresses
  // are never followed.
  std::vector<CIpv6Prefix> scope;
  std::vector<CIpv6Prefix> exclude;  // never followed; wins over scope
};

// How the NE of a job came into the run.
struct CCrawlOrigin {
  int hop = 0;
  std::optional<size_t> via;  // the job whose remote neighbour it was; none for a seed
  std::string address;        // that remote neighbour's address; "" for a seed
};

class CCrawl {
 public:
  // `resolve` gives the IPv6 addresses of a node name (for the NE names
  // and the remote neighbours' DNS names).
  CCrawl(CCrawlLimits limits, DENameResolver resolve);

  // Registers the next job as a seed given as `input` (hop 0).
  void AddSeed(const std::string& input);

  // Follows job Followed(), which must be done, as `ne`: the addresses it
  // owns (its local neighbours', its unique address, its name's) become
  // known, then its remote neighbours are taken in order, and those that
  // are followed and belong to no NE of the run yet (by address, or by the
  // addresses of their DNS name) are returned, each registered as the next
  // job. An NE that turns out to be one already in the run (a job of the
  // same router reached through another of its addresses) gives nothing and
  // is marked SameAs.
  std::vector<std::string> FollowNext(const CRunNe& ne);

  size_t Followed() const { return m_Followed; }
  size_t JobCount() const { return m_Origins.size(); }
  const CCrawlOrigin& Origin(size_t job) const { return m_Origins.at(job); }
  // The earlier job of the same NE, for a job found to repeat one.
  std::optional<size_t> SameAs(size_t job) const { return m_SameAs.at(job); }
  // True when a remote neighbour was left out because the run had --max-nes
  // jobs and none of its addresses belongs to an NE of the run: one left out
  // that a later job turned out to own (the same router, reached first by
  // another of its addresses) is no NE beyond the limit. Meaningful once
  // every job is followed.
  bool CeilingHit() const;
  // Remote neighbours the followed NEs reported, followed or not.
  size_t RemoteNeighboursSeen() const { return m_RemotesSeen; }

 private:
  // Job `job` owns `text`; marks the jobs found to be one NE.
  void Claim(const std::string& text, size_t job);
  // Whether the remote neighbour at `address` may become an NE of hop `hop`.
  bool Followable(const std::string& address, int hop) const;

  CCrawlLimits m_Limits;
  DENameResolver m_Resolve;
  std::vector<CCrawlOrigin> m_Origins;
  std::vector<std::optional<size_t>> m_SameAs;
  CAddressIndex m_Known;  // address -> the job that owns it
  size_t m_Followed = 0;
  size_t m_RemotesSeen = 0;
  // The addresses (its own, its name's) of each remote neighbour left out
  // at the --max-nes limit.
  std::vector<std::vector<std::string>> m_LeftOut;
};

#endif  // ENGINE_CRAWL_H_
