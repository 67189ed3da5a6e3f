#include "snmp/ColumnWalk.h"

#include <algorithm>

namespace snmp {

namespace {

std::string Stop(const std::string& why, size_t rows) {
  return why + " after " + std::to_string(rows) + (rows == 1 ? " row" : " rows");
}

// The error-status values of RFC 3416, by number.
const char* const kErrorStatusNames[] = {
    "noError", "tooBig", "noSuchName", "badValue", "readOnly", "genErr", "noAccess",
    "wrongType", "wrongLength", "wrongEncoding", "wrongValue", "noCreation", "inconsistentValue",
    "resourceUnavailable", "commitFailed", "undoFailed", "authorizationError", "notWritable",
    "inconsistentName"};

size_t RowCount(const TableWalkResult& result) {
  size_t rows = 0;
  for (const std::vector<VarBind>& column : result.columns) rows += column.size();
  return rows;
}

}  // namespace

std::string ErrorStatusText(long status) {
  const long known = static_cast<long>(sizeof(kErrorStatusNames) / sizeof(kErrorStatusNames[0]));
  return "error-status " + std::to_string(status) +
         (status >= 0 && status < known ? std::string(" (") + kErrorStatusNames[status] + ")" : "");
}

TableWalkResult WalkColumns(PduChannel* channel, const std::vector<Oid>& columns,
                            const WalkOptions& options) {
  TableWalkResult result;
  result.columns.resize(columns.size());
  std::vector<Oid> last = columns;
  std::vector<bool> ended(columns.size(), false);
  int repetitions = std::max(1, options.maxRepetitions);
  bool oneColumnAtATime = false;
  while (true) {
    std::vector<size_t> active;
    for (size_t c = 0; c < columns.size(); ++c) {
      if (!ended[c]) active.push_back(c);
      if (oneColumnAtATime && !active.empty()) break;
    }
    if (active.empty()) return result;
    std::vector<Oid> asked;
    for (size_t c : active) asked.push_back(last[c]);

    PduReply reply = options.bulk ? channel->GetBulk(asked, repetitions) : channel->GetNext(asked);
    ++result.requests;
    if (reply.outcome == EPduOutcome::kFailed) {
      result.error = Stop("request failed (" + reply.detail + ")", RowCount(result));
      return result;
    }
    if (reply.outcome == EPduOutcome::kNoAnswer) {
      result.strays = reply.strays;
      if (result.answered) result.error = Stop("no answer", RowCount(result));
      return result;
    }
    result.answered = true;
    if (reply.errorStatus == kErrTooBig) {
      if (options.bulk && repetitions > 1) {
        repetitions = std::max(1, repetitions / 2);
        continue;
      }
      if (active.size() > 1) {
        oneColumnAtATime = true;
        continue;
      }
    }
    // SNMPv1 only: a column reached the end of view. An SNMPv2 agent ends a
    // column with exception values; its noSuchName is an error like others.
    if (reply.errorStatus == kErrNoSuchName && !options.bulk) {
      const long at = reply.errorIndex;
      if (at >= 1 && static_cast<size_t>(at) <= active.size()) {
        ended[active[at - 1]] = true;
      } else {
        for (size_t c : active) ended[c] = true;
      }
      continue;
    }
    if (reply.errorStatus != kErrNoError) {
      result.error = Stop(ErrorStatusText(reply.errorStatus), RowCount(result));
      return result;
    }
    if (reply.binds.empty()) {
      result.error = Stop("empty response", RowCount(result));
      return result;
    }
    for (size_t k = 0; k < reply.binds.size(); ++k) {
      const size_t c = active[k % active.size()];
      if (ended[c]) continue;
      VarBind& bind = reply.binds[k];
      if (bind.value.IsException() || !OidIsUnder(bind.oid, columns[c])) {
        ended[c] = true;
        continue;
      }
      if (!(last[c] < bind.oid)) {
        result.error = Stop("OID " + OidText(bind.oid) + " does not increase on " + OidText(last[c]),
                            RowCount(result));
        return result;
      }
      if (result.columns[c].size() >= options.maxRows) {
        result.error = Stop("too many rows", RowCount(result));
        return result;
      }
      last[c] = bind.oid;
      result.columns[c].push_back(std::move(bind));
    }
  }
}

WalkResult WalkColumn(PduChannel* channel, const Oid& column, const WalkOptions& options) {
  TableWalkResult table = WalkColumns(channel, std::vector<Oid>{column}, options);
  WalkResult result;
  result.answered = table.answered;
  result.rows = std::move(table.columns.front());
  result.error = std::move(table.error);
  result.requests = table.requests;
  result.strays = table.strays;
  return result;
}

bool GetExact(PduChannel* channel, const Oid& oid, VarBind* out, EPduOutcome* outcome,
              std::string* detail, int* strays) {
  PduReply reply = channel->Get(oid);
  *outcome = reply.outcome;
  *detail = reply.detail;
  if (strays != nullptr) *strays = reply.outcome == EPduOutcome::kNoAnswer ? reply.strays : 0;
  if (reply.outcome == EPduOutcome::kAnswer && reply.errorStatus != kErrNoError &&
      reply.errorStatus != kErrNoSuchName) {
    *detail = ErrorStatusText(reply.errorStatus);
  }
  if (reply.outcome != EPduOutcome::kAnswer || reply.errorStatus != kErrNoError ||
      reply.binds.empty()) {
    return false;
  }
  VarBind& bind = reply.binds.front();
  if (bind.oid != oid || bind.value.IsException()) return false;
  *out = std::move(bind);
  return true;
}

}  // namespace snmp
