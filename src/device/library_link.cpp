#include "device/device_link.h"

namespace tolvaro::device {
namespace {

class LibraryLink final : public DeviceLink {
public:
    int initLan() override { return IPSInitLan(); }
    int browse(DEVICE_INFO* table, int* count) override { return IPSBrowse(table, count); }
    int browseUpTo(DEVICE_INFO* table, int capacity, int* count) override {
        return IPSBrowseUpTo(table, capacity, count);
    }
    int setCommunity(const char* community) override { return PSSetCommunity(community); }
    int setSnmpPort(int port) override { return PSSetSnmpPort(port); }
    int getInfo(const char* ip, int mode, int count, const int* variables,
                MIB_RESPONSE* result) override {
        return IPSGetInfo(ip, mode, count, variables, result);
    }
    int getInfoBatch(const char* ip, IPS_READ* reads, int n) override {
        return IPSGetInfoBatch(ip, reads, n);
    }
    int getInfoFleet(IPS_ROUTER* routers, int n, int atOnce, IPS_FLEET_STEP bind,
                     IPS_FLEET_STEP done, void* context) override {
        return IPSGetInfoFleet(routers, n, atOnce, bind, done, context);
    }
    int setInfo(const char* ip, int mode, int count, const int* variables,
                const _snmp_packet* values) override {
        return IPSSetInfo(ip, mode, count, variables, values);
    }
    int udpSetIp(const DEVICE_INFO* device, int reserved, const char* newIp, const char* newIp2,
                 const char* mask, unsigned char flag) override {
        return IPSUDPSetIP(device, reserved, newIp, newIp2, mask, flag);
    }
    int queryFreeIp(const char* network, char* result) override {
        return IPSQueryFreeIp(network, result);
    }
    int hardwareAddress(const char* ip, unsigned char* hardware) override {
        return IPSGetHardwareAddress(ip, hardware);
    }
};

} // namespace

std::unique_ptr<DeviceLink> makeLibraryLink() {
    return std::make_unique<LibraryLink>();
}

} // namespace tolvaro::device
