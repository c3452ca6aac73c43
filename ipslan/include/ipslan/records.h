// Table records of the device library and the converters between them and
// the routers' byte forms (the values of table variables).
//
// Records have exactly the sizes and offsets the program relies on. Byte
// forms are the library's own, chosen so that the tables fit their variables:
//
//   record       record size  byte form  per variable
//   UserInfo          48         47       5 in 235
//   WkInfo            22         22      10 in 220
//   S_GPCFG           12         12       one per variable
//   TCPUDP_PORT       10          6      16 in 96 (name only, see below)
//   S_ROUTE           24         24      10 in 240
//   dhcp_tmp_s        16         15      17 per variable
//   LOCAL_S           22         21      10 in 210
//   SP_AP             24         21      10 in 210
//   VI_PC              5          5      one
//
// Common rules of the byte forms:
// - Fields follow each other in record order without padding; a record byte
//   described as padding is not carried (noted per record below).
// - Multi-byte numbers are low byte first, like the lengths and integers of
//   request entries. IPv4 addresses are four bytes, first octet first.
// - A text field keeps its record width and is NUL-terminated within it,
//   zero-padded after the NUL. Encoders never emit an unterminated text: a
//   record text without a NUL in its field is cut to width - 1 characters.
//
// Converter contract:
// - Byte-to-record: `(record, bytes, length)`. `length` is how many bytes may
//   be read from `bytes` (an argument of ours: the routers' values are not to
//   be trusted). On success the record is overwritten (padding bytes zeroed)
//   and the byte-form size is returned. When `length` is below the byte-form
//   size, or a text in the bytes has no NUL within its field, the record is
//   zero-filled and 0 is returned: the zero record carries the table's end
//   mark (empty name, zero gateway, zero first octet), so table walks stop
//   there, and nothing is read past `length`.
// - Record-to-byte: `(bytes, record, capacity)`. Writes the byte form and
//   returns its size; when `capacity` is below the size nothing is written
//   and 0 is returned.
// - Null pointers are refused with 0.
#pragma once

#include <cstddef>
#include <cstdint>

// Dial-in user. Byte form (47): name 16, password 8, flags 1,
// timeLimit 2, callback 20; byte 25 is padding and is not carried.
struct UserInfo {
    char name[16];           // at most 15 characters
    char password[8];        // at most 7
    std::uint8_t flags;      // 0x02 dial-in enabled; (flags >> 3) & 3 call-back mode
    std::uint8_t unused;     // padding
    std::uint16_t timeLimit; // minutes, 0 unlimited
    char callback[20];       // call-back number, at most 19
};
static_assert(sizeof(UserInfo) == 48);
static_assert(offsetof(UserInfo, flags) == 24);
static_assert(offsetof(UserInfo, timeLimit) == 26);
static_assert(offsetof(UserInfo, callback) == 28);

// Workstation. Byte form (22): the record as it is.
struct WkInfo {
    std::uint8_t hardware[6];
    char name[10];           // at most 9; empty ends a table
    std::uint8_t address[4]; // reserved address, first octet first
    std::uint8_t reserve;    // 1 reserve the address in the DHCP table
    std::uint8_t group;      // 0 "Everyone", 1-4 "Group1".."Group4"
};
static_assert(sizeof(WkInfo) == 22);
static_assert(offsetof(WkInfo, name) == 6);
static_assert(offsetof(WkInfo, address) == 16);
static_assert(offsetof(WkInfo, reserve) == 20);
static_assert(offsetof(WkInfo, group) == 21);

// Access-control group. Byte form (12): the record as it is, masks low byte
// first, all three trailing bytes carried. It equals the record's memory
// image on little-endian machines, so a read image holding the records
// themselves still converts back correctly.
struct S_GPCFG {
    std::uint32_t wellKnownMask; // bit per well-known port; set = blocked
    std::uint32_t userPortMask;  // bit n = user-defined port n blocked
    std::uint8_t mode;           // 0 no restriction, 1 block all, 2 use list
    std::uint8_t spare[3];
};
static_assert(sizeof(S_GPCFG) == 12);
static_assert(offsetof(S_GPCFG, userPortMask) == 4);
static_assert(offsetof(S_GPCFG, mode) == 8);

