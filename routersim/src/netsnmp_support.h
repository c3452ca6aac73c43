// Process-wide Net-SNMP set-up shared by every simulated router.
#pragma once

#include <mutex>

namespace routersim::detail {

// Sets Net-SNMP up once (no configuration files, no persistent state, no
// logging); safe to call from any thread.
void initNetSnmp();

// Debian's Net-SNMP is not re-entrant: opening and closing sessions is
// serialised. Each router thread then uses only its own session.
std::mutex& netSnmpMutex();

} // namespace routersim::detail
