// How stored values read as text in the named settings: one rule per kind
// of scalar and one decoder per kind of table record. Pure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <ipslan/ipslan.h>

#include "device/setting_names.h"

namespace tolvaro::device {

// Upper-case hexadecimal pairs, with `separator` between them unless it is 0.
std::string hexPairs(const std::uint8_t* bytes, std::size_t count, char separator);

// A scalar entry (write-entry form) as `shown` says; a table's bytes as
// hexadecimal pairs.
std::string scalarValue(Shown shown, const _snmp_packet& entry);

// Decoders of one record each: the fields in the order of the kind's
// RecordField list; nothing when the record's bytes do not decode (then only
// its raw bytes can be compared).
std::vector<std::string> decodeUser(const std::uint8_t* bytes, std::size_t length);
std::vector<std::string> decodeGroup(const std::uint8_t* bytes, std::size_t length);
std::vector<std::string> decodePortName(const std::uint8_t* bytes, std::size_t length);
std::vector<std::string> decodeStation(const std::uint8_t* bytes, std::size_t length);
std::vector<std::string> decodeRoute(const std::uint8_t* bytes, std::size_t length);
std::vector<std::string> decodeServer(const std::uint8_t* bytes, std::size_t length);
std::vector<std::string> decodeSpecial(const std::uint8_t* bytes, std::size_t length);
std::vector<std::string> decodeExposed(const std::uint8_t* bytes, std::size_t length);
std::vector<std::string> decodeLease(const std::uint8_t* bytes, std::size_t length);
std::vector<std::string> decodeOpaque(const std::uint8_t* bytes, std::size_t length);
std::vector<std::string> decodeNothing(const std::uint8_t* bytes, std::size_t length);

} // namespace tolvaro::device
