// Response values as read entries, for single and packed reads alike.
#pragma once

#include <cstddef>
#include <cstdint>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include "ipslan/ipslan.h"

namespace ipslan::detail {

// Turns one response value into a read entry; false for types that have no
// entry form or values longer than an entry holds.
bool toEntry(const netsnmp_variable_list& var, MIB_RESPONSE& entry);

void putLe16(std::uint8_t* out, std::size_t value);

} // namespace ipslan::detail
