// A device link for tests that records every call with its arguments and
// answers from what the test set up beforehand, so a test can check exactly
// what an operation asked of the router and in which order.
//
//     RecordingDevice device;
//     device.routers = {makeRouter("Office", "192.168.1.1")};
//     device.setText(0x0104, "6.5 (240918-07)");   // what getInfo answers
//     device.failGetOf(0x3201);                      // requests naming it fail
//     ... run the operation ...
//     EXPECT_EQ(device.callsOf(DeviceOp::SetCommunity).at(0).text, "TiLvOrA");
//
// Answers:
// - browse: each call pops the front of `browseAnswers` when it is not empty,
//   else answers `routers`; a set `browseCount` overrides the count reported
//   (to imitate a library that misreports).
// - getInfo: `getHandler` when set; else the entries stored with setInteger,
//   setText and setBytes (by variable and mode; unknown variables read as an
//   empty text) and the result 1, or 0 when a variable of the request was
//   marked with failGetOf or the call's number (0-based, among getInfo calls)
//   was marked with failGetCall.
// - setInfo: 1, or 0 for a marked variable (failSetOf).
// - udpSetIp: `udpSetIpResult`; queryFreeIp writes `freeIp` (when set) into
//   the result buffer and returns `queryFreeIpResult`.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "device/device_link.h"

namespace tolvaro::test {

enum class DeviceOp {
    InitLan,
    Browse,
    SetCommunity,
    SetSnmpPort,
    GetInfo,
    SetInfo,
    UdpSetIp,
    QueryFreeIp
};

// The name of an operation as the library spells it ("IPSGetInfo", ...).
const char* opName(DeviceOp op);

struct DeviceCall {
    DeviceOp op = DeviceOp::InitLan;
    // SetCommunity: the community. GetInfo, SetInfo: the router's address.
    // UdpSetIp: the new address. QueryFreeIp: the network text passed in.
    std::string text;
    int number = 0;                   // SetSnmpPort: the port. GetInfo, SetInfo: the mode.
    std::vector<int> variables;       // GetInfo, SetInfo
    std::vector<_snmp_packet> values; // SetInfo: copies of the entries sent
    // UdpSetIp.
    DEVICE_INFO record{};
    int reserved = 0;
    std::string newIp2;
    std::string mask;
    int flag = 0;
    bool sameBuffer = false; // QueryFreeIp: network and result were one buffer
};

class RecordingDevice : public device::DeviceLink {
public:
    // Discovery.
    std::vector<DEVICE_INFO> routers;
    std::deque<std::vector<DEVICE_INFO>> browseAnswers;
    std::optional<int> browseCount;

    // Reads.
    std::function<int(const DeviceCall&, MIB_RESPONSE*)> getHandler;
    void setInteger(int variable, std::int32_t value, int mode = 0);
    void setText(int variable, std::string_view text, int mode = 0);
    void setBytes(int variable, const std::vector<std::uint8_t>& bytes, int mode = 0);
    void failGetOf(int variable) { failingGets_.insert(variable); }
    void failGetCall(int index) { failingGetCalls_.insert(index); }

    // Writes.
    void failSetOf(int variable) { failingSets_.insert(variable); }

    int udpSetIpResult = 1;
    std::optional<std::string> freeIp;
    int queryFreeIpResult = 1;
    // Hardware addresses by IP address text; not recorded as calls.
    std::map<std::string, std::array<std::uint8_t, 6>> hardware;

    // Called after each call is recorded (e.g. to fail the next one).
    std::function<void(const DeviceCall&)> onCall;

    const std::vector<DeviceCall>& calls() const { return calls_; }
    std::vector<DeviceCall> callsOf(DeviceOp op) const;
    // The operations in call order, e.g. {"PSSetCommunity", "PSSetSnmpPort"}.
    std::vector<std::string> opNames() const;
    void clearCalls() {
        calls_.clear();
        getCalls_ = 0;
    }
    // The community and port set last (empty / 0 when never set).
    std::string community;
    int snmpPort = 0;

    int initLan() override;
    int browse(DEVICE_INFO* table, int* count) override;
    int setCommunity(const char* community) override;
    int setSnmpPort(int port) override;
    int getInfo(const char* ip, int mode, int count, const int* variables,
                MIB_RESPONSE* result) override;
    int setInfo(const char* ip, int mode, int count, const int* variables,
                const _snmp_packet* values) override;
    int udpSetIp(const DEVICE_INFO* device, int reserved, const char* newIp, const char* newIp2,
                 const char* mask, unsigned char flag) override;
    int queryFreeIp(const char* network, char* result) override;
    int hardwareAddress(const char* ip, unsigned char* out) override;

private:
    void record(const DeviceCall& call);

    std::vector<DeviceCall> calls_;
    std::map<std::pair<int, int>, MIB_RESPONSE> entries_;
    std::set<int> failingGets_;
    std::set<int> failingGetCalls_;
    std::set<int> failingSets_;
    int getCalls_ = 0;
};

// A discovery record with its texts cut to their fields.
DEVICE_INFO makeRouter(std::string_view name, std::string_view ip, std::string_view password = {},
                       int family = 2, std::string_view mask = "255.255.255.0",
                       std::string_view localAddress = {});

} // namespace tolvaro::test
