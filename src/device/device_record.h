// Reading and writing the text fields of a device record. The library fills
// the records from what routers announce, so a field is read only up to its
// own end even when it lacks its terminating zero, and a text written into a
// field is cut to leave room for one.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace tolvaro::device {

template <std::size_t N> std::string fieldText(const char (&field)[N]) {
    const char* end = std::find(field, field + N, '\0');
    return std::string(field, end);
}

template <std::size_t N> void setField(char (&field)[N], std::string_view text) {
    const std::size_t n = std::min(text.size(), N - 1);
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), n);
}

} // namespace tolvaro::device
