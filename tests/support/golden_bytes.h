// Byte strings written out by hand, field by field, from the documented
// layouts of the table records' byte forms (ipslan/records.h) and of the
// discovery datagrams (ipslan/wire.h). Nothing here comes from an encoder:
// a converter that swaps two fields of the same width round-trips cleanly
// but cannot produce these bytes. The library's tests and the simulated
// router's tests check against the same table.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace golden {

using Bytes = std::vector<std::uint8_t>;

// Hexadecimal bytes separated by blanks: "c0 a8 01 fe".
inline Bytes hex(std::string_view text) {
    Bytes out;
    int high = -1;
    for (const char c : text) {
        int nibble = -1;
        if (c >= '0' && c <= '9')
            nibble = c - '0';
        else if (c >= 'a' && c <= 'f')
            nibble = c - 'a' + 10;
        if (nibble < 0)
            continue;
        if (high < 0) {
            high = nibble;
        } else {
            out.push_back(static_cast<std::uint8_t>(high * 16 + nibble));
            high = -1;
        }
    }
    return out;
}

// A text field of `width` bytes: the characters, then zeros.
inline Bytes text(std::string_view characters, std::size_t width) {
    Bytes out(characters.begin(), characters.end());
    out.resize(width, 0);
    return out;
}

inline Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// ---- Records -------------------------------------------------------------

// UserInfo "alice", password "pw1", flags 0x1a (dial-in enabled, call-back
// mode 3), 258 minutes, call-back number "5551234".
inline const Bytes kUser =
    join({text("alice", 16), text("pw1", 8), hex("1a"), hex("02 01"), text("5551234", 20)});

// WkInfo 00:0a:95:9d:68:16 "printer" reserving 192.168.1.40 in Group3.
inline const Bytes kStation =
    join({hex("00 0a 95 9d 68 16"), text("printer", 10), hex("c0 a8 01 28"), hex("01"), hex("03")});

// S_GPCFG: well-known mask 0x80000801, user-port mask 0x00020004, mode 2,
// spare 9 8 7. Masks low byte first.
inline const Bytes kGroup = hex("01 08 00 80  04 00 02 00  02  09 08 07");

// S_ROUTE "branch" to 10.1.0.0 mask 255.255.0.0 through 192.168.1.254,
// metric 15, over the WAN.
inline const Bytes kRoute = join({text("branch", 10), hex("0a 01 00 00"), hex("ff ff 00 00"),
                                  hex("c0 a8 01 fe"), hex("0f"), hex("01")});

// dhcp_tmp_s 192.168.1.100, 02:00:00:aa:bb:cc, dynamic, 3600 seconds left.
inline const Bytes kLease =
    join({hex("c0 a8 01 64"), hex("02 00 00 aa bb cc"), hex("01"), hex("10 0e 00 00")});

// LOCAL_S on, 192.168.1.5, spare 7, "web", TCP, external 8080, internal 80.
inline const Bytes kServer = join({hex("01"), hex("c0 a8 01 05"), hex("07"), text("web", 10),
                                   hex("01"), hex("90 1f"), hex("50 00")});

// SP_AP on, "game", outgoing TCP 1000-1010, incoming UDP 2000-2100.
inline const Bytes kSpecial = join({hex("01"), text("game", 10), hex("01"), hex("e8 03"),
                                    hex("f2 03"), hex("00"), hex("d0 07"), hex("34 08")});

// VI_PC on, 192.168.1.9.
inline const Bytes kExposed = hex("01 c0 a8 01 09");

// User-defined filter ports: UDP "dns" 53, then TCP "web" 80 and "sshd22"
// 22 (a name of six characters fills its six bytes). Port values number the
// UDP ports first; a UDP port sits in the high half, a TCP port in the low.
inline const Bytes kUdpPortImage = text("dns", 6);
inline const Bytes kTcpPortImage = join({text("web", 6), text("sshd22", 6)});
inline constexpr std::uint32_t kPortValues[3] = {0x00350000u, 0x00000050u, 0x00000016u};

// ---- Discovery datagrams -------------------------------------------------

// BrowseRequest, request id 0x01020304.
inline const Bytes kBrowseRequest = hex("54 56 44 50  01  01  00 00  01 02 03 04");

// BrowseReply to it: "Branch Office", password "secret", family 2,
// 127.66.1.2 mask 255.255.255.0, hardware 02:00:7f:42:01:02, SNMP port 161
// (bytes 60-61), firmware "6.5 (240918-07)", ten reserved zeros.
inline const Bytes kBrowseReply =
    join({hex("54 56 44 50  01  02  00 00  01 02 03 04"), text("Branch Office", 20),
          text("secret", 13), hex("02"), hex("7f 42 01 02"), hex("ff ff ff 00"),
          hex("02 00 7f 42 01 02"), hex("00 a1"), text("6.5 (240918-07)", 16), text("", 10)});
inline constexpr std::size_t kBrowseReplyPortAt = 60;

// SetIpRequest id 0x0a0b0c0d to 02:00:7f:42:01:02: 127.66.1.77 mask
// 255.255.0.0, flag 1.
inline const Bytes kSetIpRequest =
    join({hex("54 56 44 50  01  03  00 00  0a 0b 0c 0d"), hex("02 00 7f 42 01 02"),
          hex("7f 42 01 4d"), hex("ff ff 00 00"), hex("01")});

// SetIpAck to it: accepted, 127.66.1.77 in effect.
inline const Bytes kSetIpAck = join({hex("54 56 44 50  01  04  00 00  0a 0b 0c 0d"),
                                     hex("02 00 7f 42 01 02"), hex("00"), hex("7f 42 01 4d")});

} // namespace golden
