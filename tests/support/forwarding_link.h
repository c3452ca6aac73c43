// A device link that passes every call on to another: tests derive from it
// to count or drop what reaches the router and forward the rest unchanged.
#pragma once

#include "device/device_link.h"

namespace tolvaro::test {

class ForwardingLink : public device::DeviceLink {
public:
    explicit ForwardingLink(device::DeviceLink& inner) : inner_(inner) {}
    int initLan() override { return inner_.initLan(); }
    int browse(DEVICE_INFO* table, int* count) override { return inner_.browse(table, count); }
    int browseUpTo(DEVICE_INFO* table, int capacity, int* count) override {
        return inner_.browseUpTo(table, capacity, count);
    }
    int setCommunity(const char* c) override { return inner_.setCommunity(c); }
    int setSnmpPort(int port) override { return inner_.setSnmpPort(port); }
    int getInfo(const char* ip, int mode, int count, const int* variables,
                MIB_RESPONSE* result) override {
        return inner_.getInfo(ip, mode, count, variables, result);
    }
    int setInfo(const char* ip, int mode, int count, const int* variables,
                const _snmp_packet* values) override {
        return inner_.setInfo(ip, mode, count, variables, values);
    }
    int udpSetIp(const DEVICE_INFO* d, int r, const char* a, const char* b, const char* m,
                 unsigned char f) override {
        return inner_.udpSetIp(d, r, a, b, m, f);
    }
    int queryFreeIp(const char* network, char* result) override {
        return inner_.queryFreeIp(network, result);
    }
    int hardwareAddress(const char* ip, unsigned char* hardware) override {
        return inner_.hardwareAddress(ip, hardware);
    }

protected:
    device::DeviceLink& inner_;
};

} // namespace tolvaro::test
