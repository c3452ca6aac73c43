// Internal to the library, exposed for its unit tests only: the SNMP half of
// the library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

struct MIB_RESPONSE;
struct _snmp_packet;
struct IPS_READ;

namespace ipslan::detail {

// Most variables one request may name (the program sends at most 29).
inline constexpr int kMaxRequestVariables = 64;
// Most reads one batch may hold.
inline constexpr int kMaxBatchReads = 64;

// Sets up Net-SNMP once; later calls do nothing.
void initSnmp();

// The number in a write entry's value: a NUL-terminated decimal text within
// `size` bytes, an optional sign, digits only, from -2^31 to 2^32-1 (values
// above 2^31-1 keep their 32 bits). nullopt for anything else.
std::optional<std::int32_t> parseIntegerText(const std::uint8_t* value, std::size_t size);

int getInfo(const char* ip, int mode, int count, const int* variables, MIB_RESPONSE* result);
int getInfoBatch(const char* ip, IPS_READ* reads, int n);
int setInfo(const char* ip, int mode, int count, const int* variables, const _snmp_packet* values);

} // namespace ipslan::detail
