#include "routersim/model.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <ipslan/records.h>

namespace routersim {
namespace {

using ipslan::VariableInfo;
using ipslan::VarKind;

// The utility joins the nine log variables into at most 2549 characters, so
// the router fills each with at most 283 (9 x 283 = 2547) in whole lines.
constexpr std::size_t kLogPartSize = 283;
constexpr std::size_t kLogLineLimit = 120;
constexpr int kLeasesPerPart = 17;
constexpr std::size_t kLeaseRecordBytes = ipslan::kLeaseBytes;
constexpr std::int32_t kLeaseSeconds = 86400;
// A WAN address the provider hands out while the link is up.
constexpr const char* kProviderAddress = "198.51.100.23";

const HardwareAddress kDynamicClients[] = {
    {0x00, 0x16, 0x3E, 0x5A, 0x10, 0x01},
    {0x00, 0x16, 0x3E, 0x5A, 0x10, 0x02},
    {0x00, 0x16, 0x3E, 0x5A, 0x10, 0x03},
};

bool isLogVariable(int variable) {
    return std::find(std::begin(ipslan::kLogVariables), std::end(ipslan::kLogVariables),
                     variable) != std::end(ipslan::kLogVariables);
}

bool isPortList(int variable) {
    return variable == ipslan::var::kUdpPortNames || variable == ipslan::var::kTcpPortNames;
}

std::string clockText(Millis elapsed) {
    const long long seconds = std::max<long long>(0, elapsed.count() / 1000);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600 % 100,
                  seconds / 60 % 60, seconds % 60);
    return text;
}

// Whole lines packed greedily into parts of at most kLogPartSize bytes.
std::vector<std::string> packLog(const std::deque<std::string>& lines) {
    std::vector<std::string> parts;
    for (const std::string& line : lines) {
        if (parts.empty() || parts.back().size() + line.size() > kLogPartSize) {
            parts.emplace_back();
        }
        parts.back() += line;
    }
    return parts;
}

void putAddress(std::uint8_t* out, Ipv4 address) {
    out[0] = static_cast<std::uint8_t>(address >> 24);
    out[1] = static_cast<std::uint8_t>(address >> 16);
    out[2] = static_cast<std::uint8_t>(address >> 8);
    out[3] = static_cast<std::uint8_t>(address);
}

Ipv4 getAddress(const std::uint8_t* in) {
    return Ipv4{in[0]} << 24 | Ipv4{in[1]} << 16 | Ipv4{in[2]} << 8 | in[3];
}

struct Lease {
    Ipv4 address;
    HardwareAddress hardware;
    bool dynamic;
    std::int32_t seconds;
};

dhcp_tmp_s leaseRecord(const Lease& lease) {
    dhcp_tmp_s record{};
    putAddress(record.address, lease.address);
    std::memcpy(record.hardware, lease.hardware.data(), sizeof record.hardware);
    record.dynamic = lease.dynamic ? 1 : 0;
    record.lease = lease.seconds;
    return record;
}

} // namespace

RouterModel::RouterModel(const ResolvedConfig& config)
    : config_(config), settings_(factorySettings(config)) {
    boot();
}

void RouterModel::restore(const Settings& settings) {
    settings_ = settings;
    restartEnds_.reset();
    boot();
}

void RouterModel::boot() {
    runningAddress_ = settings_.address;
    runningNetmask_ = settings_.netmask;
    runningPassword_ = textSetting(ipslan::var::kPassword);
    bootTime_ = now();
    dialing_ = false;
    linkUp_ = false;
    log_.clear();
    addLog("System started, firmware " + config_.firmware);
    addLog("LAN " + ipslan::wire::formatIpv4(runningAddress_) + " mask " +
           ipslan::wire::formatIpv4(runningNetmask_));
    addLog(integerSetting(ipslan::var::kDhcpEnable) != 0 ? "DHCP server on" : "DHCP server off");
    addLog("ISDN layer 1 active");
}

