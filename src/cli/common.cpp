#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>

#include <ipslan/config.h>
#include <ipslan/diagnostics.h>
#include <ipslan/variables.h>

#include "cli/cli.h"
#include "device/config_file.h"
#include "device/fetch.h"

namespace tolvaro::cli {

device::DeviceLink& Context::link() {
    if (!link_) {
        for (const std::string& problem : ipslan::environmentProblems())
            warn(problem);
        link_ = device::makeLibraryLink();
        link_->initLan();
    }
    return *link_;
}

Registration::Registration(int order, const char* synopsis, const char* summary, SetUp setUp)
    : order(order), synopsis(synopsis), summary(summary), setUp(setUp) {
    registry().push_back(this);
}

std::vector<const Registration*>& registry() {
    static std::vector<const Registration*> commands;
    return commands;
}

RouterAndFile addRouterAndFile(CLI::App& command, const char* fileHelp) {
    RouterAndFile arguments;
    command
        .add_option("ROUTER", *arguments.router,
                    "The router: its IP address, hardware address or name as discovery "
                    "lists it.")
        ->required();
    command.add_option("FILE", *arguments.path, fileHelp)->required();
    return arguments;
}

RouterConfiguration readForFile(Context& context, const std::string& wanted,
                                device::LoginFor operation) {
    // A remote router's connection test rides with the reads.
    const std::optional<RemoteTarget> remote = remoteTarget(context.options, wanted);
    const DEVICE_INFO router = login(context, wanted, operation, !remote);
    RouterConfiguration read{router, device::ConfigStore(device::familyOf(router))};
    const device::FetchResult fetched =
        device::fetchForFile(context.link(), router.ipAddress, read.store, remote.has_value());
    if (fetched == device::FetchResult::NoAnswer)
        throw Failure{noResponse(*remote)};
    if (fetched != device::FetchResult::Ok)
        throw Failure{fetchFailure(context.link(), router.ipAddress, fetched)};
    return read;
}

std::string requestFailureText(const ipslan::RequestFailure& failure) {
    std::string address = failure.peer.substr(failure.peer.find(':') + 1);
    address = address.substr(0, address.rfind(':'));
    const ipslan::VariableInfo* info = ipslan::findVariable(failure.variable, failure.mode);
    const std::string variable =
        hex(failure.variable) + (info ? std::string(" (") + info->name + ")" : std::string());
    const std::string device = "the device at " + escaped(address);
    switch (failure.kind) {
    case ipslan::RequestFailure::ErrorStatus:
        if (failure.errorStatus == ipslan::RequestFailure::kNoSuchName)
            return device + " does not know the variable " + variable + ": is it a Tolvaro router?";
        return device + " refused the variable " + variable + " with SNMP error status " +
               std::to_string(failure.errorStatus) + " (" +
               ipslan::errorStatusName(failure.errorStatus) + ")";
    case ipslan::RequestFailure::BadValue:
        return device + " answered the variable " + variable +
               " with a value of the wrong type or size (" + hex(failure.valueType) +
               "): is it a Tolvaro router?";
    case ipslan::RequestFailure::WrongVariables:
        return device + " answered with other variables than were asked: is it a Tolvaro router?";
    case ipslan::RequestFailure::None:
    case ipslan::RequestFailure::NoResponse:
        break;
    }
    return {};
}

std::string fetchFailure(device::DeviceLink& link, const char* ip, device::FetchResult result) {
    std::string text(device::fetchFailureMessage(result));
    // The failed batch names its first failed read. A fetch that failed
    // before any batch did leaves no detail, and one plain read then says
    // why; a router that did not answer would only make it wait again.
    const ipslan::RequestFailure failure = ipslan::lastRequestFailure();
    std::string why = requestFailureText(failure);
    if (failure.kind == ipslan::RequestFailure::None) {
        MIB_RESPONSE probe{};
        const int variable = ipslan::var::kFirmwareVersion;
        if (link.getInfo(ip, 0, 1, &variable, &probe) != 1)
            why = requestFailureText(ipslan::lastRequestFailure());
    }
    if (!why.empty())
        text += " (" + why + ")";
    return text;
}

std::string hex(int variable) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%04x", static_cast<unsigned>(variable));
    return buffer;
}

