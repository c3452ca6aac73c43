// Captions that name the router's settings. The templates build their
// controls from these, and the named settings (show, diff, the verify, the
// Snapshots window) are made of them, so a name cannot drift from what the
// window shows. Each caption knows the window it sits in. Texts are exactly
// as the windows show them, blanks and accelerators included; how a caption
// reads inside a name is one rule, in the named settings.
#pragma once

#include <string_view>

#include "res/ids/access_control_ids.h"
#include "res/ids/dhcp_status_ids.h"
#include "res/ids/dialin_ids.h"
#include "res/ids/filter_port_ids.h"
#include "res/ids/group_setup_ids.h"
#include "res/ids/internet_application_ids.h"
#include "res/ids/isdn_ids.h"
#include "res/ids/lan_ids.h"
#include "res/ids/lan_to_lan_ids.h"
#include "res/ids/option_ids.h"
#include "res/ids/quick_setup_ids.h"
#include "res/ids/route_ids.h"
#include "res/ids/special_app_ids.h"
#include "res/ids/status_ids.h"
#include "res/ids/user_ids.h"
#include "res/ids/virtual_server_ids.h"
#include "res/ids/workstation_ids.h"

namespace tolvaro::res {

// A caption and the template number of the window that shows it.
struct Caption {
    int window;
    std::string_view text;
};

namespace captions::quick_setup {
inline constexpr int kWindow = res::quick_setup::kTemplate;
inline constexpr Caption kPage{kWindow, "Quick Setup"};
inline constexpr Caption kInternetAccess{kWindow, "Internet Access"};
inline constexpr Caption kEnableInternet{kWindow, "Enable Internet Access / Disable Lan to Lan"};
inline constexpr Caption kAccountName{kWindow, "Account Name"};
inline constexpr Caption kAccountPassword{kWindow, "Account Password"};
inline constexpr Caption kTelephone1{kWindow, "Telephone"};
inline constexpr Caption kTelephone2{kWindow, "Telephone 2 "};
inline constexpr Caption kTelephone3{kWindow, "Telephone 3 "};
inline constexpr Caption kAddressFromIsp{kWindow, "IP Address from ISP"};
inline constexpr Caption kDns{kWindow, "DNS IP Address"};
inline constexpr Caption kIdleTimeout{kWindow, "Idle Time-out"};
inline constexpr Caption kCountry{kWindow, "Country"};
inline constexpr Caption kSpid1{kWindow, "SPID ( 1st B Channel )"};
inline constexpr Caption kSpid2{kWindow, "SPID ( 2nd B Channel)"};
} // namespace captions::quick_setup

namespace captions::status {
inline constexpr int kWindow = res::status::kTemplate;
inline constexpr Caption kPage{kWindow, "Status"};
inline constexpr Caption kFirmwareVersion{kWindow, "Firmware Version:"};
inline constexpr Caption kHardwareAddress{kWindow, "Hardware Address:"};
inline constexpr Caption kHardwareId{kWindow, "Hardware ID:"};
} // namespace captions::status

namespace captions::option {
inline constexpr int kWindow = res::option::kTemplate;
inline constexpr Caption kPage{kWindow, "Option"};
inline constexpr Caption kAdministratorPassword{kWindow, "Administrator Password"};
inline constexpr Caption kRemoteManagement{kWindow, "Remote Management"};
inline constexpr Caption kWebPort{kWindow, "Port Number (Web Browser)"};
inline constexpr Caption kUtilityPort{kWindow, "Port Number (Windows utility)"};
inline constexpr Caption kRespondToPing{kWindow, "Respond to ICMP request (Ping) via WAN port"};
} // namespace captions::option

namespace captions::lan {
inline constexpr int kWindow = res::lan::kTemplate;
inline constexpr Caption kPage{kWindow, "LAN"};
inline constexpr Caption kDhcpServer{kWindow, "DHCP Server"};
inline constexpr Caption kDhcpEnable{kWindow, "Enable"};
inline constexpr Caption kDhcpStart{kWindow, "Start IP Address"};
inline constexpr Caption kDhcpEnd{kWindow, "End   IP Address"};
inline constexpr Caption kDns{kWindow, "DNS IP Address"};
inline constexpr Caption kDns1{kWindow, "1."};
inline constexpr Caption kDns2{kWindow, "2."};
inline constexpr Caption kDns3{kWindow, "3."};
inline constexpr Caption kRip{kWindow, "RIP 1 (Routing Information Protocol 1) "};
inline constexpr Caption kRoutes{kWindow, "Static Routing Table"};
} // namespace captions::lan

namespace captions::dhcp_status {
inline constexpr Caption kDialog{res::dhcp_status::kTemplate, "DHCP Lease Status"};
} // namespace captions::dhcp_status

namespace captions::dialin {
inline constexpr int kWindow = res::dialin::kTemplate;
inline constexpr Caption kPage{kWindow, "Dial-in"};
inline constexpr Caption kIdleTimeout{kWindow, "Idle Time-out"};
inline constexpr Caption kAuthentication{kWindow, "Authentication"};
inline constexpr Caption kUserList{kWindow, "User List"};
} // namespace captions::dialin

namespace captions::user {
inline constexpr int kWindow = res::user::kTemplate;
inline constexpr Caption kName{kWindow, "Name"};
inline constexpr Caption kPassword{kWindow, "Password"};
inline constexpr Caption kEnableDialIn{kWindow, "Enable Dial-in"};
inline constexpr Caption kTimeLimit{kWindow, "Connect Time Limit"};
inline constexpr Caption kCallBack{kWindow, "Call Back"};
inline constexpr Caption kCallBackFixed{kWindow, "Fixed - Tel No."};
} // namespace captions::user

namespace captions::access_control {
inline constexpr int kWindow = res::access_control::kTemplate;
inline constexpr Caption kPage{kWindow, "Access Control"};
inline constexpr Caption kWorkstations{kWindow, "Workstations"};
} // namespace captions::access_control

namespace captions::group_setup {
inline constexpr Caption kAccessControl{res::group_setup::kTemplate, "Internet Access Control"};
} // namespace captions::group_setup

namespace captions::filter_port {
inline constexpr int kWindow = res::filter_port::kTemplate;
inline constexpr Caption kDialog{kWindow, "Filter Port"};
inline constexpr Caption kName{kWindow, "Name"};
inline constexpr Caption kPortNumber{kWindow, "Port Number"};
} // namespace captions::filter_port

namespace captions::workstation {
inline constexpr int kWindow = res::workstation::kTemplate;
inline constexpr Caption kName{kWindow, "Name"};
inline constexpr Caption kGroup{kWindow, "Group"};
inline constexpr Caption kHardwareAddress{kWindow, "H/W Address"};
inline constexpr Caption kReserve{kWindow, "Reserve IP Address in DHCP Table"};
inline constexpr Caption kAddress{kWindow, "IP Address"};
} // namespace captions::workstation

namespace captions::route {
inline constexpr int kWindow = res::route::kTemplate;
inline constexpr Caption kName{kWindow, "Name"};
inline constexpr Caption kDestination{kWindow, "Destination"};
inline constexpr Caption kMask{kWindow, "Mask"};
inline constexpr Caption kGateway{kWindow, "Gateway"};
inline constexpr Caption kMetric{kWindow, "Metric"};
inline constexpr Caption kInterface{kWindow, "Interface"};
} // namespace captions::route

namespace captions::internet_application {
inline constexpr int kWindow = res::internet_application::kTemplate;
inline constexpr Caption kPage{kWindow, "Internet Application"};
inline constexpr Caption kSpecialApplications{kWindow, "Special Applications"};
inline constexpr Caption kVirtualServer{kWindow, "Virtual Server"};
inline constexpr Caption kExposedComputer{kWindow, "Exposed Computer"};
inline constexpr Caption kExposedEnable{kWindow, "Enable"};
inline constexpr Caption kExposedAddress{kWindow, "PC LAN IP Address"};
} // namespace captions::internet_application

namespace captions::virtual_server {
inline constexpr int kWindow = res::virtual_server::kTemplate;
inline constexpr Caption kEnable{kWindow, "Enable"};
inline constexpr Caption kName{kWindow, "Name"};
inline constexpr Caption kProtocol{kWindow, "Protocol"};
inline constexpr Caption kAddress{kWindow, "IP Addr"};
inline constexpr Caption kPort{kWindow, "Port"};
inline constexpr Caption kExternal{kWindow, "External"};
inline constexpr Caption kInternal{kWindow, "Internal"};
} // namespace captions::virtual_server

namespace captions::special_app {
inline constexpr int kWindow = res::special_app::kTemplate;
inline constexpr Caption kEnable{kWindow, "Enable"};
inline constexpr Caption kName{kWindow, "Name"};
inline constexpr Caption kOutgoing{kWindow, "Outgoing Data"};
inline constexpr Caption kIncoming{kWindow, "Incoming Data"};
inline constexpr Caption kProtocol{kWindow, "Protocol"};
inline constexpr Caption kRangeStart{kWindow, "Range: Start"};
inline constexpr Caption kRangeEnd{kWindow, "End"};
} // namespace captions::special_app

namespace captions::lan_to_lan {
inline constexpr int kWindow = res::lan_to_lan::kTemplate;
inline constexpr Caption kPage{kWindow, "LAN-to-LAN"};
// "&&" shows a single ampersand.
inline constexpr Caption kEnable{kWindow, "Enable LAN to LAN / Disable Internet Access && Dial-in"};
inline constexpr Caption kRemoteSite{kWindow, "Remote Site"};
inline constexpr Caption kRemoteAddress{kWindow, "IP Address"};
inline constexpr Caption kRemoteMask{kWindow, "Network Mask"};
inline constexpr Caption kReceiver{kWindow, "Act as a Receiver"};
inline constexpr Caption kLoginName{kWindow, "Login Name"};
inline constexpr Caption kPassword{kWindow, "Password"};
inline constexpr Caption kPhoneNumber{kWindow, "Phone Number to Dial"};
inline constexpr Caption kLoginUsing{kWindow, "Login Using :"};
inline constexpr Caption kRemoteLoginName{kWindow, "Name"};
inline constexpr Caption kRemotePassword{kWindow, "Password"};
} // namespace captions::lan_to_lan

namespace captions::isdn {
inline constexpr int kWindow = res::isdn::kTemplate;
inline constexpr Caption kPage{kWindow, "ISDN"};
inline constexpr Caption kUsage{kWindow, "Usage"};
inline constexpr Caption kOutgoingCallId{kWindow, "Outgoing Call ID"};
inline constexpr Caption kIncomingCallId{kWindow, "Incoming Call ID"};
inline constexpr Caption kMsn{kWindow, "MSN"};
inline constexpr Caption kSad{kWindow, "SAD"};
inline constexpr Caption kLineSpeed{kWindow, "Line Speed"};
inline constexpr Caption kInitialString{kWindow, "Initial String"};
} // namespace captions::isdn

} // namespace tolvaro::res
