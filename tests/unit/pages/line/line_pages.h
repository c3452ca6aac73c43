// A store filled as a fetch would leave it, the Quick Setup and ISDN pages in
// a sheet with one plain page between them, and the recorded device calls.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/config_store.h"
#include "operation/app_context.h"
#include "pages/line/isdn_page.h"
#include "pages/line/quick_setup_page.h"
#include "support/read_entry.h"
#include "support/recording_device.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::pages {

class LinePagesTest : public testing::Test {
protected:
    static constexpr int kQuickSetupIndex = 0;
    static constexpr int kOtherIndex = 1;
    static constexpr int kIsdnIndex = 2;

    explicit LinePagesTest(device::Family family = device::Family::Two) : store(family) {
        state.devices[0] = test::makeRouter("Office", "192.168.1.1", "",
                                            family == device::Family::One ? 1 : 2, "255.255.255.0");
    }

    void readText(int variable, std::string_view text) {
        test::setReadText(device::ReadImageFill(store).read(*store.slotOf(variable)), text);
    }
    void readInteger(int variable, std::int32_t value) {
        test::setReadInteger(device::ReadImageFill(store).read(*store.slotOf(variable)), value);
    }
    std::string written(int variable) const {
        return device::entryText(store.write(*store.slotOf(variable)));
    }

    ui::ScriptedSheetDriver& open() {
        sheet.addPage(quickSetup);
        sheet.addPage(other);
        sheet.addPage(isdn);
        driver.emplace(host.open(sheet));
        return *driver;
    }
    ui::ScriptedDialogDriver page(int index) const { return driver->page(index); }

    std::vector<test::DeviceCall> writes() const { return device.callsOf(test::DeviceOp::SetInfo); }
    // "text/length" of each entry a write sent.
    static std::vector<std::string> sent(const test::DeviceCall& call) {
        std::vector<std::string> out;
        for (const auto& entry : call.values)
            out.push_back(device::entryText(entry) + "/" +
                          std::to_string(device::entryLength(entry)));
        return out;
    }

    AppState state;
    ui::ScriptedHost host;
    test::RecordingDevice device;
    AppContext context{state, host, device};
    device::ConfigStore store;
    CMQuickSetup quickSetup{context, store};
    ui::PropertyPage other{160};
    CMISDN isdn{context, store};
    ui::PropertySheet sheet{"Office"};
    std::optional<ui::ScriptedSheetDriver> driver;
};

} // namespace tolvaro::pages
