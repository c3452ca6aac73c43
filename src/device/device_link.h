// The program's one door to the device library. Production forwards each
// operation to ipslan; tests substitute a recording fake or a link to an
// in-process simulated router. Arguments and results are the library's.
#pragma once

#include <memory>
#include <vector>

#include <ipslan/ipslan.h>

namespace tolvaro::device {

class DeviceLink {
public:
    virtual ~DeviceLink() = default;

    virtual int initLan() = 0;
    virtual int browse(DEVICE_INFO* table, int* count) = 0;
    // browse without the list's limit of kDeviceTableSize records (see
    // IPSBrowseUpTo). This default is browse, which is what a fake needs.
    virtual int browseUpTo(DEVICE_INFO* table, int capacity, int* count);
    virtual int setCommunity(const char* community) = 0;
    virtual int setSnmpPort(int port) = 0;
    virtual int getInfo(const char* ip, int mode, int count, const int* variables,
                        MIB_RESPONSE* result) = 0;
    // Several reads with IPSGetInfoBatch's outcome. This default makes them
    // one getInfo at a time, which is what a fake needs; the library link
    // keeps several on the wire.
    virtual int getInfoBatch(const char* ip, IPS_READ* reads, int n);
    // Many routers' batches with IPSGetInfoFleet's outcome. This default
    // reads one router after another, setting its community and port on
    // the link first; the library link reads up to `atOnce` at a time.
    virtual int getInfoFleet(IPS_ROUTER* routers, int n, int atOnce, IPS_FLEET_STEP bind,
                             IPS_FLEET_STEP done, void* context);
    virtual int setInfo(const char* ip, int mode, int count, const int* variables,
                        const _snmp_packet* values) = 0;
    virtual int udpSetIp(const DEVICE_INFO* device, int reserved, const char* newIp,
                         const char* newIp2, const char* mask, unsigned char flag) = 0;
    // `network` and `result` may be the same buffer (at least 16 bytes).
    virtual int queryFreeIp(const char* network, char* result) = 0;
    // The hardware address (6 bytes) of the router known by `ip`; 0 when none
    // is. Not a request to the router, so links without discovery need not
    // offer it.
    virtual int hardwareAddress(const char* /*ip*/, unsigned char* /*hardware*/) { return 0; }
};

// Every router discovery finds, up to kMaxBrowseReplies; empty when none or
// when nothing could be sent.
std::vector<DEVICE_INFO> browseAll(DeviceLink& link);

// The link that talks to real routers through ipslan.
std::unique_ptr<DeviceLink> makeLibraryLink();

} // namespace tolvaro::device
