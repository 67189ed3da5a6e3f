#include "engine/SnmpOptionParsing.h"

#include <map>

#include "engine/OptionNumbers.h"
#include "engine/Quoted.h"

namespace {

const std::set<std::string> kSnmpOptions = {
    "--snmp-version",    "--community",     "--port",          "--timeout",
    "--retries",         "--max-repetitions", "--user",        "--auth-protocol",
    "--auth-passphrase", "--priv-protocol", "--priv-passphrase", "--context"};

const char* const kV3Options[] = {"--user", "--auth-protocol", "--auth-passphrase",
                                  "--priv-protocol", "--priv-passphrase", "--context"};

bool BadValue(const std::string& name, const std::string& value, const std::string& what,
              std::string* error) {
  *error = name + ": " + DEQuoted(value) + " is not " + what;
  return false;
}

}  // namespace

bool DEIsSnmpOption(const std::string& name) { return kSnmpOptions.count(name) != 0; }
std::set<std::string> DESnmpOptionNames() { return {kSnmpOptions.begin(), kSnmpOptions.end()}; }

bool DEApplySnmpOption(const std::string& name, const std::string& value, CNetSnmpOptions* snmp,
                       std::string* error) {
  long number = 0;
  if (name == "--snmp-version") {
    static const std::map<std::string, ESnmpVersion> kVersions = {
        {"1", ESnmpVersion::kV1}, {"2c", ESnmpVersion::kV2c}, {"3", ESnmpVersion::kV3}};
    auto it = kVersions.find(value);
    if (it == kVersions.end()) return BadValue(name, value, "1, 2c or 3", error);
    snmp->version = it->second;
  } else if (name == "--community") {
    snmp->community = value;
  } else if (name == "--port") {
    if (!DEParseOptionNumber(value, 1, 65535, &number)) {
      return BadValue(name, value, "a number from 1 to 65535", error);
    }
    snmp->port = static_cast<int>(number);
  } else if (name == "--timeout") {
    if (!DEParseOptionSeconds(value, &snmp->timeoutMs)) {
      return BadValue(name, value, "a number of seconds from 0.001 to 3600", error);
    }
  } else if (name == "--retries") {
    if (!DEParseOptionNumber(value, 0, 100, &number)) {
      return BadValue(name, value, "a number from 0 to 100", error);
    }
    snmp->retries = static_cast<int>(number);
  } else if (name == "--max-repetitions") {
    if (!DEParseOptionNumber(value, 1, 1000, &number)) {
      return BadValue(name, value, "a number from 1 to 1000", error);
    }
    snmp->maxRepetitions = static_cast<int>(number);
  } else if (name == "--user") {
    if (value.empty()) {
      *error = "--user: empty user name";
      return false;
    }
    snmp->user = value;
  } else if (name == "--auth-protocol") {
    static const std::map<std::string, ESnmpAuth> kAuth = {
        {"MD5", ESnmpAuth::kMD5},         {"SHA", ESnmpAuth::kSHA},
        {"SHA-224", ESnmpAuth::kSHA224}, {"SHA-256", ESnmpAuth::kSHA256},
        {"SHA-384", ESnmpAuth::kSHA384}, {"SHA-512", ESnmpAuth::kSHA512}};
    auto it = kAuth.find(value);
    if (it == kAuth.end()) {
      return BadValue(name, value, "MD5, SHA, SHA-224, SHA-256, SHA-384 or SHA-512", error);
    }
    snmp->auth = it->second;
  } else if (name == "--priv-protocol") {
    if (value == "DES") {
      snmp->priv = ESnmpPriv::kDES;
    } else if (value == "AES") {
      snmp->priv = ESnmpPriv::kAES;
    } else {
      return BadValue(name, value, "DES or AES", error);
    }
  } else if (name == "--auth-passphrase" || name == "--priv-passphrase") {
    // RFC 3414 11.2: pass phrases have at least 8 characters.
    if (value.size() < 8) {
      *error = name + ": at least 8 characters are needed";
      return false;
    }
    (name == "--auth-passphrase" ? snmp->authPassphrase : snmp->privPassphrase) = value;
  } else if (name == "--context") {
    snmp->context = value;
  }
  return true;
}

std::string DECheckSnmpOptions(const CNetSnmpOptions& snmp, const std::set<std::string>& given,
                               bool needUser) {
  if (snmp.version != ESnmpVersion::kV3) {
    for (const char* name : kV3Options) {
      if (given.count(name) != 0) return std::string(name) + " applies to SNMPv3 only (--snmp-version 3)";
    }
  } else {
    if (given.count("--community") != 0) return "--community applies to SNMPv1 and SNMPv2c only";
    if (needUser && snmp.user.empty()) return "--snmp-version 3 needs --user";
  }
  const bool auth = given.count("--auth-protocol") != 0, authPhrase = given.count("--auth-passphrase") != 0;
  const bool priv = given.count("--priv-protocol") != 0, privPhrase = given.count("--priv-passphrase") != 0;
  if (auth != authPhrase) {
    return auth ? "--auth-protocol needs --auth-passphrase" : "--auth-passphrase needs --auth-protocol";
  }
  if (priv != privPhrase) {
    return priv ? "--priv-protocol needs --priv-passphrase" : "--priv-passphrase needs --priv-protocol";
  }
  if (priv && !auth) {
    return "--priv-protocol needs --auth-protocol (SNMPv3 has no privacy without authentication)";
  }
  return "";
}