std::string escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u >= 0x7f) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02x", u);
            out += buffer;
        } else {
            out += c;
        }
    }
    return out;
}

std::string hardwareText(const std::uint8_t (&bytes)[6]) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%02X:%02X:%02X:%02X:%02X:%02X", bytes[0], bytes[1],
                  bytes[2], bytes[3], bytes[4], bytes[5]);
    return buffer;
}

void printJson(const nlohmann::ordered_json& document) {
    // Texts from routers and files are bytes, not necessarily UTF-8.
    std::cout << document.dump(2, ' ', true, nlohmann::json::error_handler_t::replace) << "\n";
}

void warn(std::string_view text) {
    std::cerr << "tolvaro-cli: " << text << "\n";
}

// ---- configuration files ----------------------------------------------------

std::string DecodedEntry::key() const {
    return hex(variable) + "/" + std::to_string(mode);
}

std::string DecodedEntry::shown(bool showSecrets) const {
    if (secret && !showSecrets)
        return set ? "(set)" : "(empty)";
    if (isText)
        return nlohmann::json(value).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
    return value.empty() ? std::string("(empty)") : value;
}

std::string DecodedEntry::jsonValue(bool showSecrets) const {
    if (secret && !showSecrets)
        return set ? "set" : "empty";
    return value;
}

namespace {

bool holdsSecret(int variable, int mode) {
    const device::SettingName* named = device::settingName(variable, mode);
    if (!named)
        return false;
    if (named->shown == device::Shown::Secret)
        return true;
    const auto fields = device::recordFields(named->table);
    return std::any_of(fields.begin(), fields.end(),
                       [](const device::RecordField& f) { return f.secret; });
}

DecodedEntry decode(const _snmp_packet& entry, int variable, int mode) {
    DecodedEntry out;
    out.variable = variable;
    out.mode = mode;
    out.type = entry.type;
    out.length = std::min(device::entryLength(entry), kEntryValueSize);
    const auto* bytes = entry.value;
    out.isInteger = entry.type == kTypeInteger || entry.type == kTypeCounter;
    out.secret = holdsSecret(variable, mode);
    out.set = std::any_of(bytes, bytes + out.length, [](std::uint8_t b) { return b != 0; });
    const bool printable = std::all_of(bytes, bytes + out.length,
                                       [](std::uint8_t b) { return b >= 0x20 && b < 0x7f; });
    if (out.isInteger || printable) {
        out.isText = !out.isInteger;
        out.value.assign(reinterpret_cast<const char*>(bytes), out.length);
        if (out.isInteger)
            out.value = escaped(device::entryText(entry));
    } else {
        static const char* digits = "0123456789abcdef";
        for (std::size_t i = 0; i < out.length; ++i) {
            out.value += digits[bytes[i] >> 4];
            out.value += digits[bytes[i] & 15];
        }
    }
    return out;
}

} // namespace

DecodedFile readConfigFile(const std::string& path) {
    std::string error;
    const auto bytes = device::readFileBytes(path, device::largestFileSize() + 1, &error);
    if (!bytes)
        throw Failure{escaped(error)};
    std::int32_t version = 0;
    if (bytes->size() >= device::kFileHeaderSize)
        std::memcpy(&version, bytes->data() + 10, sizeof version);
    const device::CheckedFile checked =
        device::checkConfigFile(*bytes, device::Family::Two, version);
    switch (checked.check) {
    case device::FileCheck::Ok:
        break;
    case device::FileCheck::FormatError:
        throw Failure{escaped(path) + ": not a configuration file (no \"ISDNROUTER\" header)"};
    case device::FileCheck::NotThatLayout:
        throw Failure{escaped(path) +
                      ": the file has the length of a family-1 file but not its entries; it "
                      "may be a family-2 file cut short"};
    case device::FileCheck::VersionMismatch:
    case device::FileCheck::Incomplete:
        throw Failure{escaped(path) + ": the file is shorter than its layout"};
    }
    DecodedFile out;
    out.version = checked.versionNumber;
    out.firmwareLevel = checked.firmwareLevel;
    out.family = static_cast<int>(checked.layout);
    for (const device::FileWrite& w : checked.writes)
        out.entries.push_back(decode(device::fileEntryAt(*bytes, w.offset), w.variable, w.mode));
    return out;
}

} // namespace tolvaro::cli
