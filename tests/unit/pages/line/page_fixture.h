// A configuration store as a fetch and the Quick Setup page's start leave
// it, the run's context on the scripted backend with a recording device, and
// a sheet holding only the pages under test.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "device/catalogue.h"
#include "device/config_store.h"
#include "operation/app_context.h"
#include "support/read_entry.h"
#include "support/recording_device.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::test {

struct PageFixture {
    AppState state;
    ui::ScriptedHost host;
    RecordingDevice device;
    AppContext context{state, host, device};
    device::ConfigStore store;
    ui::PropertySheet sheet{"Office"};

    explicit PageFixture(device::Family family = device::Family::Two, int firmwareLevel = 65)
        : store(family) {
        state.devices[0] = makeRouter("Office", "192.168.1.1", "old", static_cast<int>(family));
        state.deviceCount = 1;
        store.firmwareLevel = firmwareLevel;
        store.saveConfirmed = true;
        store.resetOwner = 1;
    }

    // The router's answer, as a fetch would leave it.
    MIB_RESPONSE& read(int variable) {
        return device::ReadImageFill(store).read(store.slotOf(variable).value());
    }
    _snmp_packet& write(int variable) { return store.write(store.slotOf(variable).value()); }
    _snmp_packet& mode1(int variable) {
        return store.mode1Write(device::mode1IndexOf(variable).value());
    }
    void readInteger(int variable, std::int32_t value) { setReadInteger(read(variable), value); }
    void readText(int variable, std::string_view text) { setReadText(read(variable), text); }
    void readBytes(int variable, const std::vector<std::uint8_t>& bytes) {
        setReadEntry(read(variable), kTypeOctetString, bytes.data(), bytes.size());
    }

    std::vector<DeviceCall> writes() const { return device.callsOf(DeviceOp::SetInfo); }
};

inline std::vector<std::string> textsOf(const DeviceCall& call) {
    std::vector<std::string> texts;
    for (const auto& v : call.values)
        texts.push_back(device::entryText(v));
    return texts;
}

} // namespace tolvaro::test