bool RouterModel::advance() {
    const Millis t = now();
    if (restartEnds_ && t >= *restartEnds_) {
        restartEnds_.reset();
        boot();
        return true;
    }
    if (dialing_ && t >= dialStart_ + config_.dialDelay) {
        dialing_ = false;
        linkUp_ = true;
        connectedAt_ = t;
        addLog("Connected to ISP, WAN address " + std::string(kProviderAddress));
    }
    return false;
}

bool RouterModel::acceptsCommunity(std::string_view community) const {
    if (!runningPassword_.empty() && community == runningPassword_) {
        return true;
    }
    return (config_.family == 1 || runningPassword_.empty()) && community == kFixedCommunity;
}

std::optional<Value> RouterModel::get(int variable, int mode) const {
    const VariableInfo* info = ipslan::findVariable(variable, mode);
    if (info == nullptr || !hasVariable(config_, variable, mode)) {
        return std::nullopt;
    }
    if (mode == 0) {
        switch (variable) {
        case ipslan::var::kReset:
        case ipslan::var::kLineCommand:
            return Value::ofInteger(0);
        case ipslan::var::kLinkStatus:
            return Value::ofInteger(linkUp_ ? 1 : 0);
        case ipslan::var::kHardwareAddress:
            return Value::ofBytes({config_.hardware.begin(), config_.hardware.end()});
        case ipslan::var::kHardwareId:
            // Board type, family and hardware revision.
            return Value::ofBytes(
                {0x4B, 0x56, 0x00, static_cast<std::uint8_t>(config_.family), 0x01, 0x00});
        case ipslan::var::kFirmwareVersion:
            return Value::ofText(config_.firmware);
        case ipslan::var::kStatusText:
            return Value::ofText(statusText());
        default:
            break;
        }
        if (variable >= ipslan::var::kLeaseFirst &&
            variable < ipslan::var::kLeaseFirst + ipslan::var::kLeaseParts) {
            return Value::ofBytes(leasePart(variable - ipslan::var::kLeaseFirst));
        }
        if (isLogVariable(variable)) {
            const auto it = std::find(std::begin(ipslan::kLogVariables),
                                      std::end(ipslan::kLogVariables), variable);
            auto part = logPart(static_cast<int>(it - std::begin(ipslan::kLogVariables)));
            return Value{VarKind::Text, 0, std::move(part)};
        }
    }
    const auto it = settings_.values.find({variable, mode});
    if (it == settings_.values.end()) {
        return std::nullopt;
    }
    return it->second;
}

VarError RouterModel::checkSet(int variable, int mode, const WireValue& value) const {
    const VariableInfo* info = ipslan::findVariable(variable, mode);
    if (info == nullptr || !hasVariable(config_, variable, mode) || !info->writable) {
        return VarError::NoSuchName;
    }
    if (mode == 0 &&
        std::ranges::find(config_.refusedWrites, variable) != config_.refusedWrites.end()) {
        return VarError::BadValue;
    }
    if (info->keepOnEmpty && value.type == WireValue::Type::OctetString && value.bytes.empty()) {
        return VarError::None;
    }
    if (info->kind == VarKind::Integer) {
        if (value.type != WireValue::Type::Integer) {
            return VarError::BadValue;
        }
        if (mode == 0 && variable == ipslan::var::kLineCommand && value.integer != 1 &&
            value.integer != 2) {
            return VarError::BadValue;
        }
        return VarError::None;
    }
    if (value.type != WireValue::Type::OctetString || value.bytes.size() > info->maxLength) {
        return VarError::BadValue;
    }
    if (isPortList(variable) && value.bytes.size() % ipslan::kPortNameBytes != 0) {
        return VarError::BadValue;
    }
    return VarError::None;
}

