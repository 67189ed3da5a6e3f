// The walk of one column and the single GET, on any PduChannel.
// No state of their own; the channel decides thread-safety.
#ifndef SNMP_COLUMNWALK_H_
#define SNMP_COLUMNWALK_H_

#include <string>
#include <vector>

#include "snmp/PduChannel.h"

namespace snmp {

struct WalkOptions {
  bool bulk = true;          // GETBULK (SNMPv2c, v3); false: GETNEXT (SNMPv1)
  int maxRepetitions = 20;   // of GETBULK; values below 1 count as 1
  size_t maxRows = 1000000;  // a column never ends for a broken agent
};

struct WalkResult {
  bool answered = false;       // the agent replied to at least one request
  std::vector<VarBind> rows;   // every row of the column, in walk order
  std::string error;           // why the walk stopped early; "" at the end
  int requests = 0;            // PDUs sent
  int strays = 0;              // of the request that got no reply (PduReply::strays)
};

// The same for several columns walked side by side.
struct TableWalkResult {
  bool answered = false;
  std::vector<std::vector<VarBind>> columns;  // rows of each column asked, in walk order
  std::string error;
  int requests = 0;
  int strays = 0;
};

// Walks the columns `columns` (at least one) side by side, every request
// asking each column that has not ended yet: every binding strictly
// beneath a column, in the agent's order, starting after the column
// itself. A column ends at its first binding outside it or at an exception
// value (endOfMibView); for SNMPv1 (GETNEXT) at noSuchName (only the
// column that the error-index names, when it names one). The walk stops
// early, with `error` set and the rows read so far, when the agent: stops
// answering after its first reply; returns an OID that does not increase;
// returns an empty reply; returns tooBig when no smaller request is
// possible (a tooBig GETBULK is repeated with half the repetitions, then
// column by column); returns any other error-status (noSuchName to a
// GETBULK included); or a column exceeds options.maxRows. A reply cut
// short (fewer bindings than asked) is used as far as it goes. A first
// request that gets no reply leaves `answered` false and `error` empty.
TableWalkResult WalkColumns(PduChannel* channel, const std::vector<Oid>& columns,
                            const WalkOptions& options);

// WalkColumns of the single column `column`.
WalkResult WalkColumn(PduChannel* channel, const Oid& column, const WalkOptions& options);

// "error-status N (name)" for an error-status of RFC 3416.
std::string ErrorStatusText(long status);

// The value bound to exactly `oid`, or false (no reply, an error-status, an
// exception value, a reply about another OID or no binding). `outcome`
// tells how the request went and `detail` why it failed (kFailed) or, for
// an answer, the error-status it carried ("" for none and for noSuchName,
// which is how an SNMPv1 agent says that it has no such object). When
// given, `strays` gets PduReply::strays of a request that got no reply.
bool GetExact(PduChannel* channel, const Oid& oid, VarBind* out, EPduOutcome* outcome,
              std::string* detail, int* strays = nullptr);

}  // namespace snmp

#endif  // SNMP_COLUMNWALK_H_
