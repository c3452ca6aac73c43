// The record converters over table values as a router may return them, and
// over records as a program may hand them in: a failed decode leaves the zero
// record (the table's end mark), a decode never reads past the length it was
// given, an encode never writes past its capacity, what an encoder emits
// always decodes, and encode-decode-encode is stable.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include <ipslan/records.h>

#include "check.h"

namespace {

constexpr std::uint8_t kCanary = 0xcc;

template <typename Record> bool isZero(const Record& record) {
    const Record zero{};
    return std::memcmp(&record, &zero, sizeof record) == 0;
}

template <typename Record> bool sameBytes(const Record& a, const Record& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

template <typename Record> using Decoder = int (*)(Record*, const std::uint8_t*, std::size_t);
template <typename Record> using Encoder = int (*)(std::uint8_t*, const Record*, std::size_t);

// Encodes into a buffer one byte longer than the form, whose last byte must
// survive.
template <typename Record>
std::vector<std::uint8_t> encodeChecked(Encoder<Record> encode, const Record& record,
                                        std::size_t form) {
    std::vector<std::uint8_t> bytes(form + 1, kCanary);
    FUZZ_CHECK(encode(bytes.data(), &record, form) == static_cast<int>(form));
    FUZZ_CHECK(bytes[form] == kCanary);
    std::vector<std::uint8_t> tooSmall(form, kCanary);
    FUZZ_CHECK(encode(tooSmall.data(), &record, form - 1) == 0);
    FUZZ_CHECK(
        std::all_of(tooSmall.begin(), tooSmall.end(), [](std::uint8_t b) { return b == kCanary; }));
    bytes.pop_back();
    return bytes;
}

template <typename Record>
void checkPair(Decoder<Record> decode, Encoder<Record> encode, std::size_t form,
               FuzzedDataProvider& input) {
    // Bytes to record: the input is exactly as long as the length given, so
    // any read beyond it is caught by the address sanitizer.
    const std::vector<std::uint8_t> bytes =
        input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, form + 2));
    Record decoded;
    std::memset(&decoded, 0x5a, sizeof decoded);
    const int used = decode(&decoded, bytes.data(), bytes.size());
    if (used == 0) {
        FUZZ_CHECK(isZero(decoded));
    } else {
        FUZZ_CHECK(used == static_cast<int>(form) && bytes.size() >= form);
        const auto encoded = encodeChecked(encode, decoded, form);
        Record again;
        FUZZ_CHECK(decode(&again, encoded.data(), encoded.size()) == used);
        FUZZ_CHECK(sameBytes(again, decoded));
    }

    // Record to bytes, from any record image a caller could hold.
    Record record{};
    const auto image = input.ConsumeBytes<std::uint8_t>(sizeof record);
    std::copy(image.begin(), image.end(), reinterpret_cast<std::uint8_t*>(&record));
    const auto encoded = encodeChecked(encode, record, form);
    Record back;
    FUZZ_CHECK(decode(&back, encoded.data(), encoded.size()) == static_cast<int>(form));
    FUZZ_CHECK(encodeChecked(encode, back, form) == encoded);
}

void checkLease(FuzzedDataProvider& input) {
    const auto bytes = input.ConsumeBytes<std::uint8_t>(
        input.ConsumeIntegralInRange<std::size_t>(0, ipslan::kLeaseBytes + 2));
    dhcp_tmp_s lease;
    std::memset(&lease, 0x5a, sizeof lease);
    const int used = IPSConvByteToDHCPTable(&lease, bytes.data(), bytes.size());
    if (bytes.size() < ipslan::kLeaseBytes) {
        FUZZ_CHECK(used == 0 && isZero(lease));
        return;
    }
    FUZZ_CHECK(used == static_cast<int>(ipslan::kLeaseBytes));
    FUZZ_CHECK(lease.unused == 0);
    FUZZ_CHECK(std::memcmp(lease.address, bytes.data(), 4) == 0);
    const std::uint32_t bits =
        bytes[11] | bytes[12] << 8 | bytes[13] << 16 | static_cast<std::uint32_t>(bytes[14]) << 24;
    FUZZ_CHECK(static_cast<std::uint32_t>(lease.lease) == bits);
    const auto encoded = encodeChecked(&IPSConvDHCPTableToByte, lease, ipslan::kLeaseBytes);
    FUZZ_CHECK(std::equal(encoded.begin(), encoded.end(), bytes.begin()));
}

