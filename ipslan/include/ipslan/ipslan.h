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

// Sets the library up (Net-SNMP without configuration files, the settings
// of config.h from the environment). Returns 1. The other calls set up what
// they need themselves, so calling this is a courtesy, not a requirement.
int IPSInitLan();

// Sends one browse request to every destination of config.h (every IPv4
// interface's broadcast address, or only 127.255.255.255, plus the extra
// targets), collects replies for the discovery window, drops malformed and
// duplicate ones (same IP address) and fills `table` from record 0 with the
// kDeviceTableSize lowest addresses heard, in address order; records past
// `*count` are not touched. The local-address field is this computer's
// address on the router's network (see localAddressFor in
// detail/discovery.h: for a router on no network of ours, our address on the
// interface its reply arrived on; 127.0.0.1 for a router on 127/8 when
// nothing closer matches). Returns 1, or 0 when nothing could be sent;
// `*count` is 0 whenever nothing was found.
int IPSBrowse(DEVICE_INFO* table, int* count);

// IPSBrowse for callers without the list's limit (the command-line tool, a
// fleet backup, the rediscovery of a verify): up to `capacity` records (at
// most kMaxBrowseReplies), the lowest addresses heard, in address order.
inline constexpr int kMaxBrowseReplies = 4096;
int IPSBrowseUpTo(DEVICE_INFO* table, int capacity, int* count);

// Every later request uses this community (at most 255 characters). 1 on
// success, 0 for a null or overlong text (the community stays).
int PSSetCommunity(const char* community);

// Every later request uses this UDP port (1..65535; for anything else the
// result is 0 and the port stays). For port 161 a router whose last browse reply announced
// another SNMP port is asked there instead, which is how simulated routers on
// loopback serve a caller that always says 161.
int PSSetSnmpPort(int port);

// Reads `count` (1..64) variables into consecutive entries of `result`.
// `ip` is dotted-decimal text. Returns exactly 1 on success; 0 on a bad
// argument, time-out, an error status, a response whose variables are not
// exactly the requested ones in order, or a value an entry cannot hold (more
// than 1500 bytes, or a type without an entry form). On failure `result` is
// left as it was.
int IPSGetInfo(const char* ip, int mode, int count, const int* variables, MIB_RESPONSE* result);

// One read of IPSGetInfoBatch: the arguments of an IPSGetInfo call, whether
// its failure ends the batch, and its outcome.
struct IPS_READ {
    int mode;
    int count;
    const int* variables;
    MIB_RESPONSE* result;
    int stopOnFailure; // nonzero: when this read fails, no later read counts
    int status;        // set by the call: 1 read, 0 failed, -1 not counted
};

// Makes the reads of `reads` (1..64 of them) from one router in as few
// round trips as it allows. Each distinct variable is asked once: the reads'
// variables travel together in multi-variable GET requests, with up to
// readWindow() requests outstanding and answers matched to requests by
// request id. A router that answers tooBig gets smaller requests, one that
// answers genErr to several variables one variable per request, and a
// variable the router does not know fails only the reads that name it; what
// a router taught is remembered for later batches. The outcome is that of
// calling IPSGetInfo for each read in order and stopping after the first
// failed read marked stopOnFailure: results land in order (a later read of
// the same entry wins), a failed read leaves its area as it was, and the
// reads after a stopping failure leave theirs untouched and get status -1.
// Answers for reads past the stop are thrown away; requests needed only by
// them are not sent. Returns 1 when every read succeeded, else 0 (also for a
// null or malformed argument, when no status is set).
int IPSGetInfoBatch(const char* ip, IPS_READ* reads, int n);

// One router of IPSGetInfoFleet: where it is, how it is asked, its reads.
struct IPS_ROUTER {
    const char* ip;
    const char* community; // null: the community of PSSetCommunity
    int port;              // 0: the port of PSSetSnmpPort; 161 as there
    IPS_READ* reads;
    int n;
    int result; // set by the call: what IPSGetInfoBatch would have returned
};
// A step of IPSGetInfoFleet for the router at `index`, on the calling thread.
typedef void (*IPS_FLEET_STEP)(void* context, int index);

// Reads many routers from the calling thread: up to `atOnce` (1..256) at a
// time, in order, each on a session of its own with its community and port,
// each batch as IPSGetInfoBatch makes it. Once a router's answers are in,
// `bind` (if not null) may point the reads' result areas, which may be null
// until then, at memory allocated only now; the results land, `result` is
// set and `done` (if not null) is called, after which the caller may free
// the areas. Memory thus grows with `atOnce`, not with `n`. Returns 1 when
// every router's reads all succeeded, else 0.
int IPSGetInfoFleet(IPS_ROUTER* routers, int n, int atOnce, IPS_FLEET_STEP bind,
                    IPS_FLEET_STEP done, void* context);

// Writes `count` (1..64) variables from consecutive entries. Integer
// variables (variables.h) go out as INTEGER parsed from the entry's
// NUL-terminated decimal text, whatever the length word; a text that is not a
// number fails the whole call before anything is sent. An untouched entry
// (length 0, empty value) of a variable the router keeps on empty writes goes
// out as an empty OCTET STRING. Everything else goes out as OCTET STRING of
// the entry's length; a length above 1500 fails the call. Variables the table
// does not know follow their entry's type byte. Returns 1 when the router
// accepted every variable, else 0.
int IPSSetInfo(const char* ip, int mode, int count, const int* variables,
               const _snmp_packet* values);

// Asks the router of `device` (found by its IP address text among the routers
// of earlier browses) to take `newIp` and `mask`, by a set-IP request
// addressed to its hardware address and sent like a browse. Returns 1 only
// when the router acknowledged exactly that address within the discovery
// window; 0 for an unknown router, malformed texts, a refusal or silence.
// `reserved` and `newIp2` are accepted for the callers' sake and not used.
int IPSUDPSetIP(const DEVICE_INFO* device, int reserved, const char* newIp, const char* newIp2,
                const char* mask, unsigned char flag);

// Copies into `hardware` (6 bytes) the hardware address of the router that
// last announced the address `ip` (dotted text) in a browse reply or took it
// through IPSUDPSetIP: how a caller finds the same router again after a
// browse that lists it elsewhere. Nothing is sent. Returns 1, or 0 for an
// address no router is known by (`hardware` unchanged).
int IPSGetHardwareAddress(const char* ip, unsigned char* hardware);

// Writes into `result` (at least 16 bytes) the lowest host address .2 to .254
// of the network `network` ("x.y.z.0") that no router of the last browse, no
// interface of this computer and no entry of the ARP table uses. Nothing is
// sent on the network. `network` and `result` may be the same buffer.
// Returns 1; 0 for a malformed network text or a full network, leaving
// `result` unchanged.
int IPSQueryFreeIp(const char* network, char* result);
