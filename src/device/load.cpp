#include "device/load.h"

#include <string>

#include <ipslan/send_rule.h>
#include <ipslan/variables.h>

#include "device/catalogue.h"
#include "device/device_link.h"

namespace tolvaro::device {
namespace {

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

bool keptByRouter(const FileWrite& w) {
    const ipslan::VariableInfo* info = ipslan::findVariable(w.variable, w.mode);
    return info != nullptr && !info->writable;
}

std::vector<FailedWrite> unsendable(std::span<const std::uint8_t> file,
                                    const CheckedFile& checked) {
    std::vector<FailedWrite> out;
    for (const FileWrite& w : checked.writes)
        if (ipslan::checkSend(w.variable, w.mode, fileEntryAt(file, w.offset)) !=
            ipslan::SendCheck::Sendable)
            out.push_back({w, WriteOutcome::NotSent, keptByRouter(w)});
    return out;
}

LoadWrites writeLoad(DeviceLink& link, const char* ip, std::span<const std::uint8_t> file,
                     const CheckedFile& checked, OnSilence onSilence,
                     const std::function<bool()>& stopRequested, SentLog* sent) {
    LoadWrites result;
    for (const FileWrite& w : checked.writes) {
        if (stopRequested && stopRequested()) {
            result.interrupted = true;
            break;
        }
        ++result.attempted;
        const _snmp_packet entry = fileEntryAt(file, w.offset);
        const bool readOnly = keptByRouter(w);
        if (sent)
            sent->add(w.mode, w.variable, entry);
        if (link.setInfo(ip, w.mode, 1, &w.variable, &entry) == 1)
            continue;
        if (ipslan::checkSend(w.variable, w.mode, entry) != ipslan::SendCheck::Sendable) {
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
