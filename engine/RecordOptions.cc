#include "engine/RecordOptions.h"

#include <set>

#include "engine/NeInput.h"
#include "engine/OptionNumbers.h"
#include "engine/Quoted.h"
#include "engine/SnmpOptionParsing.h"

namespace {

const char kUsage[] =
    "usage: ipv6disco record [options] --out DIR NE...\n"
    "\n"
    "Reads from each NE what discovery reads of it (the system group, ipForwarding,\n"
    "IPV6-MIB, and the IP-MIB and IF-MIB tables of the IP-MIB view) and writes it to\n"
    "DIR/<address>.snmprec, for ipv6disco --replay DIR. An IPv4 address is asked as\n"
    "it is; a name at its IPv4 addresses, then its IPv6 ones; an IPv6 address at\n"
    "the IPv4 addresses of its name, then itself. The first that answers is recorded.\n"
    "\n"
    "options:\n"
    "  --out DIR               the folder to write to (made when missing)\n"
    "  --ne-file FILE          more NEs, one a line (\"#\" starts a comment)\n"
    "  --threads N             NEs recorded at once (default: the number of cores)\n"
    "  --hosts FILE            names and addresses in hosts format, before the system resolver\n"
    "  --snmp-version, --community, --port, --timeout, --retries, --max-repetitions,\n"
    "  --user, --auth-protocol, --auth-passphrase, --priv-protocol, --priv-passphrase,\n"
    "  --context               SNMP, as for discovery (see ipv6disco --help)\n"
    "  -h, --help              show this help\n"
    "\n"
    "exit status: 0 every NE recorded, 3 some NE not recorded, 2 usage error,\n"
    "1 a recording could not be written, 130 or 143 interrupted by SIGINT or\n"
    "SIGTERM (the NEs under way are finished; a second signal stops at once)\n";

const char kProgram[] = "ipv6disco record: ";

const std::set<std::string> kValued = {"--out", "--ne-file", "--threads", "--hosts"};

class Parser {
 public:
  Parser(CRecordOptions* options, std::string* error) : m_Options(options), m_Error(error) {}

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
      if (arg == "-h" || arg == "--help") return ERunnerCommand::kHelp;
      const size_t equals = arg.compare(0, 2, "--") == 0 ? arg.find('=') : std::string::npos;
      const std::string name = arg.substr(0, equals);
      if (kValued.count(name) == 0 && !DEIsSnmpOption(name)) {
        return Fail("unknown option " + DEQuoted(name) + " (see ipv6disco record --help)");
      }
      std::string value;
      if (equals != std::string::npos) {
        value = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        return Fail("option '" + name + "' needs a value");
      }
      if (!Apply(name, value)) return ERunnerCommand::kUsageError;
      m_Given.insert(name);
    }
    return Check() ? ERunnerCommand::kRun : ERunnerCommand::kUsageError;
  }

 private:
  ERunnerCommand Fail(const std::string& message) {
    Bad(message);
    return ERunnerCommand::kUsageError;
  }
  bool Bad(const std::string& message) {
    *m_Error = kProgram + message;
    return false;
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
    CRecordOptions& o = *m_Options;
    std::string problem;
    long number = 0;
    if (DEIsSnmpOption(name)) {
      if (!DEApplySnmpOption(name, value, &o.snmp, &problem)) return Bad(problem);
    } else if (name == "--out" || name == "--hosts") {
      if (value.empty()) return Bad(name + ": empty path");
      (name == "--out" ? o.outDir : o.hostsFile) = value;
    } else if (name == "--threads") {
      if (!DEParseOptionNumber(value, 1, 1024, &number)) {
        return Bad(name + ": " + DEQuoted(value) + " is not a number from 1 to 1024");
      }
      o.threads = static_cast<int>(number);
    } else if (name == "--ne-file") {
      if (!DEReadNeFile(value, &o.nes, &problem)) return Bad(problem);
    }
    return true;
  }

  bool Check() {
    const std::string problem = DECheckSnmpOptions(m_Options->snmp, m_Given, true);
    if (!problem.empty()) return Bad(problem);
    if (m_Options->outDir.empty()) return Bad("--out DIR is needed: the folder to write to");
    if (m_Options->nes.empty()) {
      return Bad("no NE given: name NEs as arguments or with --ne-file (see ipv6disco record --help)");
    }
    return true;
  }

  CRecordOptions* m_Options;
  std::string* m_Error;
  std::set<std::string> m_Given;
};

}  // namespace

ERunnerCommand DEParseRecordOptions(const std::vector<std::string>& args, CRecordOptions* options,
                                    std::string* error) {
  *options = CRecordOptions();
  error->clear();
  return Parser(options, error).Parse(args);
}

const char* DERecordUsage() { return kUsage; }
