#include "engine/HistoryCommands.h"

#include <cctype>
#include <nlohmann/json.hpp>
#include <sstream>

#include "engine/Quoted.h"
#include "engine/history/RunDiff.h"
#include "engine/history/RunStore.h"

namespace {

constexpr int kTrouble = 2;

struct Command {
  bool help = false;
  std::string db;
  bool json = false;
  std::vector<std::string> operands;
};

// Parses --db, --format and the operands; false with `error` set.
bool Parse(const std::string& name, const std::vector<std::string>& args, Command* c, std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-h" || args[i] == "--help") {
      c->help = true;
      return true;
    }
    std::string arg = args[i], value;
    const size_t equals = arg.find('=');
    const bool inline_value = arg.compare(0, 2, "--") == 0 && equals != std::string::npos;
    if (inline_value) value = arg.substr(equals + 1), arg.resize(equals);
    if (arg != "--db" && arg != "--format") {
      if (!arg.empty() && arg[0] == '-') {
        *error = "ipv6disco " + name + ": unknown option " + DEQuoted(arg) + " (see ipv6disco --help)";
        return false;
      }
      c->operands.push_back(args[i]);
      continue;
    }
    if (!inline_value) {
      if (++i >= args.size()) {
        *error = "ipv6disco " + name + ": option '" + arg + "' needs a value";
        return false;
      }
      value = args[i];
    }
    if (arg == "--db") {
      c->db = value;
    } else if (value == "text" || value == "json") {
      c->json = value == "json";
    } else {
      *error = "ipv6disco " + name + ": --format: " + DEQuoted(value) + " is not text or json";
      return false;
    }
  }
  if (c->db.empty()) *error = "ipv6disco " + name + ": --db FILE is needed";
  return !c->db.empty();
}

int Trouble(FILE* err, const std::string& message) {
  std::fprintf(err, "%s\n", message.c_str());
  return kTrouble;
}

bool RunId(const std::string& text, long long* id) {
  if (text.empty() || text.size() > 15) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  *id = std::stoll(text);
  return true;
}

}  // namespace

int DEHistoryCommand(const std::vector<std::string>& args, FILE* out, FILE* err) {
  Command c;
  std::string error;
  if (!Parse("history", args, &c, &error)) return Trouble(err, error);
  if (c.help) {
    std::fputs("usage: ipv6disco history --db FILE [--format text|json]\n\n"
               "Lists the runs kept in the history FILE (see ipv6disco(1)).\n", out);
    return 0;
  }
  if (!c.operands.empty()) return Trouble(err, "ipv6disco history: unexpected " + DEQuoted(c.operands[0]));
  std::unique_ptr<CRunStore> store = DEOpenRunStore(c.db, true, &error);
  std::vector<CRunSummary> runs;
  if (store == nullptr || !store->List(&runs, &error)) return Trouble(err, "ipv6disco history: " + error);
  std::ostringstream text;
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const CRunSummary& r : runs) {
    list.push_back({{"id", r.id}, {"started", r.started}, {"finished", r.finished}, {"processed", r.processed},
                    {"failed", r.failed}, {"interrupted", r.interrupted}, {"links", r.links}});
    text << "run " << r.id << "  " << r.started << "  " << r.processed + r.failed + r.interrupted << " NEs: "
         << r.processed << " processed, " << r.failed << " failed"
         << (r.interrupted ? ", " + std::to_string(r.interrupted) + " interrupted" : "") << "; " << r.links
         << " link" << (r.links == 1 ? "" : "s") << "\n";
  }
  const std::string shown = c.json ? list.dump(2) + "\n" : text.str();
  std::fputs(shown.c_str(), out);
  return 0;
}

int DEDiffCommand(const std::vector<std::string>& args, FILE* out, FILE* err) {
  Command c;
  std::string error;
  if (!Parse("diff", args, &c, &error)) return Trouble(err, error);
  if (c.help) {
    std::fputs("usage: ipv6disco diff --db FILE [--format text|json] [RUN_A [RUN_B]]\n\n"
               "Lists what changed from run RUN_A to run RUN_B of the history FILE (default:\n"
               "the last two), NE by NE. Exit status 0 nothing changed, 1 something did,\n"
               "2 trouble (see ipv6disco(1)).\n", out);
    return 0;
  }
  if (c.operands.size() > 2) return Trouble(err, "ipv6disco diff: at most two runs are compared");
  std::unique_ptr<CRunStore> store = DEOpenRunStore(c.db, true, &error);
  std::vector<CRunSummary> runs;
  if (store == nullptr || !store->List(&runs, &error)) return Trouble(err, "ipv6disco diff: " + error);
  // Default: the last two runs; one run given: it against the last.
  long long ids[2] = {0, 0};
  for (size_t i = 0; i < c.operands.size(); ++i) {
    if (!RunId(c.operands[i], &ids[i])) {
      return Trouble(err, "ipv6disco diff: " + DEQuoted(c.operands[i]) + " is not a run number");
    }
  }
  if (c.operands.size() < 2) {
    const size_t needed = 2 - c.operands.size();
    if (runs.size() < needed) {
      return Trouble(err, "ipv6disco diff: the history '" + c.db + "' holds " + std::to_string(runs.size()) +
                              " run" + (runs.size() == 1 ? "" : "s") + "; name two runs or store more");
    }
    if (c.operands.empty()) ids[0] = runs[runs.size() - 2].id;
    ids[1] = runs.back().id;
  }
  CStoredRun from, to;
  if (!store->Load(ids[0], &from, &error) || !store->Load(ids[1], &to, &error)) {
    return Trouble(err, "ipv6disco diff: " + error);
  }
  const CRunDiff diff = DEDiffRuns(from, to);
  std::ostringstream shown;
  c.json ? DEWriteDiffJson(diff, shown) : DEWriteDiffText(diff, shown);
  std::fputs(shown.str().c_str(), out);
  return diff.nes.empty() ? 0 : 1;
}
