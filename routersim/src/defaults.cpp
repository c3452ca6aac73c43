// Factory settings: what a router fresh from the box holds. Tables carry a few
// entries so that every page of the utility has something to show.
#include <cstring>

#include <ipslan/records.h>
#include <ipslan/variables.h>

#include "routersim/model.h"

namespace routersim {
namespace {

using Bytes = std::vector<std::uint8_t>;

void copyText(char* field, std::size_t width, const char* text) {
    std::memset(field, 0, width);
    std::strncpy(field, text, width - 1);
}

void setAddress(std::uint8_t* out, Ipv4 address) {
    out[0] = static_cast<std::uint8_t>(address >> 24);
    out[1] = static_cast<std::uint8_t>(address >> 16);
    out[2] = static_cast<std::uint8_t>(address >> 8);
    out[3] = static_cast<std::uint8_t>(address);
}

Ipv4 ipv4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    return Ipv4{a} << 24 | Ipv4{b} << 16 | Ipv4{c} << 8 | d;
}

// Encodes records back to back into a value of `size` bytes (the rest zero).
template <typename Record, typename Encoder>
Bytes table(std::size_t size, const std::vector<Record>& records, Encoder encode) {
    Bytes bytes(size, 0);
    std::size_t pos = 0;
    for (const Record& record : records) {
        const int written = encode(bytes.data() + pos, &record, size - pos);
        pos += static_cast<std::size_t>(written > 0 ? written : 0);
    }
    return bytes;
}

UserInfo user(const char* name, const char* password, std::uint8_t flags, std::uint16_t limit,
              const char* callback) {
    UserInfo u{};
    copyText(u.name, sizeof u.name, name);
    copyText(u.password, sizeof u.password, password);
    u.flags = flags;
    u.timeLimit = limit;
    copyText(u.callback, sizeof u.callback, callback);
    return u;
}

WkInfo station(const char* name, HardwareAddress hardware, Ipv4 reserved, std::uint8_t group) {
    WkInfo w{};
    std::memcpy(w.hardware, hardware.data(), 6);
    copyText(w.name, sizeof w.name, name);
    setAddress(w.address, reserved);
    w.reserve = reserved != 0 ? 1 : 0;
    w.group = group;
    return w;
}

S_ROUTE route(const char* name, Ipv4 destination, Ipv4 mask, Ipv4 gateway, std::uint8_t metric,
              std::uint8_t interface) {
    S_ROUTE r{};
    copyText(r.name, sizeof r.name, name);
    setAddress(r.destination, destination);
    setAddress(r.netmask, mask);
    setAddress(r.gateway, gateway);
    r.metric = metric;
    r.interface = interface;
    return r;
}

LOCAL_S server(const char* name, bool on, std::uint8_t protocol, std::uint16_t external,
               std::uint16_t internal, Ipv4 address) {
    LOCAL_S s{};
    s.enabled = on ? 1 : 0;
    setAddress(s.address, address);
    copyText(s.name, sizeof s.name, name);
    s.protocol = protocol;
    s.externalPort = external;
    s.internalPort = internal;
    return s;
}

SP_AP application(const char* name, bool on, std::uint8_t outProtocol, std::uint16_t outStart,
                  std::uint16_t outEnd, std::uint8_t inProtocol, std::uint16_t inStart,
                  std::uint16_t inEnd) {
    SP_AP a{};
    a.enabled = on ? 1 : 0;
    copyText(a.name, sizeof a.name, name);
    a.outProtocol = outProtocol;
    a.outStart = outStart;
    a.outEnd = outEnd;
    a.inProtocol = inProtocol;
    a.inStart = inStart;
    a.inEnd = inEnd;
    return a;
}

S_GPCFG group(std::uint32_t wellKnown, std::uint32_t userPorts, std::uint8_t mode) {
    S_GPCFG g{};
    g.wellKnownMask = wellKnown;
    g.userPortMask = userPorts;
    g.mode = mode;
    return g;
}

Bytes groupBytes(const S_GPCFG& g) {
    Bytes bytes(ipslan::kGroupBytes, 0);
    IPSConvGroupToByte(bytes.data(), &g, bytes.size());
    return bytes;
}

constexpr std::uint8_t kUdp = 0;
constexpr std::uint8_t kTcp = 1;
constexpr std::uint8_t kDialIn = 0x02;
constexpr std::uint8_t kCallbackFixed = 1 << 3;
constexpr std::uint8_t kCallbackRoaming = 2 << 3;

} // namespace

