// Read entries as a fetch leaves them, for tests that fill a store (or a
// fake device's answer) without a router.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include <ipslan/ipslan.h>

namespace tolvaro::test {

// Clears the entry, then stores `type`, the 16-bit length and the bytes.
inline void setReadEntry(MIB_RESPONSE& entry, std::uint8_t type, const void* bytes, std::size_t n) {
    entry = MIB_RESPONSE{};
    entry.type = type;
    entry.length[0] = static_cast<std::uint8_t>(n & 0xff);
    entry.length[1] = static_cast<std::uint8_t>(n >> 8);
    std::memcpy(entry.value, bytes, std::min(n, sizeof entry.value));
}

inline void setReadText(MIB_RESPONSE& entry, std::string_view text) {
    setReadEntry(entry, kTypeOctetString, text.data(), text.size());
}

// Four bytes, low byte first, as the library returns integers and counters.
inline void setReadInteger(MIB_RESPONSE& entry, std::int32_t value,
                           std::uint8_t type = kTypeInteger) {
    const auto u = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                                   static_cast<std::uint8_t>(u >> 16),
                                   static_cast<std::uint8_t>(u >> 24)};
    setReadEntry(entry, type, bytes, sizeof bytes);
}

} // namespace tolvaro::test