void checkExposed(FuzzedDataProvider& input) {
    VI_PC record{};
    const auto image = input.ConsumeBytes<std::uint8_t>(sizeof record);
    std::copy(image.begin(), image.end(), reinterpret_cast<std::uint8_t*>(&record));
    const auto bytes = encodeChecked(&IPSConvExposedIPToByte, record, ipslan::kExposedBytes);
    FUZZ_CHECK(std::memcmp(bytes.data(), &record, sizeof record) == 0);
}

using PortImages = std::array<std::uint8_t, ipslan::kPortImageBytes>;
using PortValues = std::array<std::uint32_t, ipslan::kMaxUserPorts>;

struct PortLists {
    std::array<TCPUDP_PORT, ipslan::kMaxUserPorts> tcp{};
    std::array<TCPUDP_PORT, ipslan::kMaxUserPorts> udp{};
    int tcpCount = 0;
    int udpCount = 0;
};

struct PortForm {
    PortImages tcp{};
    PortImages udp{};
    PortValues values{};
    friend bool operator==(const PortForm&, const PortForm&) = default;
};

PortForm encodePorts(const PortLists& lists) {
    PortForm form;
    const int encoded =
        ConvTCPUDPToByte(form.tcp.data(), form.udp.data(), form.values.data(), lists.tcp.data(),
                         lists.tcpCount, lists.udp.data(), lists.udpCount);
    FUZZ_CHECK(encoded == lists.tcpCount + lists.udpCount);
    return form;
}

PortLists decodePorts(const PortForm& form, int tcpCount, int udpCount) {
    PortLists lists;
    lists.tcpCount = tcpCount;
    lists.udpCount = udpCount;
    const int decoded =
        ConvByteToTCPUDP(lists.tcp.data(), lists.tcpCount, lists.udp.data(), lists.udpCount,
                         form.tcp.data(), form.udp.data(), form.values.data());
    FUZZ_CHECK(lists.udpCount >= 0 && lists.tcpCount >= 0 &&
               lists.udpCount + lists.tcpCount <= ipslan::kMaxUserPorts);
    FUZZ_CHECK(decoded == lists.udpCount + lists.tcpCount);
    for (int i = 0; i < lists.udpCount; ++i) {
        FUZZ_CHECK(lists.udp[i].name[6] == 0 && lists.udp[i].name[7] == 0);
    }
    for (int j = 0; j < lists.tcpCount; ++j) {
        FUZZ_CHECK(lists.tcp[j].name[6] == 0 && lists.tcp[j].name[7] == 0);
    }
    return lists;
}

void checkPorts(FuzzedDataProvider& input) {
    PortForm form;
    const auto tcp = input.ConsumeBytes<std::uint8_t>(form.tcp.size());
    const auto udp = input.ConsumeBytes<std::uint8_t>(form.udp.size());
    std::copy(tcp.begin(), tcp.end(), form.tcp.begin());
    std::copy(udp.begin(), udp.end(), form.udp.begin());
    for (auto& value : form.values) {
        value = input.ConsumeIntegral<std::uint32_t>();
    }
    const int tcpCount = input.ConsumeIntegral<int>();
    const int udpCount = input.ConsumeIntegral<int>();

    const PortLists lists = decodePorts(form, tcpCount, udpCount);
    const PortForm encoded = encodePorts(lists);
    const PortLists back = decodePorts(encoded, lists.tcpCount, lists.udpCount);
    FUZZ_CHECK(back.tcpCount == lists.tcpCount && back.udpCount == lists.udpCount);
    FUZZ_CHECK(encodePorts(back) == encoded);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    switch (input.ConsumeIntegralInRange<int>(0, 8)) {
    case 0:
        checkPair<UserInfo>(&IPSConvByteToUser, &IPSConvUserToByte, ipslan::kUserBytes, input);
        break;
    case 1:
        checkPair<WkInfo>(&IPSConvByteToStation, &IPSConvStationToByte, ipslan::kStationBytes,
                          input);
        break;
    case 2:
        checkPair<S_GPCFG>(&IPSConvByteToGroup, &IPSConvGroupToByte, ipslan::kGroupBytes, input);
        break;
    case 3:
        checkPair<S_ROUTE>(&IPSConvByteToRoute, &IPSConvRouteToByte, ipslan::kRouteBytes, input);
        break;
    case 4:
        checkPair<LOCAL_S>(&IPSConvByteToLocalServer, &IPSConvLocalServerToByte,
                           ipslan::kLocalServerBytes, input);
        break;
    case 5:
        checkPair<SP_AP>(&IPSConvByteToSpecialAP, &IPSConvSpecialAPToByte, ipslan::kSpecialApBytes,
                         input);
        break;
    case 6:
        checkLease(input);
        break;
    case 7:
        checkExposed(input);
        break;
    default:
        checkPorts(input);
        break;
    }
    return 0;
}
