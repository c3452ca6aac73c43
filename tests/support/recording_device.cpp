#include "support/recording_device.h"

#include <algorithm>
#include <cstring>

namespace tolvaro::test {
namespace {

template <std::size_t N> void copyField(char (&field)[N], std::string_view text) {
    std::memset(field, 0, N);
    std::copy_n(text.begin(), std::min(text.size(), N - 1), field);
}

MIB_RESPONSE entryOf(std::uint8_t type, const std::uint8_t* bytes, std::size_t length) {
    MIB_RESPONSE entry{};
    entry.type = type;
    length = std::min(length, kEntryValueSize);
    entry.length[0] = static_cast<std::uint8_t>(length & 0xff);
    entry.length[1] = static_cast<std::uint8_t>(length >> 8);
    std::copy_n(bytes, length, entry.value);
    return entry;
}

MIB_RESPONSE emptyTextEntry() {
    MIB_RESPONSE entry{};
    entry.type = kTypeOctetString;
    return entry;
}

DeviceCall newCall(DeviceOp op) {
    DeviceCall call;
    call.op = op;
    return call;
}

} // namespace

const char* opName(DeviceOp op) {
    switch (op) {
    case DeviceOp::InitLan:
        return "IPSInitLan";
    case DeviceOp::Browse:
        return "IPSBrowse";
    case DeviceOp::SetCommunity:
        return "PSSetCommunity";
    case DeviceOp::SetSnmpPort:
        return "PSSetSnmpPort";
    case DeviceOp::GetInfo:
        return "IPSGetInfo";
    case DeviceOp::SetInfo:
        return "IPSSetInfo";
    case DeviceOp::UdpSetIp:
        return "IPSUDPSetIP";
    case DeviceOp::QueryFreeIp:
        return "IPSQueryFreeIp";
    }
    return "?";
}

void RecordingDevice::setInteger(int variable, std::int32_t value, int mode) {
    const auto u = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                                   static_cast<std::uint8_t>(u >> 16),
                                   static_cast<std::uint8_t>(u >> 24)};
    entries_[{variable, mode}] = entryOf(kTypeInteger, bytes, 4);
}

void RecordingDevice::setText(int variable, std::string_view text, int mode) {
    entries_[{variable, mode}] =
        entryOf(kTypeOctetString, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

void RecordingDevice::setBytes(int variable, const std::vector<std::uint8_t>& bytes, int mode) {
    entries_[{variable, mode}] = entryOf(kTypeOctetString, bytes.data(), bytes.size());
}

std::vector<DeviceCall> RecordingDevice::callsOf(DeviceOp op) const {
    std::vector<DeviceCall> found;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(found),
                 [op](const DeviceCall& c) { return c.op == op; });
    return found;
}

std::vector<std::string> RecordingDevice::opNames() const {
    std::vector<std::string> names;
    for (const auto& c : calls_) {
        names.emplace_back(opName(c.op));
    }
    return names;
}

void RecordingDevice::record(const DeviceCall& call) {
    calls_.push_back(call);
    if (onCall) {
        onCall(call);
    }
}

int RecordingDevice::initLan() {
    record(newCall(DeviceOp::InitLan));
    return 1;
}

int RecordingDevice::browse(DEVICE_INFO* table, int* count) {
    record(newCall(DeviceOp::Browse));
    std::vector<DEVICE_INFO> answer = routers;
    if (!browseAnswers.empty()) {
        answer = std::move(browseAnswers.front());
        browseAnswers.pop_front();
    }
    const std::size_t n = std::min<std::size_t>(answer.size(), kDeviceTableSize);
    std::copy_n(answer.begin(), n, table);
    *count = browseCount.value_or(static_cast<int>(n));
    return 1;
}

int RecordingDevice::setCommunity(const char* text) {
    community = text;
    DeviceCall call = newCall(DeviceOp::SetCommunity);
    call.text = text;
    record(call);
    return 1;
}

int RecordingDevice::setSnmpPort(int port) {
    snmpPort = port;
    DeviceCall call = newCall(DeviceOp::SetSnmpPort);
    call.number = port;
    record(call);
    return 1;
}

int RecordingDevice::getInfo(const char* ip, int mode, int count, const int* variables,
                             MIB_RESPONSE* result) {
    DeviceCall call = newCall(DeviceOp::GetInfo);
    call.text = ip;
    call.number = mode;
    call.variables.assign(variables, variables + std::max(count, 0));
    const int index = getCalls_++;
    record(call);
    const DeviceCall& recorded = call;
    if (getHandler) {
        return getHandler(recorded, result);
    }
    if (failingGetCalls_.count(index) > 0) {
        return 0;
    }
    for (int v : recorded.variables) {
        if (failingGets_.count(v) > 0) {
            return 0;
        }
    }
    for (std::size_t i = 0; i < recorded.variables.size(); ++i) {
        const auto found = entries_.find({recorded.variables[i], mode});
        result[i] = found != entries_.end() ? found->second : emptyTextEntry();
    }
    return 1;
}

int RecordingDevice::setInfo(const char* ip, int mode, int count, const int* variables,
                             const _snmp_packet* values) {
    DeviceCall call = newCall(DeviceOp::SetInfo);
    call.text = ip;
    call.number = mode;
    call.variables.assign(variables, variables + std::max(count, 0));
    call.values.assign(values, values + std::max(count, 0));
    record(call);
    const DeviceCall& recorded = call;
    for (int v : recorded.variables) {
        if (failingSets_.count(v) > 0) {
            return 0;
        }
    }
    return 1;
}

int RecordingDevice::udpSetIp(const DEVICE_INFO* device, int reserved, const char* newIp,
                              const char* newIp2, const char* mask, unsigned char flag) {
    DeviceCall call = newCall(DeviceOp::UdpSetIp);
    call.record = *device;
    call.reserved = reserved;
    call.text = newIp;
    call.newIp2 = newIp2;
    call.mask = mask;
    call.flag = flag;
    record(call);
    return udpSetIpResult;
}

int RecordingDevice::queryFreeIp(const char* network, char* result) {
    DeviceCall call = newCall(DeviceOp::QueryFreeIp);
    call.text = std::string(network, strnlen(network, 16));
    call.sameBuffer = network == result;
    record(call);
    if (freeIp) {
        std::memset(result, 0, 16);
        std::memcpy(result, freeIp->data(), std::min<std::size_t>(freeIp->size(), 15));
    }
    return queryFreeIpResult;
}

int RecordingDevice::hardwareAddress(const char* ip, unsigned char* out) {
    const auto found = hardware.find(std::string(ip, strnlen(ip, 20)));
    if (found == hardware.end()) {
        return 0;
    }
    std::memcpy(out, found->second.data(), found->second.size());
    return 1;
}

DEVICE_INFO makeRouter(std::string_view name, std::string_view ip, std::string_view password,
                       int family, std::string_view mask, std::string_view localAddress) {
    DEVICE_INFO record{};
    copyField(record.name, name);
    copyField(record.ipAddress, ip);
    copyField(record.password, password);
    record.family = static_cast<std::uint8_t>(family);
    copyField(record.netmask, mask);
    if (localAddress.empty()) {
        // The computer sits at .100 of the router's /24 unless told otherwise.
        std::string local(ip.substr(0, ip.rfind('.') + 1));
        local += "100";
        copyField(record.localAddress, local);
    } else {
        copyField(record.localAddress, localAddress);
    }
    return record;
}

} // namespace tolvaro::test
