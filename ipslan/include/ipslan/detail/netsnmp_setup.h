// Process-wide Net-SNMP set-up shared by the client and by simulated routers
// running in the same process.
#pragma once

#include <mutex>

namespace ipslan::detail {

// Sets Net-SNMP up once: no configuration files, no persistent state, no
// logging. Safe to call from any thread.
void initNetSnmp();

// Debian's Net-SNMP is not re-entrant: every session open and close in the
// process is serialised on this one mutex. Each thread then uses only its own
// sessions.
std::mutex& netSnmpMutex();

} // namespace ipslan::detail
