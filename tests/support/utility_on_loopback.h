// The utility as a user runs it, on scripted windows but with the real device
// library, against simulated routers on loopback:
//
//     UtilityOnLoopback utility;
//     auto& office = utility.add(routerConfig(2, "Office", "127.0.0.41"));
//     utility.setup([](ui::ScriptedSheetDriver& sheet) { ...; sheet.pressOK(); });
//     EXPECT_EQ(utility.text(office, 0x3013), "192.0.2.99");
//
// Waits in the utility (the reset, the status polls) move the routers'
// shared clock instead of sleeping.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "device/device_link.h"
#include "operation/app_context.h"
#include "support/simulated_network.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::test {

routersim::RouterConfig routerConfig(int family, std::string name, std::string address);

class UtilityOnLoopback {
public:
    UtilityOnLoopback();

    routersim::Router& add(routersim::RouterConfig config) { return net.add(std::move(config)); }

    // Starts the main window (its discovery finds every router added so far)
    // and runs Setup on the first row with `sheet` answering the settings
    // sheet. Fails the test when discovery finds no router.
    void setup(std::function<void(ui::ScriptedSheetDriver&)> sheet);

    // What the router holds now (zero or empty when it has no such variable).
    static std::int32_t integer(const routersim::Router& router, int variable, int mode = 0);
    static std::string text(const routersim::Router& router, int variable, int mode = 0);
    static std::vector<std::uint8_t> bytes(const routersim::Router& router, int variable,
                                           int mode = 0);

    SimulatedNetwork net;
    std::unique_ptr<device::DeviceLink> link;
    AppState state;
    ui::ScriptedHost host;
    AppContext context;
};

} // namespace tolvaro::test
