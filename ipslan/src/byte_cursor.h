// One cursor over a byte buffer for both byte orders the library speaks: the
// records are laid out little endian (the router's memory), the discovery
// datagrams big endian (network order). Callers check sizes before they walk
// a buffer; the cursor itself does not.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace ipslan::detail {

template <std::endian Order, typename T>
T loadNumber(std::span<const std::uint8_t, sizeof(T)> bytes) {
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        const std::size_t shift = 8 * (Order == std::endian::big ? sizeof(T) - 1 - i : i);
        value = static_cast<T>(value | static_cast<T>(bytes[i]) << shift);
    }
    return value;
}

template <std::endian Order, typename T>
void storeNumber(std::span<std::uint8_t, sizeof(T)> bytes, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        const std::size_t shift = 8 * (Order == std::endian::big ? sizeof(T) - 1 - i : i);
        bytes[i] = static_cast<std::uint8_t>(value >> shift);
    }
}

template <std::endian Order> class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint8_t u8() { return number<std::uint8_t>(); }
    std::uint16_t u16() { return number<std::uint16_t>(); }
    std::uint32_t u32() { return number<std::uint32_t>(); }
    template <typename T> T number() {
        return loadNumber<Order, T>(take(sizeof(T)).template first<sizeof(T)>());
    }
    void raw(std::span<std::uint8_t> out) {
        const auto area = take(out.size());
        std::copy(area.begin(), area.end(), out.begin());
    }
    // The next count bytes; the cursor moves past them.
    std::span<const std::uint8_t> take(std::size_t count) {
        const auto area = bytes_.subspan(pos_, count);
        pos_ += count;
        return area;
    }
    void skip(std::size_t count) { pos_ += count; }
    std::size_t remaining() const { return bytes_.size() - pos_; }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

template <std::endian Order> class ByteWriter {
public:
    explicit ByteWriter(std::span<std::uint8_t> bytes) : bytes_(bytes) {}

    void u8(std::uint8_t value) { number(value); }
    void u16(std::uint16_t value) { number(value); }
    void u32(std::uint32_t value) { number(value); }
    template <typename T> void number(T value) {
        storeNumber<Order, T>(take(sizeof(T)).template first<sizeof(T)>(), value);
    }
    void raw(std::span<const std::uint8_t> data) {
        std::copy(data.begin(), data.end(), take(data.size()).begin());
    }
    // The next count bytes, to be filled by the caller; the cursor moves past them.
    std::span<std::uint8_t> take(std::size_t count) {
        const auto area = bytes_.subspan(pos_, count);
        pos_ += count;
        return area;
    }
    void skip(std::size_t count) { pos_ += count; }
    std::size_t remaining() const { return bytes_.size() - pos_; }

private:
    std::span<std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

} // namespace ipslan::detail
