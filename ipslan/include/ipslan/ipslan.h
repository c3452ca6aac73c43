// The device-access library: discovery, address assignment and SNMPv1 reads
// and writes of numbered router variables.
//
// Every operation is synchronous and returns its outcome as a value; the
// library never prints, never exits and never retries on the caller's behalf
// beyond its own configured SNMP retries. Results follow one convention:
// 0 is failure; IPSGetInfo returns exactly 1 on success.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ipslan/records.h"

// One router found by discovery. All texts are NUL-terminated within their
// fields; the layout is fixed because the record is also handed whole to
// IPSUDPSetIP.
struct DEVICE_INFO {
    char name[20];
    char ipAddress[20];
    char password[13];
    std::uint8_t family; // 1 selects the first variable catalogue, anything else the second
    char netmask[21];
    char localAddress[33]; // this computer's address on the router's network
};
static_assert(sizeof(DEVICE_INFO) == 108);
static_assert(offsetof(DEVICE_INFO, ipAddress) == 20);
static_assert(offsetof(DEVICE_INFO, password) == 40);
static_assert(offsetof(DEVICE_INFO, family) == 53);
static_assert(offsetof(DEVICE_INFO, netmask) == 54);
static_assert(offsetof(DEVICE_INFO, localAddress) == 75);

inline constexpr int kDeviceTableSize = 32;
inline constexpr std::size_t kEntrySize = 1504;
inline constexpr std::size_t kEntryValueSize = kEntrySize - 4;

// Value types as they appear in entries.
inline constexpr std::uint8_t kTypeInteger = 2;
inline constexpr std::uint8_t kTypeOctetString = 4;
inline constexpr std::uint8_t kTypeCounter = 0x41;

// Read entry, filled by IPSGetInfo. For types 2 and 0x41 the value is a
// 32-bit integer, low byte first, in value[0..3]; otherwise the value bytes.
struct MIB_RESPONSE {
    std::uint8_t reserved; // library-owned
    std::uint8_t type;
    std::uint8_t length[2]; // unsigned 16-bit, low byte first
    std::uint8_t value[kEntryValueSize];
};
static_assert(sizeof(MIB_RESPONSE) == kEntrySize);

// Write entry, read by IPSSetInfo. Integers travel as NUL-terminated decimal
// text whatever the length word says; strings and table rows as `length`
// bytes.
struct _snmp_packet {
    std::uint8_t type; // 2 integer, 4 octet string
    std::uint8_t zero;
    std::uint8_t length[2];
    std::uint8_t value[kEntryValueSize];
};
static_assert(sizeof(_snmp_packet) == kEntrySize);

int IPSInitLan();
int IPSBrowse(DEVICE_INFO* table, int* count);
int PSSetCommunity(const char* community);
int PSSetSnmpPort(int port);
int IPSGetInfo(const char* ip, int mode, int count, const int* variables, MIB_RESPONSE* result);
int IPSSetInfo(const char* ip, int mode, int count, const int* variables,
               const _snmp_packet* values);
int IPSUDPSetIP(const DEVICE_INFO* device, int reserved, const char* newIp, const char* newIp2,
                const char* mask, unsigned char flag);
int IPSQueryFreeIp(const char* network, char* result);
