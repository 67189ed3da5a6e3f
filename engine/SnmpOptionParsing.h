// The SNMP options of the commands that ask devices (the discovery run and
// `ipv6disco record`): their names, what each sets in CNetSnmpOptions and
// the checks between them, so that both commands take them alike. Messages
// are whole phrases without the program's name. No state; safe from any
// thread.
#ifndef ENGINE_SNMPOPTIONPARSING_H_
#define ENGINE_SNMPOPTIONPARSING_H_

#include <set>
#include <string>

#include "snmp/NetSnmpOptions.h"

// True for the name of an SNMP option ("--community", "--timeout", ...);
// each takes a value.
bool DEIsSnmpOption(const std::string& name);
// Every SNMP option name, sorted.
std::set<std::string> DESnmpOptionNames();

// Sets in `snmp` what option `name` (one DEIsSnmpOption accepts) with
// `value` says. False, with `error` set ("--port: '0' is not a number from
// 1 to 65535"), for a value the option does not take.
bool DEApplySnmpOption(const std::string& name, const std::string& value, CNetSnmpOptions* snmp,
                       std::string* error);

// "" when the SNMP options whose names are `given` fit together in `snmp`,
// else why not. SNMPv3 without --user is refused only when `needUser`.
std::string DECheckSnmpOptions(const CNetSnmpOptions& snmp, const std::set<std::string>& given,
                               bool needUser);

#endif  // ENGINE_SNMPOPTIONPARSING_H_