// User-defined filter port. Byte form (6): the first six name bytes only;
// the port numbers travel in the sixteen port values (see ConvTCPUDPToByte).
struct TCPUDP_PORT {
    char name[8]; // the first 6 bytes are significant
    std::uint16_t port;
};
static_assert(sizeof(TCPUDP_PORT) == 10);
static_assert(offsetof(TCPUDP_PORT, port) == 8);

// Static route. Byte form (24): the record as it is.
struct S_ROUTE {
    char name[10]; // at most 8 entered
    std::uint8_t destination[4];
    std::uint8_t netmask[4];
    std::uint8_t gateway[4]; // all zero ends a table
    std::uint8_t metric;     // 0-15; 255 marks a cancelled dialog
    std::uint8_t interface;  // 0 LAN, 1 WAN
};
static_assert(sizeof(S_ROUTE) == 24);
static_assert(offsetof(S_ROUTE, destination) == 10);
static_assert(offsetof(S_ROUTE, netmask) == 14);
static_assert(offsetof(S_ROUTE, gateway) == 18);
static_assert(offsetof(S_ROUTE, metric) == 22);
static_assert(offsetof(S_ROUTE, interface) == 23);

// DHCP lease. Byte form (15): address 4, hardware 6, dynamic 1, lease 4
// (signed, low byte first); byte 11 is padding and is not carried.
struct dhcp_tmp_s {
    std::uint8_t address[4]; // first octet 0 ends a table
    std::uint8_t hardware[6];
    std::uint8_t dynamic; // non-zero: handed out by the DHCP server
    std::uint8_t unused;  // padding
    std::int32_t lease;   // -1 none
};
static_assert(sizeof(dhcp_tmp_s) == 16);
static_assert(offsetof(dhcp_tmp_s, hardware) == 4);
static_assert(offsetof(dhcp_tmp_s, dynamic) == 10);
static_assert(offsetof(dhcp_tmp_s, lease) == 12);

// Virtual server. Byte form (21): enabled 1, address 4, spare 1, name 10,
// protocol 1, external port 2, internal port 2; byte 17 is padding and is
// not carried.
struct LOCAL_S {
    std::uint8_t enabled; // 1 on
    std::uint8_t address[4];
    std::uint8_t spare;
    char name[10];         // at most 9; empty ends a table
    std::uint8_t protocol; // 0 UDP, otherwise TCP
    std::uint8_t unused;   // padding
    std::uint16_t externalPort;
    std::uint16_t internalPort;
};
static_assert(sizeof(LOCAL_S) == 22);
static_assert(offsetof(LOCAL_S, name) == 6);
static_assert(offsetof(LOCAL_S, protocol) == 16);
static_assert(offsetof(LOCAL_S, externalPort) == 18);
static_assert(offsetof(LOCAL_S, internalPort) == 20);

// Special application. Byte form (21): enabled 1, name 10, outgoing
// protocol 1, outgoing start 2, outgoing end 2, incoming protocol 1,
// incoming start 2, incoming end 2; bytes 11, 13 and 19 are padding and are
// not carried.
struct SP_AP {
    std::uint8_t enabled; // 1 on
    char name[10];        // at most 9; empty ends a table
    std::uint8_t unused1;
    std::uint8_t outProtocol; // 0 UDP, otherwise TCP
    std::uint8_t unused2;
    std::uint16_t outStart;
    std::uint16_t outEnd;
    std::uint8_t inProtocol;
    std::uint8_t unused3;
    std::uint16_t inStart;
    std::uint16_t inEnd;
};
static_assert(sizeof(SP_AP) == 24);
static_assert(offsetof(SP_AP, name) == 1);
static_assert(offsetof(SP_AP, outProtocol) == 12);
static_assert(offsetof(SP_AP, outStart) == 14);
static_assert(offsetof(SP_AP, outEnd) == 16);
static_assert(offsetof(SP_AP, inProtocol) == 18);
static_assert(offsetof(SP_AP, inStart) == 20);
static_assert(offsetof(SP_AP, inEnd) == 22);