Settings factorySettings(const ResolvedConfig& config) {
    Settings s;
    s.family = config.family;
    s.address = config.address;
    s.netmask = config.netmask;
    const Ipv4 net = config.address & config.netmask;
    auto host = [net](Ipv4 n) {
        return net | n;
    };
    auto set = [&s](int variable, Value value, int mode = 0) {
        s.values[{variable, mode}] = std::move(value);
    };
    auto text = [&set](int variable, const char* value, int mode = 0) {
        set(variable, Value::ofText(value), mode);
    };
    auto integer = [&set](int variable, std::int32_t value, int mode = 0) {
        set(variable, Value::ofInteger(value), mode);
    };
    auto dotted = [&text](int variable, Ipv4 address, int mode = 0) {
        text(variable, ipslan::wire::formatIpv4(address).c_str(), mode);
    };

    text(ipslan::var::kPassword, config.password.c_str());

    // Internet access over ISDN: dynamic WAN address, one provider number.
    text(ipslan::var::kWanAddress, "0.0.0.0");
    text(ipslan::var::kAccountName, "office@isp.example");
    text(ipslan::var::kAccountPassword, "isdn4you");
    dotted(ipslan::var::kPrimaryDns, ipv4(192, 0, 2, 53));
    text(ipslan::var::kTelephone1, "0191011");
    text(ipslan::var::kTelephone2, "");
    text(ipslan::var::kTelephone3, "");
    integer(ipslan::var::kCountry, 6); // Euro ISDN
    text(ipslan::var::kSpid1, "");
    text(ipslan::var::kSpid2, "");
    integer(ipslan::var::kIdleMinutes, 5); // minutes

    // LAN: DHCP pool in the router's own network, two DNS servers.
    integer(ipslan::var::kDhcpEnable, 1);
    dotted(ipslan::var::kDhcpStart, host(100));
    dotted(ipslan::var::kDhcpEnd, host(199));
    dotted(ipslan::var::kLanDns1, ipv4(192, 0, 2, 53));
    dotted(ipslan::var::kLanDns2, ipv4(192, 0, 2, 54));
    dotted(ipslan::var::kLanDns3, 0);
    set(ipslan::var::kRouteTable[0],
        Value::ofBytes(
            table(240,
                  std::vector<S_ROUTE>{
                      route("branch", ipv4(10, 1, 0, 0), ipv4(255, 255, 0, 0), host(254), 2, 0),
                      route("lab", ipv4(172, 16, 5, 0), ipv4(255, 255, 255, 0), host(253), 1, 1),
                  },
                  IPSConvRouteToByte)));
    set(ipslan::var::kRouteTable[1], Value::ofBytes(Bytes(240, 0)));

    // Dial-in users: five per variable.
    set(ipslan::var::kUserTable[0],
        Value::ofBytes(table(235,
                             std::vector<UserInfo>{
                                 user("anna", "an4na", kDialIn, 0, ""),
                                 user("bernd", "b3rnd", kDialIn | kCallbackFixed, 30, "0301234567"),
                                 user("carla", "c4rla", kCallbackRoaming, 60, ""),
                             },
                             IPSConvUserToByte)));
    for (std::size_t i = 1; i < ipslan::var::kUserTable.size(); ++i) {
        set(ipslan::var::kUserTable[i], Value::ofBytes(Bytes(235, 0)));
    }

    // Access control: Group1 blocks irc, tftp and the user-defined UDP port,
    // Group2 blocks everything.
    set(ipslan::var::kGroupTable[0], Value::ofBytes(groupBytes(group(0, 0, 0))));
    set(ipslan::var::kGroupTable[1], Value::ofBytes(groupBytes(group(0x3, 0x1, 2))));
    set(ipslan::var::kGroupTable[2], Value::ofBytes(groupBytes(group(0, 0, 1))));
    set(ipslan::var::kGroupTable[3], Value::ofBytes(groupBytes(group(0, 0, 0))));
    set(ipslan::var::kGroupTable[4], Value::ofBytes(groupBytes(group(0, 0, 0))));
    {
        TCPUDP_PORT udp{};
        TCPUDP_PORT tcp{};
        copyText(udp.name, sizeof udp.name, "game");
        udp.port = 27015;
        copyText(tcp.name, sizeof tcp.name, "vnc");
        tcp.port = 5900;
        Bytes tcpImage(ipslan::kPortImageBytes, 0);
        Bytes udpImage(ipslan::kPortImageBytes, 0);
        std::uint32_t values[ipslan::kMaxUserPorts] = {};
        ConvTCPUDPToByte(tcpImage.data(), udpImage.data(), values, &tcp, 1, &udp, 1);
        // The router reports port lists at their used length: 6 bytes a port.
        tcpImage.resize(ipslan::kPortNameBytes);
        udpImage.resize(ipslan::kPortNameBytes);
        set(ipslan::var::kUdpPortNames, Value::ofBytes(udpImage));
        set(ipslan::var::kTcpPortNames, Value::ofBytes(tcpImage));
        for (int i = 0; i < ipslan::kMaxUserPorts; ++i) {
            integer(ipslan::var::kPortValues[static_cast<std::size_t>(i)],
                    static_cast<std::int32_t>(values[i]));
        }
    }
    set(ipslan::var::kWorkstationFirst,
        Value::ofBytes(
            table(220,
                  std::vector<WkInfo>{
                      station("pc-anna", {0x00, 0x0A, 0x95, 0x9D, 0x68, 0x16}, host(120), 0),
                      station("printer", {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}, host(121), 0),
                      station("kiosk", {0x00, 0x11, 0x22, 0x33, 0x44, 0x55}, 0, 2),
                  },
                  IPSConvStationToByte)));
    for (std::size_t i = 1; i < ipslan::var::kWorkstationTable.size(); ++i) {
        set(ipslan::var::kWorkstationTable[i], Value::ofBytes(Bytes(220, 0)));
    }

    // Internet applications.
    integer(ipslan::var::kReservedValue, 0);
    set(ipslan::var::kVirtualServers,
        Value::ofBytes(table(210,
                             std::vector<LOCAL_S>{
                                 server("web", true, kTcp, 80, 80, host(10)),
                                 server("mail", true, kTcp, 25, 25, host(11)),
                                 server("voip", false, kUdp, 5060, 5060, host(12)),
                             },
                             IPSConvLocalServerToByte)));
    set(ipslan::var::kReservedTable, Value::ofBytes({}));
    set(ipslan::var::kSpecialApplications,
        Value::ofBytes(
            table(210,
                  std::vector<SP_AP>{
                      application("ichat", true, kTcp, 6000, 6010, kTcp, 113, 113),
                      application("games", false, kUdp, 27900, 27910, kUdp, 27900, 27910),
                  },
                  IPSConvSpecialAPToByte)));
    set(ipslan::var::kExposedComputer, Value::ofBytes(Bytes(ipslan::kExposedBytes, 0)));

    // Feature byte, dial-out flag and authentication: Internet access on,
    // LAN-to-LAN off; the incoming profile allows dial-in with PAP.
    integer(ipslan::var::kFeatureByte, 0);
    integer(ipslan::var::kDialOut, 1);
    integer(ipslan::var::kAuthentication, 0x10);
    integer(ipslan::var::kLanToLanSwitch, 0);
    integer(ipslan::var::kFeatureByte, kDialIn, 1);
    integer(ipslan::var::kDialOut, 0, 1);
    integer(ipslan::var::kAuthentication, 0x10, 1);
    integer(ipslan::var::kLanToLanSwitch, 0, 1);
    integer(ipslan::var::kDialInIdleMinutes, 10, 1);
    for (int mode = 0; mode <= 1; ++mode) {
        text(ipslan::var::kLanToLanLogin, "branch", mode);
        text(ipslan::var::kLanToLanPassword, "br4nch", mode);
        text(ipslan::var::kRemoteLoginName, "office", mode);
        text(ipslan::var::kRemoteLoginPassword, "0ff1ce", mode);
        text(ipslan::var::kRemotePhone, "0307654321", mode);
        dotted(ipslan::var::kRemoteNetwork, ipv4(192, 168, 20, 0), mode);
        dotted(ipslan::var::kRemoteMask, ipv4(255, 255, 255, 0), mode);
    }

    // ISDN line.
    integer(ipslan::var::kUsage, 1); // two B channels on demand
    text(ipslan::var::kOutgoingMsn, "4711");
    text(ipslan::var::kOutgoingSad, "");
    text(ipslan::var::kIncomingMsn, "4711");
    text(ipslan::var::kIncomingSad, "");
    integer(ipslan::var::kLineSpeed, 0); // 64 Kbps
    text(ipslan::var::kInitialString, "");

    if (hasVariable(config, ipslan::var::kIdleSeconds, 0)) {
        integer(ipslan::var::kIdleSeconds, 300); // seconds
    }
    if (config.family == 2) {
        integer(ipslan::var::kAnswerWanPing, 0);
        integer(ipslan::var::kRip, 1);
        integer(ipslan::var::kRemoteManagement, 1); // remote management off
        integer(ipslan::var::kWebPort, 8080);
        integer(ipslan::var::kWebManagementOff, 1);
        integer(ipslan::var::kUtilityPort, 161);
    }
    return s;
}

} // namespace routersim
