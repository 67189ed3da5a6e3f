// One run of the runner as the history keeps it: plain data, independent
// of the engine's records and stores, so that a run read back from a store
// and a run about to be written look alike. Read-only use from any thread.
#ifndef ENGINE_HISTORY_STOREDRUN_H_
#define ENGINE_HISTORY_STOREDRUN_H_

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct CStoredRemote {
  std::string address;
  std::optional<std::string> mac;  // from the neighbour cache
  std::string source;              // "cache" when the cache holds it, else "route"
  std::optional<std::string> dnsName;
};

struct CStoredLocal {
  std::optional<long long> ifIndex;
  std::optional<std::string> interface;  // the interface's description
  std::optional<std::string> address;
  std::optional<long long> prefixLength;
  std::optional<std::string> prefix, prefixName, dnsName;
  std::optional<long long> scope;
  std::vector<CStoredRemote> remotes;
};

struct CStoredNe {
  std::string input;
  std::string status;  // "processed", "failed" or "interrupted"
  std::optional<std::string> name, address, reason;
  int hop = 0;
  std::optional<std::string> foundVia, foundAt;
  // Every record field, in order: name, and value as text (none: no value).
  std::vector<std::pair<std::string, std::optional<std::string>>> fields;
  std::vector<std::string> capabilities;
  std::vector<CStoredLocal> locals;
  std::vector<std::pair<int, std::optional<std::string>>> errors;  // code, message
};

struct CStoredLink {
  size_t ne = 0;  // index into CStoredRun::nes
  std::optional<long long> ifIndex;
  std::optional<std::string> localAddress, remoteAddress;
  std::optional<size_t> remoteNe;  // index into CStoredRun::nes
};

// A summary line of the history.
struct CRunSummary {
  long long id = 0;  // given by the store
  std::string started, finished;  // UTC, ISO 8601
  size_t processed = 0, failed = 0, interrupted = 0, links = 0;
};

struct CStoredRun {
  CRunSummary summary;
  std::vector<std::string> arguments;  // the command line after the program name
  std::vector<std::string> inputs;     // the NEs as given
  std::string agent;
  std::vector<CStoredNe> nes;
  std::vector<CStoredLink> links;
};

#endif  // ENGINE_HISTORY_STOREDRUN_H_
