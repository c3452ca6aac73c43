#include "main/verbose_link.h"

#include <cstdio>

#include <ipslan/diagnostics.h>

namespace tolvaro::program {
namespace {

class VerboseLink final : public device::DeviceLink {
public:
    explicit VerboseLink(std::unique_ptr<device::DeviceLink> inner) : inner_(std::move(inner)) {}

    int initLan() override { return inner_->initLan(); }
    int browse(DEVICE_INFO* table, int* count) override {
        const int result = inner_->browse(table, count);
        for (const auto& line : ipslan::describeDiscovery(ipslan::lastDiscoveryReport())) {
            std::fprintf(stderr, "tolvaro: %s\n", line.c_str());
        }
        return result;
    }
    int setCommunity(const char* community) override { return inner_->setCommunity(community); }
    int setSnmpPort(int port) override { return inner_->setSnmpPort(port); }
    int getInfo(const char* ip, int mode, int count, const int* variables,
                MIB_RESPONSE* result) override {
        return inner_->getInfo(ip, mode, count, variables, result);
    }
    int getInfoBatch(const char* ip, IPS_READ* reads, int n) override {
        return inner_->getInfoBatch(ip, reads, n);
    }
    int getInfoFleet(IPS_ROUTER* routers, int n, int atOnce, IPS_FLEET_STEP bind,
                     IPS_FLEET_STEP done, void* context) override {
        return inner_->getInfoFleet(routers, n, atOnce, bind, done, context);
    }
    int setInfo(const char* ip, int mode, int count, const int* variables,
                const _snmp_packet* values) override {
        return inner_->setInfo(ip, mode, count, variables, values);
    }
    int udpSetIp(const DEVICE_INFO* device, int reserved, const char* newIp, const char* newIp2,
                 const char* mask, unsigned char flag) override {
        return inner_->udpSetIp(device, reserved, newIp, newIp2, mask, flag);
    }
    int queryFreeIp(const char* network, char* result) override {
        return inner_->queryFreeIp(network, result);
    }

private:
    std::unique_ptr<device::DeviceLink> inner_;
};

} // namespace

std::unique_ptr<device::DeviceLink> makeVerboseLink(std::unique_ptr<device::DeviceLink> inner) {
    return std::make_unique<VerboseLink>(std::move(inner));
}

} // namespace tolvaro::program