// Exposed computer. Byte form (5): the record as it is (the program also
// reads the stored value directly: byte 0 enabled, bytes 1-4 the address).
struct VI_PC {
    std::uint8_t enabled; // 0 or 1
    std::uint8_t address[4];
};
static_assert(sizeof(VI_PC) == 5);

namespace ipslan {
inline constexpr std::size_t kUserBytes = 47;
inline constexpr std::size_t kStationBytes = 22;
inline constexpr std::size_t kGroupBytes = 12;
inline constexpr std::size_t kPortNameBytes = 6;
inline constexpr std::size_t kRouteBytes = 24;
inline constexpr std::size_t kLeaseBytes = 15;
inline constexpr std::size_t kLocalServerBytes = 21;
inline constexpr std::size_t kSpecialApBytes = 21;
inline constexpr std::size_t kExposedBytes = 5;
// User-defined filter ports, UDP and TCP together, and the port images' size.
inline constexpr int kMaxUserPorts = 16;
inline constexpr std::size_t kPortImageBytes = kMaxUserPorts * kPortNameBytes;
} // namespace ipslan

int IPSConvByteToUser(UserInfo* record, const std::uint8_t* bytes, std::size_t length);
int IPSConvUserToByte(std::uint8_t* bytes, const UserInfo* record, std::size_t capacity);

int IPSConvByteToStation(WkInfo* record, const std::uint8_t* bytes, std::size_t length);
int IPSConvStationToByte(std::uint8_t* bytes, const WkInfo* record, std::size_t capacity);

int IPSConvByteToGroup(S_GPCFG* record, const std::uint8_t* bytes, std::size_t length);
int IPSConvGroupToByte(std::uint8_t* bytes, const S_GPCFG* record, std::size_t capacity);

int IPSConvByteToRoute(S_ROUTE* record, const std::uint8_t* bytes, std::size_t length);
int IPSConvRouteToByte(std::uint8_t* bytes, const S_ROUTE* record, std::size_t capacity);

int IPSConvByteToDHCPTable(dhcp_tmp_s* record, const std::uint8_t* bytes, std::size_t length);
int IPSConvDHCPTableToByte(std::uint8_t* bytes, const dhcp_tmp_s* record, std::size_t capacity);

int IPSConvByteToLocalServer(LOCAL_S* record, const std::uint8_t* bytes, std::size_t length);
int IPSConvLocalServerToByte(std::uint8_t* bytes, const LOCAL_S* record, std::size_t capacity);

int IPSConvByteToSpecialAP(SP_AP* record, const std::uint8_t* bytes, std::size_t length);
int IPSConvSpecialAPToByte(std::uint8_t* bytes, const SP_AP* record, std::size_t capacity);

int IPSConvExposedIPToByte(std::uint8_t* bytes, const VI_PC* record, std::size_t capacity);

// User-defined filter ports.
//
// Images: `tcpImage` and `udpImage` are kPortImageBytes each, 6 name bytes
// per port (NUL-padded; a 6-character name fills its 6 bytes). Port values:
// sixteen 32-bit words numbered UDP ports first, then TCP ports; a UDP port
// sits in the high 16 bits, a TCP port in the low 16 bits, the other half 0.
//
// ConvByteToTCPUDP: the counts come in as the images' byte lengths / 6 and go
// out as the list lengths. Negative counts become 0, each is held to 16 and
// together to 16 (UDP first, matching the numbering), so no list, image or
// value is read out of bounds. Record i of the UDP list takes value i, record
// j of the TCP list takes value udpCount + j. Names get bytes 6 and 7 zero.
// Returns the number of ports decoded. Lists must hold 16 records each.
int ConvByteToTCPUDP(TCPUDP_PORT* tcp, int& tcpCount, TCPUDP_PORT* udp, int& udpCount,
                     const std::uint8_t* tcpImage, const std::uint8_t* udpImage,
                     const std::uint32_t* values);

// ConvTCPUDPToByte: writes both images and the sixteen values (callers zero
// them first; unused parts are left alone). Counts are held as above.
// Returns the number of ports encoded.
int ConvTCPUDPToByte(std::uint8_t* tcpImage, std::uint8_t* udpImage, std::uint32_t* values,
                     const TCPUDP_PORT* tcp, int tcpCount, const TCPUDP_PORT* udp, int udpCount);
