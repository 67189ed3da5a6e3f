#include "engine/history/SqliteRunStore.h"

#include <cstdlib>
#include <exception>
#include <map>
#include <nlohmann/json.hpp>

#include "engine/history/SqliteStatement.h"

namespace {

long long Count(size_t n) { return static_cast<long long>(n); }

}  // namespace

std::string CSqliteRunStore::Problem(const std::string& what) const {
  return what + " in the history '" + m_Path + "': " + sqlite3_errmsg(m_Db);
}

std::optional<long long> CSqliteRunStore::Append(const CStoredRun& run, std::string* error) {
  // IMMEDIATE: the write lock is taken (or waited for) before anything is
  // read, so two writers never both read and then both try to write.
  if (sqlite3_exec(m_Db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
    *error = Problem("cannot start writing");
    return std::nullopt;
  }
  long long id = 0;
  if (!Insert(run, &id)) {
    *error = Problem("cannot write the run");
    sqlite3_exec(m_Db, "ROLLBACK", nullptr, nullptr, nullptr);
    return std::nullopt;
  }
  if (std::getenv(kAbortBeforeCommitVariable) != nullptr) std::abort();
  if (sqlite3_exec(m_Db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    *error = Problem("cannot write the run");
    sqlite3_exec(m_Db, "ROLLBACK", nullptr, nullptr, nullptr);
    return std::nullopt;
  }
  return id;
}

bool CSqliteRunStore::Insert(const CStoredRun& run, long long* id) {
  const CRunSummary& s = run.summary;
  CSqliteStatement runs(m_Db, "INSERT INTO runs (started, finished, arguments, agent, processed, failed, "
                              "interrupted, links) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
  if (!runs.Ok() || !runs.Bind(1, s.started).Bind(2, s.finished).Bind(3, nlohmann::json(run.arguments).dump())
                         .Bind(4, run.agent).Bind(5, Count(s.processed)).Bind(6, Count(s.failed))
                         .Bind(7, Count(s.interrupted)).Bind(8, Count(s.links)).Run()) {
    return false;
  }
  *id = sqlite3_last_insert_rowid(m_Db);
  CSqliteStatement inputs(m_Db, "INSERT INTO run_inputs VALUES (?, ?, ?)");
  CSqliteStatement nes(m_Db, "INSERT INTO nes (run_id, position, input, status, name, address, reason, hop, "
                             "found_via, found_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  CSqliteStatement fields(m_Db, "INSERT INTO ne_fields VALUES (?, ?, ?, ?)");
  CSqliteStatement capabilities(m_Db, "INSERT INTO capabilities VALUES (?, ?, ?)");
  CSqliteStatement locals(m_Db, "INSERT INTO local_neighbours (ne_id, position, if_index, interface, address, "
                                "prefix_length, prefix, prefix_name, dns_name, scope) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  CSqliteStatement remotes(m_Db, "INSERT INTO remote_neighbours VALUES (?, ?, ?, ?, ?, ?)");
  CSqliteStatement errors(m_Db, "INSERT INTO errors VALUES (?, ?, ?, ?)");
  CSqliteStatement links(m_Db, "INSERT INTO links VALUES (?, ?, ?, ?, ?, ?, ?)");
  for (const CSqliteStatement* statement : {&inputs, &nes, &fields, &capabilities, &locals, &remotes, &errors, &links}) {
    if (!statement->Ok()) return false;
  }
  for (size_t i = 0; i < run.inputs.size(); ++i) {
    if (!inputs.Bind(1, *id).Bind(2, Count(i)).Bind(3, run.inputs[i]).Run()) return false;
  }
  std::vector<long long> neIds;
  for (size_t i = 0; i < run.nes.size(); ++i) {
    const CStoredNe& ne = run.nes[i];
    if (!nes.Bind(1, *id).Bind(2, Count(i)).Bind(3, ne.input).Bind(4, ne.status).Bind(5, ne.name)
             .Bind(6, ne.address).Bind(7, ne.reason).Bind(8, static_cast<long long>(ne.hop))
             .Bind(9, ne.foundVia).Bind(10, ne.foundAt).Run()) {
      return false;
    }
    const long long neId = sqlite3_last_insert_rowid(m_Db);
    neIds.push_back(neId);
    for (size_t f = 0; f < ne.fields.size(); ++f) {
      if (!fields.Bind(1, neId).Bind(2, Count(f)).Bind(3, ne.fields[f].first).Bind(4, ne.fields[f].second).Run()) {
        return false;
      }
    }
    for (size_t c = 0; c < ne.capabilities.size(); ++c) {
      if (!capabilities.Bind(1, neId).Bind(2, Count(c)).Bind(3, ne.capabilities[c]).Run()) return false;
    }
    for (size_t l = 0; l < ne.locals.size(); ++l) {
      const CStoredLocal& local = ne.locals[l];
      if (!locals.Bind(1, neId).Bind(2, Count(l)).Bind(3, local.ifIndex).Bind(4, local.interface)
               .Bind(5, local.address).Bind(6, local.prefixLength).Bind(7, local.prefix).Bind(8, local.prefixName)
               .Bind(9, local.dnsName).Bind(10, local.scope).Run()) {
        return false;
      }
      const long long localId = sqlite3_last_insert_rowid(m_Db);
      for (size_t r = 0; r < local.remotes.size(); ++r) {
        const CStoredRemote& remote = local.remotes[r];
        if (!remotes.Bind(1, localId).Bind(2, Count(r)).Bind(3, remote.address).Bind(4, remote.mac)
                 .Bind(5, remote.source).Bind(6, remote.dnsName).Run()) {
          return false;
        }
      }
    }
    for (size_t e = 0; e < ne.errors.size(); ++e) {
      if (!errors.Bind(1, neId).Bind(2, Count(e)).Bind(3, static_cast<long long>(ne.errors[e].first))
               .Bind(4, ne.errors[e].second).Run()) {
        return false;
      }
    }
  }
  for (size_t i = 0; i < run.links.size(); ++i) {
    const CStoredLink& link = run.links[i];
    std::optional<long long> remoteNe;
    if (link.remoteNe) remoteNe = neIds.at(*link.remoteNe);
    if (!links.Bind(1, *id).Bind(2, Count(i)).Bind(3, neIds.at(link.ne)).Bind(4, link.ifIndex)
             .Bind(5, link.localAddress).Bind(6, link.remoteAddress).Bind(7, remoteNe).Run()) {
      return false;
    }
  }
  return true;
}

bool CSqliteRunStore::List(std::vector<CRunSummary>* runs, std::string* error) {
  runs->clear();
  CSqliteStatement query(m_Db, "SELECT id, started, finished, processed, failed, interrupted, links FROM runs "
                               "ORDER BY id");
  int rc = query.Ok() ? SQLITE_ROW : SQLITE_ERROR;
  while (query.Ok() && (rc = query.Step()) == SQLITE_ROW) {
    CRunSummary s;
    s.id = query.Integer(0).value_or(0);
    s.started = query.Text(1).value_or(""), s.finished = query.Text(2).value_or("");
    s.processed = static_cast<size_t>(query.Integer(3).value_or(0));
    s.failed = static_cast<size_t>(query.Integer(4).value_or(0));
    s.interrupted = static_cast<size_t>(query.Integer(5).value_or(0));
    s.links = static_cast<size_t>(query.Integer(6).value_or(0));
    runs->push_back(s);
  }
  if (rc == SQLITE_DONE) return true;
  *error = Problem("cannot read the runs");
  return false;
}

bool CSqliteRunStore::Load(long long id, CStoredRun* run, std::string* error) {
  *run = CStoredRun();
  // One read transaction: a writer that commits meanwhile is not half seen.
  sqlite3_exec(m_Db, "BEGIN", nullptr, nullptr, nullptr);
  bool read = false;
  try {
    read = Read(id, run);
  } catch (const std::exception&) {  // rows that point nowhere: a history edited by hand
    read = false;
    run->summary.id = id;
  }
  sqlite3_exec(m_Db, "COMMIT", nullptr, nullptr, nullptr);
  if (read) return true;
  *error = run->summary.id == 0 ? "no run " + std::to_string(id) + " in the history '" + m_Path + "'"
                                : Problem("cannot read run " + std::to_string(id));
  return false;
}

bool CSqliteRunStore::Read(long long id, CStoredRun* run) {
  CSqliteStatement head(m_Db, "SELECT id, started, finished, processed, failed, interrupted, links, arguments, "
                              "agent FROM runs WHERE id = ?");
  if (!head.Ok() || head.Bind(1, id).Step() != SQLITE_ROW) return false;
  CRunSummary& s = run->summary;
  s.id = id;
  s.started = head.Text(1).value_or(""), s.finished = head.Text(2).value_or("");
  s.processed = static_cast<size_t>(head.Integer(3).value_or(0));
  s.failed = static_cast<size_t>(head.Integer(4).value_or(0));
  s.interrupted = static_cast<size_t>(head.Integer(5).value_or(0));
  s.links = static_cast<size_t>(head.Integer(6).value_or(0));
  const nlohmann::json arguments = nlohmann::json::parse(head.Text(7).value_or("[]"), nullptr, false);
  if (arguments.is_array()) {
    for (const auto& a : arguments) run->arguments.push_back(a.is_string() ? a.get<std::string>() : "");
  }
  run->agent = head.Text(8).value_or("");

  // Each table in report order, one query per table; rows find their NE
  // (and local neighbour) through maps of ids.
  CSqliteStatement inputs(m_Db, "SELECT input FROM run_inputs WHERE run_id = ? ORDER BY position");
  CSqliteStatement nes(m_Db, "SELECT id, input, status, name, address, reason, hop, found_via, found_at FROM nes "
                             "WHERE run_id = ? ORDER BY position");
  CSqliteStatement fields(m_Db, "SELECT f.ne_id, f.name, f.value FROM ne_fields f JOIN nes n ON f.ne_id = n.id "
                                "WHERE n.run_id = ? ORDER BY n.position, f.position");
  CSqliteStatement capabilities(m_Db, "SELECT c.ne_id, c.name FROM capabilities c JOIN nes n ON c.ne_id = n.id "
                                      "WHERE n.run_id = ? ORDER BY n.position, c.position");
  CSqliteStatement locals(m_Db, "SELECT l.id, l.ne_id, l.if_index, l.interface, l.address, l.prefix_length, "
                                "l.prefix, l.prefix_name, l.dns_name, l.scope FROM local_neighbours l JOIN nes n "
                                "ON l.ne_id = n.id WHERE n.run_id = ? ORDER BY n.position, l.position");
  CSqliteStatement remotes(m_Db, "SELECT r.local_id, r.address, r.mac, r.source, r.dns_name FROM remote_neighbours r "
                                 "JOIN local_neighbours l ON r.local_id = l.id JOIN nes n ON l.ne_id = n.id "
                                 "WHERE n.run_id = ? ORDER BY n.position, l.position, r.position");
  CSqliteStatement errors(m_Db, "SELECT e.ne_id, e.code, e.message FROM errors e JOIN nes n ON e.ne_id = n.id "
                                "WHERE n.run_id = ? ORDER BY n.position, e.position");
  CSqliteStatement links(m_Db, "SELECT ne_id, if_index, local_address, remote_address, remote_ne_id FROM links "
                               "WHERE run_id = ? ORDER BY position");
  int rc = SQLITE_DONE;
  auto rows = [&](CSqliteStatement& query, auto each) {
    if (!query.Ok()) return false;
    query.Bind(1, id);
    while ((rc = query.Step()) == SQLITE_ROW) each(query);
    return rc == SQLITE_DONE;
  };
  std::map<long long, size_t> neIndex;
  std::map<long long, std::pair<size_t, size_t>> localAt;  // id -> NE, position
  return rows(inputs, [&](CSqliteStatement& q) { run->inputs.push_back(q.Text(0).value_or("")); }) &&
         rows(nes, [&](CSqliteStatement& q) {
           neIndex[q.Integer(0).value_or(0)] = run->nes.size();
           CStoredNe ne;
           ne.input = q.Text(1).value_or(""), ne.status = q.Text(2).value_or("");
           ne.name = q.Text(3), ne.address = q.Text(4), ne.reason = q.Text(5);
           ne.hop = static_cast<int>(q.Integer(6).value_or(0));
           ne.foundVia = q.Text(7), ne.foundAt = q.Text(8);
           run->nes.push_back(std::move(ne));
         }) &&
         rows(fields, [&](CSqliteStatement& q) {
           run->nes[neIndex.at(*q.Integer(0))].fields.emplace_back(q.Text(1).value_or(""), q.Text(2));
         }) &&
         rows(capabilities, [&](CSqliteStatement& q) {
           run->nes[neIndex.at(*q.Integer(0))].capabilities.push_back(q.Text(1).value_or(""));
         }) &&
         rows(locals, [&](CSqliteStatement& q) {
           CStoredLocal local;
           local.ifIndex = q.Integer(2), local.interface = q.Text(3), local.address = q.Text(4);
           local.prefixLength = q.Integer(5), local.prefix = q.Text(6), local.prefixName = q.Text(7);
           local.dnsName = q.Text(8), local.scope = q.Integer(9);
           const size_t ne = neIndex.at(*q.Integer(1));
           localAt[*q.Integer(0)] = {ne, run->nes[ne].locals.size()};
           run->nes[ne].locals.push_back(std::move(local));
         }) &&
         rows(remotes, [&](CSqliteStatement& q) {
           const auto [ne, local] = localAt.at(*q.Integer(0));
           run->nes[ne].locals[local].remotes.push_back({q.Text(1).value_or(""), q.Text(2), q.Text(3).value_or(""),
                                                         q.Text(4)});
         }) &&
         rows(errors, [&](CSqliteStatement& q) {
           run->nes[neIndex.at(*q.Integer(0))].errors.emplace_back(static_cast<int>(q.Integer(1).value_or(0)),
                                                                    q.Text(2));
         }) &&
         rows(links, [&](CSqliteStatement& q) {
           CStoredLink link;
           link.ne = neIndex.at(*q.Integer(0));
           link.ifIndex = q.Integer(1), link.localAddress = q.Text(2), link.remoteAddress = q.Text(3);
           if (auto remote = q.Integer(4)) link.remoteNe = neIndex.at(*remote);
           run->links.push_back(std::move(link));
         });
}
