// Discovery and address-assignment datagrams as a router or a requester on
// the LAN may send them: a datagram one decoder accepts is the only encoding
// of what it decoded, and no other decoder accepts it.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include <ipslan/wire.h>

#include "check.h"

namespace {

using namespace ipslan::wire;

template <typename Decoded>
int roundTrip(const Decoded& decoded, std::span<const std::uint8_t> datagram, MessageKind kind) {
    FUZZ_CHECK(peekKind(datagram) == kind);
    const std::vector<std::uint8_t> encoded = encode(decoded);
    FUZZ_CHECK(encoded.size() == datagram.size());
    FUZZ_CHECK(std::equal(encoded.begin(), encoded.end(), datagram.begin()));
    return 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> datagram(data, size);
    int accepted = 0;
    if (const auto m = decodeBrowseRequest(datagram)) {
        accepted += roundTrip(*m, datagram, MessageKind::BrowseRequest);
    }
    if (const auto m = decodeBrowseReply(datagram)) {
        accepted += roundTrip(*m, datagram, MessageKind::BrowseReply);
        FUZZ_CHECK(m->name.size() < kNameField && m->password.size() < kPasswordField &&
                   m->firmware.size() < kFirmwareField);
    }
    if (const auto m = decodeSetIpRequest(datagram)) {
        accepted += roundTrip(*m, datagram, MessageKind::SetIpRequest);
    }
    if (const auto m = decodeSetIpAck(datagram)) {
        accepted += roundTrip(*m, datagram, MessageKind::SetIpAck);
    }
    FUZZ_CHECK(accepted <= 1);
    return 0;
}
