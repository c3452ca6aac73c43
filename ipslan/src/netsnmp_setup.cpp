#include "ipslan/detail/netsnmp_setup.h"

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

namespace ipslan::detail {

std::mutex& netSnmpMutex() {
    static std::mutex mutex;
    return mutex;
}

void initNetSnmp() {
    static std::once_flag once;
    std::call_once(once, [] {
        std::lock_guard lock(netSnmpMutex());
        // init_snmp() would scan MIB directories and read and write files
        // under /etc/snmp and /var/lib/snmp; the first snmp_sess_init does the
        // little set-up a bare session needs.
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
        netsnmp_register_loghandler(NETSNMP_LOGHANDLER_NONE, LOG_EMERG);
        snmp_disable_log();
        netsnmp_session session;
        snmp_sess_init(&session);
    });
}

} // namespace ipslan::detail
