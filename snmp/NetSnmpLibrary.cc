#include "snmp/NetSnmpLibrary.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdlib>

namespace snmp {

void NetSnmpInit() {
  static std::once_flag once;
  std::call_once(once, [] {
    std::lock_guard<std::mutex> guard(NetSnmpLock());
    // Without MIBS the library would parse every MIB file it finds and
    // complain about each missing module on standard error.
    setenv("MIBS", "", 0);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_LOAD_HOST_FILES, 1);
    init_snmp("ipv6disco");
  });
}

std::mutex& NetSnmpLock() {
  static std::mutex* lock = new std::mutex;  // never destroyed: used until exit
  return *lock;
}

}  // namespace snmp
