// Internal to the library, exposed for its unit tests only: the SNMP half of
// the library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "ipslan/ipslan.h"
#include "ipslan/wire.h"

struct snmp_pdu;

namespace ipslan::detail {

// Most variables one request may name (the program sends at most 29).
inline constexpr int kMaxRequestVariables = 64;
// Most reads one batch may hold.
inline constexpr int kMaxBatchReads = 64;
// Most variables one packed request names before the router has said how
// many it takes; Save's reads of a family-2 router are 91.
inline constexpr int kMaxPackedVariables = 128;
// Most routers IPSGetInfoFleet reads at once (one socket each).
inline constexpr int kMaxRoutersAtOnce = 256;

// Sets up Net-SNMP once; later calls do nothing.
void initSnmp();

// The number in a write entry's value: a NUL-terminated decimal text within
// `size` bytes, an optional sign, digits only, from -2^31 to 2^32-1 (values
// above 2^31-1 keep their 32 bits). nullopt for anything else.
std::optional<std::int32_t> parseIntegerText(const std::uint8_t* value, std::size_t size);

// Whether a response answers a request for `requested`: no error status and
// exactly one varbind per requested variable, naming it, in order.
bool responseAnswers(const snmp_pdu& response, std::span<const wire::VariableOid> requested);

// The read entries of a response's values, in order; nothing when a value
// has a type without an entry form or is longer than an entry holds.
std::optional<std::vector<MIB_RESPONSE>> readEntries(const snmp_pdu& response);

int getInfo(const char* ip, int mode, int count, const int* variables, MIB_RESPONSE* result);
int getInfoBatch(const char* ip, IPS_READ* reads, int n);
int getInfoFleet(IPS_ROUTER* routers, int n, int atOnce, IPS_FLEET_STEP bind, IPS_FLEET_STEP done,
                 void* context);
// Forgets what routers taught about packing (for tests that reuse a port).
void forgetPacking();
int setInfo(const char* ip, int mode, int count, const int* variables, const _snmp_packet* values);

} // namespace ipslan::detail
