// What changed between two runs of the history, NE by NE. No state; safe
// from any thread.
//
// An NE is known across runs by its name ("m_Name"), else by its input. An
// interface by its description, else "if N" (its index). Only NEs processed
// in both runs are compared in detail: a run that could not read an NE
// says nothing about its addresses, neighbours or links, so an NE that
// failed shows as a change of class only.
#ifndef ENGINE_HISTORY_RUNDIFF_H_
#define ENGINE_HISTORY_RUNDIFF_H_

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/history/StoredRun.h"

struct CNeChange {
  enum Kind { kNew, kGone, kChanged };
  struct Address { std::string interface, address; };  // address: "2001:db8::1/64"
  struct Neighbour { std::string address, interface; std::optional<std::string> mac; };
  struct Move { std::string address, from, to; };
  struct Mac { std::string address, interface; std::optional<std::string> from, to; };
  struct Link { std::string interface, remote; std::optional<std::string> remoteNe; };

  std::string ne;
  Kind kind = kChanged;
  // The NE's class: its capabilities ("isIPv6Router"), or its status when
  // it was not processed. New: `to` only; gone: `from` only; changed: both
  // when the class changed.
  std::optional<std::string> classFrom, classTo;
  std::vector<Address> addressesAdded, addressesRemoved;
  std::vector<Neighbour> appeared, vanished;
  std::vector<Move> moved;
  std::vector<Mac> macChanged;
  std::vector<Link> linksAdded, linksRemoved;
};

struct CRunDiff {
  CRunSummary from, to;
  std::vector<CNeChange> nes;  // NEs of `to` in its order, then those gone in `from`'s order
};

CRunDiff DEDiffRuns(const CStoredRun& from, const CStoredRun& to);

// The diff for people (a heading, then each changed NE with one line per
// change) and for programs (JSON, see the README).
void DEWriteDiffText(const CRunDiff& diff, std::ostream& out);
void DEWriteDiffJson(const CRunDiff& diff, std::ostream& out);

#endif  // ENGINE_HISTORY_RUNDIFF_H_