Value RouterModel::normalised(const VariableInfo& info, const WireValue& value) const {
    if (info.kind == VarKind::Integer) {
        return Value::ofInteger(value.integer);
    }
    Value result{info.kind, 0, value.bytes};
    if (info.mode == 0 && isPortList(info.variable)) {
        // The utility sends port lists zero-padded to 96 bytes but derives the
        // port count from the length it reads back, so keep only the ports.
        std::size_t used = 0;
        while (used + ipslan::kPortNameBytes <= result.bytes.size() && result.bytes[used] != 0) {
            used += ipslan::kPortNameBytes;
        }
        result.bytes.resize(used);
    }
    return result;
}

void RouterModel::applySet(const std::vector<std::pair<VariableKey, WireValue>>& writes) {
    bool restart = false;
    for (const auto& [key, value] : writes) {
        const VariableInfo* info = ipslan::findVariable(key.variable, key.mode);
        if (info == nullptr) {
            continue;
        }
        if (key.mode == 0 && key.variable == ipslan::var::kReset) {
            restart = restart || value.integer == 1;
            continue;
        }
        if (key.mode == 0 && key.variable == ipslan::var::kLineCommand) {
            if (value.integer == 2) {
                dial();
            } else if (!config_.stuckLine) {
                hangUp("by request");
            }
            continue;
        }
        if (key.mode == 0 &&
            std::ranges::find(config_.ignoredWrites, key.variable) != config_.ignoredWrites.end()) {
            continue;
        }
        if (info->keepOnEmpty && value.type == WireValue::Type::OctetString &&
            value.bytes.empty()) {
            continue;
        }
        settings_.values[key] = normalised(*info, value);
    }
    if (restart) {
        beginRestart();
    }
}

bool RouterModel::assignAddress(Ipv4 address, Ipv4 netmask) {
    if (!isLoopback(address) || !isUsableAddress(address, netmask)) {
        return false;
    }
    settings_.address = address;
    settings_.netmask = netmask;
    beginRestart();
    return true;
}

void RouterModel::revertAddress(Ipv4 address, Ipv4 netmask) {
    const Ipv4 failed = settings_.address;
    settings_.address = runningAddress_ = address;
    settings_.netmask = runningNetmask_ = netmask;
    addLog("Cannot use address " + ipslan::wire::formatIpv4(failed) + ", staying at " +
           ipslan::wire::formatIpv4(address));
}

void RouterModel::beginRestart() {
    dialing_ = false;
    linkUp_ = false;
    restartEnds_ = now() + config_.restartTime;
}

void RouterModel::addLog(const std::string& text) {
    std::string line = clockText(now() - bootTime_) + " " + text;
    if (line.size() > kLogLineLimit) {
        line.resize(kLogLineLimit);
    }
    log_.push_back(line + "\n");
    while (packLog(log_).size() > std::size(ipslan::kLogVariables)) {
        log_.pop_front();
    }
}

void RouterModel::dial() {
    if (linkUp_ || dialing_) {
        return;
    }
    if (integerSetting(ipslan::var::kDialOut) == 0) {
        addLog("Dial-out disabled, no call placed");
        return;
    }
    const std::string number = textSetting(ipslan::var::kTelephone1);
    if (number.empty()) {
        addLog("No telephone number, no call placed");
        return;
    }
    dialing_ = true;
    dialStart_ = now();
    addLog("Dialing " + number);
}

void RouterModel::hangUp(const char* why) {
    if (!linkUp_ && !dialing_) {
        return;
    }
    linkUp_ = false;
    dialing_ = false;
    addLog(std::string("Disconnected ") + why);
}

std::int32_t RouterModel::integerSetting(int variable, int mode) const {
    const auto it = settings_.values.find({variable, mode});
    return it != settings_.values.end() && it->second.kind == VarKind::Integer ? it->second.integer
                                                                               : 0;
}

std::string RouterModel::textSetting(int variable, int mode) const {
    const auto it = settings_.values.find({variable, mode});
    if (it == settings_.values.end()) {
        return {};
    }
    // Texts end at the first NUL, as the utility reads them.
    const std::string text = it->second.text();
    return text.substr(0, text.find('\0'));
}

