#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/access/filter_port_dlg.h"
#include "res/ids/filter_port_ids.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::filter_port;

struct PortRow {
    const char* name;
    const char* typedName;
    const char* protocol;
    const char* port;
    const char* message; // nullptr: accepted
    std::uint32_t value; // the port value afterwards
};

class FilterPortChecks : public testing::TestWithParam<PortRow> {};

TEST_P(FilterPortChecks, RefuseWhatTheListHolds) {
    const PortRow& row = GetParam();
    FilterPortList ports;
    for (const WellKnownPort& known : kWellKnownPorts)
        ports.emplace_back(false, known.name, known.port, known.protocol);
    ports.emplace_back(false, "game", udpPortValue(27015));
    char name[kFilterPortNameBytes]{};
    std::uint32_t value = 0;
    int accepted = -1;
    ui::ScriptedHost host;
    CFilterPortDlg dlg(ports, name, value, accepted);
    auto d = host.open(dlg);
    d.type(ids::kName, row.typedName);
    d.select(ids::kProtocol, row.protocol);
    d.type(ids::kPort, row.port);
    d.click(ui::kIdOk);
    EXPECT_EQ(host.messageTexts(),
              row.message ? std::vector<std::string>{row.message} : std::vector<std::string>{});
    EXPECT_EQ(accepted, row.message ? -1 : 1);
    EXPECT_EQ(value, row.value);
    if (!row.message) {
        EXPECT_EQ(std::string(name), "quake");
    }
}

const char* const kNameInUse =
    "Name error.\nThis name is already in use.\nYou must use a different name.";
const char* const kPortInUse =
    "Port number error.\nThis port number is already in use.\nYou must use a different port.";
const char* const kRange = "Port number must have a value between 1 and 65534.";

INSTANTIATE_TEST_SUITE_P(
    Cases, FilterPortChecks,
    testing::Values(PortRow{"HighestPortCapitalName", "Quake", "UDP", "65534", nullptr,
                            0xfffe0000u},
                    PortRow{"Port65535", "quake", "TCP", "65535", kRange, 0xffffu},
                    PortRow{"Port0BeforeEmptyName", "", "TCP", "0", kRange, 0},
                    PortRow{"EmptyName", "", "TCP", "5000", "Please fill name ", 5000},
                    PortRow{"WellKnownName", "http", "UDP", "5000", kNameInUse, 5000u << 16},
                    PortRow{"UserNameOtherProtocol", "GAME", "TCP", "5000", kNameInUse, 5000},
                    PortRow{"TcpPortOfHttp", "quake", "TCP", "80", kPortInUse, 80},
                    PortRow{"UdpPort80", "quake", "UDP", "80", nullptr, 80u << 16},
                    PortRow{"UdpPortOfTftp", "quake", "UDP", "69", kPortInUse, 69u << 16},
                    PortRow{"TcpPort69", "quake", "TCP", "69", nullptr, 69}),
    [](const auto& info) { return info.param.name; });

} // namespace
} // namespace tolvaro::pages
