#include "snmp/ColumnWalk.h"

#include <algorithm>

namespace snmp {

namespace {

std::string Stop(const std::string& why, size_t rows) {
  return why + " after " + std::to_string(rows) + (rows == 1 ? " row" : " rows");
}

}  // namespace

WalkResult WalkColumn(PduChannel* channel, const Oid& column, const WalkOptions& options) {
  WalkResult result;
  Oid last = column;
  int repetitions = std::max(1, options.maxRepetitions);
  while (true) {
    PduReply reply = options.bulk ? channel->GetBulk(last, repetitions) : channel->GetNext(last);
    ++result.requests;
    if (reply.outcome == EPduOutcome::kFailed) {
      result.error = Stop("request failed (" + reply.detail + ")", result.rows.size());
      return result;
    }
    if (reply.outcome == EPduOutcome::kNoAnswer) {
      if (result.answered) result.error = Stop("no answer", result.rows.size());
      return result;
    }
    result.answered = true;
    if (reply.errorStatus == kErrTooBig && options.bulk && repetitions > 1) {
      repetitions = std::max(1, repetitions / 2);
      continue;
    }
    if (reply.errorStatus == kErrNoSuchName) return result;  // SNMPv1 end of view
    if (reply.errorStatus != kErrNoError) {
      result.error = Stop("error-status " + std::to_string(reply.errorStatus), result.rows.size());
      return result;
    }
    if (reply.binds.empty()) {
      result.error = Stop("empty response", result.rows.size());
      return result;
    }
    for (VarBind& bind : reply.binds) {
      if (bind.value.IsException() || !OidIsUnder(bind.oid, column)) return result;
      if (!(last < bind.oid)) {
        result.error = Stop("OID " + OidText(bind.oid) + " does not increase on " +
                                OidText(last),
                            result.rows.size());
        return result;
      }
      if (result.rows.size() >= options.maxRows) {
        result.error = Stop("too many rows", result.rows.size());
        return result;
      }
      last = bind.oid;
      result.rows.push_back(std::move(bind));
    }
  }
}

bool GetExact(PduChannel* channel, const Oid& oid, VarBind* out, EPduOutcome* outcome,
              std::string* detail) {
  PduReply reply = channel->Get(oid);
  *outcome = reply.outcome;
  *detail = reply.detail;
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
