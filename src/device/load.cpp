#include "device/load.h"

#include <string>

#include <ipslan/variables.h>

#include "device/catalogue.h"
#include "device/device_link.h"

namespace tolvaro::device {
namespace {

bool isNumber(const std::string& text) {
    const std::size_t start = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    return text.size() > start && text.find_first_not_of("0123456789", start) == std::string::npos;
}

// What the library refuses before sending anything (see IPSSetInfo).
bool libraryRefuses(const FileWrite& w, const _snmp_packet& entry) {
    const auto kind = ipslan::variableKind(w.variable, w.mode);
    const bool integer = kind ? *kind == ipslan::VarKind::Integer
                              : entry.type == kTypeInteger || entry.type == kTypeCounter;
    if (integer)
        return !isNumber(entryText(entry));
    return entryLength(entry) > kEntryValueSize;
}

bool routerAnswers(DeviceLink& link, const char* ip) {
    MIB_RESPONSE probe{};
    const int variable = ipslan::var::kFirmwareVersion;
    return link.getInfo(ip, 0, 1, &variable, &probe) == 1;
}

} // namespace

std::string_view loadCheckMessage(LoadCheck check) {
    switch (check) {
    case LoadCheck::Ok:
        return {};
    case LoadCheck::FormatError:
        return "Configuration file format error";
    case LoadCheck::NoVersion:
        return "The router did not report a readable firmware version.\nNothing was done.";
    case LoadCheck::VersionMismatch:
        return "Version number mismatch";
    case LoadCheck::Incomplete:
        return "The configuration file is shorter than its layout.\nNothing was written to the "
               "router.";
    case LoadCheck::NotThatLayout:
        return "The configuration file has the length of the other router family's files, but "
               "not\ntheir contents: it may be cut short. Nothing was written to the router.";
    }
    return "Configuration file format error";
}

LoadPlan checkLoad(std::span<const std::uint8_t> file, const ConfigStore& store) {
    const auto version = fileVersionNumber(store);
    LoadPlan plan;
    plan.file = checkConfigFile(file, store.family(), version.value_or(-1));
    switch (plan.file.check) {
    case FileCheck::FormatError:
        plan.check = LoadCheck::FormatError;
        return plan;
    case FileCheck::Ok:
        plan.check = LoadCheck::Ok;
        break;
    case FileCheck::VersionMismatch:
        plan.check = LoadCheck::VersionMismatch;
        break;
    case FileCheck::Incomplete:
        plan.check = LoadCheck::Incomplete;
        break;
    case FileCheck::NotThatLayout:
        plan.check = LoadCheck::NotThatLayout;
        break;
    }
    // An unreadable router version is never compared with the file's.
    if (!version)
        plan.check = LoadCheck::NoVersion;
    if (plan.check != LoadCheck::Ok)
        plan.file.writes.clear();
    return plan;
}

LoadWrites writeLoad(DeviceLink& link, const char* ip, std::span<const std::uint8_t> file,
                     const CheckedFile& checked, OnSilence onSilence) {
    LoadWrites result;
    for (const FileWrite& w : checked.writes) {
        ++result.attempted;
        const _snmp_packet entry = fileEntryAt(file, w.offset);
        const ipslan::VariableInfo* info = ipslan::findVariable(w.variable, w.mode);
        const bool readOnly = info != nullptr && !info->writable;
        if (link.setInfo(ip, w.mode, 1, &w.variable, &entry) == 1)
            continue;
        if (libraryRefuses(w, entry)) {
            result.failed.push_back({w, WriteOutcome::NotSent, readOnly});
            continue;
        }
        if (onSilence == OnSilence::Stop && !routerAnswers(link, ip)) {
            result.failed.push_back({w, WriteOutcome::NoAnswer, readOnly});
            result.stopped = true;
            break;
        }
        result.failed.push_back({w, WriteOutcome::Refused, readOnly});
    }
    return result;
}

} // namespace tolvaro::device