std::string RouterModel::statusText() const {
    // Lines end in CR LF: the utility shows this text as it comes. "Accont"
    // is how this firmware spells it; the utility corrects it.
    std::string text;
    const std::int32_t usage = integerSetting(ipslan::var::kUsage);
    if (linkUp_) {
        const std::string fixed = textSetting(ipslan::var::kWanAddress);
        const std::string wan = fixed.empty() || fixed == "0.0.0.0" ? kProviderAddress : fixed;
        text += "Line: connected, ";
        text += usage == 2 ? "2 B channels" : "1 B channel";
        text += "\r\nWAN IP: " + wan;
        text += "\r\nConnected for " + clockText(now() - connectedAt_);
    } else if (dialing_) {
        text += "Line: dialing " + textSetting(ipslan::var::kTelephone1);
    } else {
        text += "Line: idle";
    }
    text += "\r\nAccont: " + textSetting(ipslan::var::kAccountName);
    return text;
}

std::vector<std::uint8_t> RouterModel::logPart(int index) const {
    const auto parts = packLog(log_);
    if (index < 0 || static_cast<std::size_t>(index) >= parts.size()) {
        return {};
    }
    return {parts[index].begin(), parts[index].end()};
}

std::vector<std::uint8_t> RouterModel::leasePart(int index) const {
    std::vector<Lease> leases;
    if (integerSetting(ipslan::var::kDhcpEnable) != 0) {
        // Reservations from the workstation table.
        std::vector<Ipv4> taken{runningAddress_};
        for (int part = 0; part < ipslan::var::kWorkstationParts; ++part) {
            const auto it = settings_.values.find({ipslan::var::kWorkstationFirst + part, 0});
            if (it == settings_.values.end()) {
                break;
            }
            const auto& bytes = it->second.bytes;
            std::size_t pos = 0;
            bool end = false;
            for (int n = 0; n < 10; ++n) {
                WkInfo station{};
                const int used =
                    IPSConvByteToStation(&station, bytes.data() + pos, bytes.size() - pos);
                if (used <= 0 || station.name[0] == '\0') {
                    end = true;
                    break;
                }
                pos += static_cast<std::size_t>(used);
                const Ipv4 address = getAddress(station.address);
                if (station.reserve == 1 && station.address[0] != 0) {
                    HardwareAddress hardware{};
                    std::memcpy(hardware.data(), station.hardware, 6);
                    leases.push_back({address, hardware, false, -1});
                    taken.push_back(address);
                }
            }
            if (end) {
                break;
            }
        }
        // A few clients holding dynamic leases from the start of the pool.
        const auto start = ipslan::wire::parseIpv4(textSetting(ipslan::var::kDhcpStart));
        const auto end = ipslan::wire::parseIpv4(textSetting(ipslan::var::kDhcpEnd));
        if (start && end && *start <= *end) {
            const auto elapsed = static_cast<std::int32_t>((now() - bootTime_).count() / 1000);
            std::size_t client = 0;
            for (Ipv4 a = *start;
                 a <= *end && a - *start < 253 && client < std::size(kDynamicClients); ++a) {
                if (std::find(taken.begin(), taken.end(), a) != taken.end()) {
                    continue;
                }
                const auto age =
                    (elapsed + static_cast<std::int32_t>(client) * 7200) % kLeaseSeconds;
                leases.push_back({a, kDynamicClients[client], true, kLeaseSeconds - age});
                ++client;
            }
        }
    }
    std::vector<std::uint8_t> bytes(kLeasesPerPart * kLeaseRecordBytes, 0);
    const std::size_t first = static_cast<std::size_t>(index) * kLeasesPerPart;
    for (std::size_t i = first; i < leases.size() && i < first + kLeasesPerPart; ++i) {
        const dhcp_tmp_s record = leaseRecord(leases[i]);
        IPSConvDHCPTableToByte(bytes.data() + (i - first) * kLeaseRecordBytes, &record,
                               kLeaseRecordBytes);
    }
    return bytes;
}

} // namespace routersim
