#include "snmp/NetSnmpLibrary.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdlib>

#include "host/KelTrace.h"

namespace snmp {

namespace {

// The library's own messages (authentication failures, say) go to the
// trace at level 3 instead of standard error.
int LogToTrace(int, int, void* serverArg, void*) {
  const auto* message = static_cast<const snmp_log_message*>(serverArg);
  if (message != nullptr && message->msg != nullptr) {
    genXPLTracef(3, "net-snmp: %s", message->msg);
  }
  return 0;
}

}  // namespace

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
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_CALLBACK, LOG_DEBUG);
    snmp_register_callback(SNMP_CALLBACK_LIBRARY, SNMP_CALLBACK_LOGGING, LogToTrace, nullptr);
  });
}

std::mutex& NetSnmpLock() {
  static std::mutex* lock = new std::mutex;  // never destroyed: used until exit
  return *lock;
}

}  // namespace snmp
