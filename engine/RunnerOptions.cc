#include "engine/RunnerOptions.h"

#include <sys/stat.h>

#include <set>

#include "engine/NeInput.h"
#include "engine/OptionNumbers.h"
#include "engine/Quoted.h"
#include "engine/SnmpOptionParsing.h"

namespace {

// The short help: one screen (at most 23 lines of 79 columns). The full
// reference of every option is the manual page, ipv6disco(1).
const char kUsage[] =
    "usage: ipv6disco [options] NE...\n"
    "\n"
    "Discovers the IPv6 topology around the NEs (IPv4 or IPv6 addresses, with an\n"
    "optional /length, or node names) over SNMP and reports it.\n"
    "\n"
    "  --ne-file FILE          more NEs, one a line (\"#\" starts a comment)\n"
    "  --replay DIR            answer from recorded walks instead of the network\n"
    "  --hosts FILE            names and addresses in hosts format\n"
    "  --etc-dir DIR           configuration folder (default /etc/ipv6disco)\n"
    "  --var-dir DIR           host history folder (default /var/lib/ipv6disco)\n"
    "  --snmp-version V        1, 2c (default) or 3; also --community, --user, ...\n"
    "  --crawl                 also discover the neighbours the NEs report\n"
    "  --format F              text (default), json, jsonl (a line per NE as it\n"
    "                          ends, then one with the links), dot or svg\n"
    "  -o, --output FILE       write the report to FILE instead of standard output\n"
    "  --db FILE               append the run to a history: ipv6disco history, diff\n"
    "  --trace-level N         0 (default) to 5\n"
    "  -h, --help; --version   this help; the version\n"
    "\n"
    "exit status: 0 every NE processed, 3 some NE failed, 2 usage error,\n"
    "1 fatal error, 130 or 143 interrupted\n"
    "Every option, the files and examples: man ipv6disco, ipv6disco(1).\n";

const char kVersion[] = "ipv6disco 1.0\n";

const char kProgram[] = "ipv6disco: ";

// Options that take a value, and the flags.
const std::set<std::string> kValued = {
    "--plugin",  "--threads",     "--ne-file",    "--etc-dir",  "--var-dir",
    "--replay",  "--hosts",       "--trace-level", "--trace-file", "--format",
    "--output",  "--max-hops",    "--max-nes",    "--scope",    "--exclude",
    "--db"};
const std::set<std::string> kFlags = {"--help", "--version", "--crawl"};
const char* const kCrawlOptions[] = {"--max-hops", "--max-nes", "--scope", "--exclude"};

// The options that only the live requester uses.
const char* const kLiveOptions[] = {"--community",       "--port",          "--timeout",
                                    "--retries",         "--user",          "--auth-protocol",
                                    "--auth-passphrase", "--priv-protocol", "--priv-passphrase",
                                    "--context"};

bool IsDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class Parser {
 public:
  Parser(CRunnerOptions* options, std::string* error) : m_Options(options), m_Error(error) {}

  ERunnerCommand Parse(const std::vector<std::string>& args) {
    bool onlyNes = false;
    for (size_t i = 0; i < args.size(); ++i) {
      const std::string& arg = args[i];
      if (onlyNes || arg.empty() || arg[0] != '-' || arg == "-") {
        if (!AddNe(arg)) return ERunnerCommand::kUsageError;
        continue;
      }
      if (arg == "--") {
        onlyNes = true;
        continue;
      }
      std::string name = arg;
      std::string value;
      bool hasValue = false;
      if (arg.compare(0, 2, "--") == 0) {
        const size_t equals = arg.find('=');
        if (equals != std::string::npos) {
          name = arg.substr(0, equals);
          value = arg.substr(equals + 1);
          hasValue = true;
        }
      } else if (arg.compare(0, 2, "-o") == 0) {
        name = "--output";
        if (arg.size() > 2) {
          value = arg.substr(2);
          hasValue = true;
        }
      } else if (arg == "-h") {
        name = "--help";
      } else {
        return Fail("unknown option " + DEQuoted(arg) + " (see ipv6disco --help)");
      }
      if (kFlags.count(name) != 0) {
        if (hasValue) return Fail("option '" + name + "' takes no value");
        if (name == "--crawl") {
          m_Options->crawl = true;
          continue;
        }
        return name == "--help" ? ERunnerCommand::kHelp : ERunnerCommand::kVersion;
      }
      if (kValued.count(name) == 0 && !DEIsSnmpOption(name)) {
        return Fail("unknown option " + DEQuoted(name) + " (see ipv6disco --help)");
      }
      if (!hasValue) {
        if (i + 1 >= args.size()) return Fail("option '" + name + "' needs a value");
        value = args[++i];
      }
      if (!Apply(name, value)) return ERunnerCommand::kUsageError;
      m_Given.insert(name);
    }
    return Check() ? ERunnerCommand::kRun : ERunnerCommand::kUsageError;
  }

 private:
  ERunnerCommand Fail(const std::string& message) {
    *m_Error = kProgram + message;
    return ERunnerCommand::kUsageError;
  }
  bool Bad(const std::string& message) {
    *m_Error = kProgram + message;
    return false;
  }
  bool BadValue(const std::string& name, const std::string& value, const std::string& what) {
    return Bad(name + ": " + DEQuoted(value) + " is not " + what);
  }

  bool AddNe(const std::string& text) {
    const std::string problem = DECheckNe(text);
    if (!problem.empty()) {
      return Bad(text.empty() ? std::string("empty NE argument") : "NE " + DEQuoted(text) + ": " + problem);
    }
    m_Options->nes.push_back(text);
    return true;
  }

  bool Apply(const std::string& name, const std::string& value) {
    CRunnerOptions& o = *m_Options;
    long number = 0;
    if (name == "--plugin") {
      if (value.empty()) return Bad("--plugin: empty path");
      o.plugin = value;
    } else if (name == "--threads") {
      if (!DEParseOptionNumber(value, 1, 1024, &number)) {
        return BadValue(name, value, "a number from 1 to 1024");
      }
      o.threads = static_cast<int>(number);
    } else if (name == "--ne-file") {
      std::string problem;
      if (!DEReadNeFile(value, &o.nes, &problem)) return Bad(problem);
    } else if (name == "--etc-dir" || name == "--var-dir" || name == "--replay") {
      if (!IsDirectory(value)) return BadValue(name, value, "a folder");
      (name == "--etc-dir" ? o.etcDir : name == "--var-dir" ? o.varDir : o.replayDir) = value;
    } else if (DEIsSnmpOption(name)) {
      std::string problem;
      if (!DEApplySnmpOption(name, value, &o.snmp, &problem)) return Bad(problem);
    } else if (name == "--hosts") {
      if (value.empty()) return Bad("--hosts: empty path");
      o.hostsFile = value;
    } else if (name == "--trace-level") {
      if (!DEParseOptionNumber(value, 0, 5, &number)) return BadValue(name, value, "a level from 0 to 5");
      o.traceLevel = static_cast<int>(number);
    } else if (name == "--trace-file") {
      if (value.empty()) return Bad("--trace-file: empty path");
      o.traceFile = value;
    } else if (name == "--format") {
      if (value == "text") {
        o.format = EReportFormat::kText;
      } else if (value == "json") {
        o.format = EReportFormat::kJson;
      } else if (value == "dot") {
        o.format = EReportFormat::kDot;
      } else if (value == "jsonl") {
        o.format = EReportFormat::kJsonLines;
      } else if (value == "svg") {
        o.format = EReportFormat::kSvg;
      } else {
        return BadValue(name, value, "text, json, jsonl, dot or svg");
      }
    } else if (name == "--output") {
      if (value.empty()) return Bad("--output: empty path");
      o.output = value;
    } else if (name == "--db") {
      if (value.empty()) return Bad("--db: empty path");
      o.historyFile = value;
    } else if (name == "--max-hops") {
      if (!DEParseOptionNumber(value, 0, 1000000, &number)) return BadValue(name, value, "a number from 0 to 1000000");
      o.crawlLimits.maxHops = static_cast<int>(number);
    } else if (name == "--max-nes") {
      if (!DEParseOptionNumber(value, 1, 1000000, &number)) return BadValue(name, value, "a number from 1 to 1000000");
      o.crawlLimits.maxNes = static_cast<size_t>(number);
    } else if (name == "--scope" || name == "--exclude") {
      std::optional<CIpv6Prefix> prefix = CIpv6Prefix::Parse(value);
      if (!prefix) return BadValue(name, value, "an IPv6 prefix (such as 2001:db8::/32)");
      (name == "--scope" ? o.crawlLimits.scope : o.crawlLimits.exclude).push_back(*prefix);
    }
    return true;
  }

  // Checks between options, once all are known.
  bool Check() {
    if (!m_Options->replayDir.empty()) {
      for (const char* name : kLiveOptions) {
        if (m_Given.count(name) != 0) {
          return Bad(std::string(name) + " has no effect with --replay");
        }
      }
    }
    const std::string problem = DECheckSnmpOptions(m_Options->snmp, m_Given, m_Options->replayDir.empty());
    if (!problem.empty()) return Bad(problem);
    if (m_Options->nes.empty()) {
      return Bad("no NE given: name NEs as arguments or with --ne-file (see ipv6disco --help)");
    }
    for (const char* name : kCrawlOptions) {
      if (!m_Options->crawl && m_Given.count(name) != 0) return Bad(std::string(name) + " needs --crawl");
    }
    if (m_Options->crawl && m_Options->nes.size() > m_Options->crawlLimits.maxNes) {
      return Bad("--max-nes " + std::to_string(m_Options->crawlLimits.maxNes) + " is below the " +
                 std::to_string(m_Options->nes.size()) + " NEs given");
    }
    return true;
  }

  CRunnerOptions* m_Options;
  std::string* m_Error;
  std::set<std::string> m_Given;
};

}  // namespace

ERunnerCommand DEParseRunnerOptions(const std::vector<std::string>& args, CRunnerOptions* options,
                                    std::string* error) {
  *options = CRunnerOptions();
  options->arguments = args;
  error->clear();
  return Parser(options, error).Parse(args);
}

const char* DERunnerUsage() { return kUsage; }

std::vector<std::string> DERunnerOptionNames() {
  std::vector<std::string> names(kValued.begin(), kValued.end());
  names.insert(names.end(), kFlags.begin(), kFlags.end());
  for (const std::string& name : DESnmpOptionNames()) names.push_back(name);
  names.push_back("-h");
  names.push_back("-o");
  return names;
}
const char* DERunnerVersion() { return kVersion; }
