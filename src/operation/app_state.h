// What lives for the whole run of the utility. The application owns one
// AppState and hands it to the dialogs and pages that need it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <ipslan/ipslan.h>

namespace tolvaro {

enum LoginResult : int { kLoginWrong = 0, kLoginAccepted = 1, kLoginCancelled = 2 };

// One successful remote connection, appended in order and never removed.
struct RemoteConnection {
    std::string ip;
    std::string port;
    std::string password;
    std::string localAddress;
    std::string mask;
};

struct AppState {
    // Discovery fills records from 0; records beyond the count keep older contents.
    std::array<DEVICE_INFO, kDeviceTableSize> devices{};
    int deviceCount = 0;
    int selectedIndex = 0;
    int remoteFlag = 0;
    LoginResult loginResult = kLoginWrong;
    int remotePort = 0;
    // Row of the "Remote" list entry, -1 while there is none: the row is
    // known by this, not by its text, which a LAN router may share.
    int remoteRow = -1;

    std::vector<RemoteConnection> remoteConnections;
    int connectionResult = 0;
    std::string connectedAddress;

    // Kept from one fetch to the next, as the firmware level is.
    int firmwareLevel = 0;

    // Shared by the Quick Setup, LAN and workstation pages: most significant byte first.
    std::array<std::uint8_t, 4> dhcpRangeStart{};
    std::array<std::uint8_t, 4> dhcpRangeEnd{};

    // Shared by the Quick Setup and LAN-to-LAN pages.
    int lanToLanOn = 0;
    int receiveOnly = 0;

    DEVICE_INFO& selected() { return devices[static_cast<std::size_t>(selectedIndex)]; }
};

} // namespace tolvaro
