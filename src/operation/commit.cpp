#include "operation/commit.h"

#include <algorithm>
#include <cassert>
#include <vector>

#include "device/config_file.h"
#include "device/config_store.h"
#include "device/device_link.h"
#include "ui/host.h"

namespace tolvaro::operation {

void claimReset(device::ConfigStore& store, int page) {
    if (page == kQuickSetupPage)
        store.resetOwner = kQuickSetupPage;
    else if (page != kStatusPage)
        store.resetOwner = std::max(store.resetOwner, page);
}

void sendReset(CommitTarget& target, std::string_view message) {
    ui::Host& host = target.hostServices();
    {
        ui::WaitCursor wait(host);
        device::sendResetRequest(target.deviceLink(), target.routerAddress());
        host.sleepWithProgress(kRestartProgress, kResetWaitMs);
    }
    host.messageBox(message, ui::Buttons::Ok, ui::Icon::Information);
}

Commit::Commit(CommitTarget& target, device::ConfigStore& store, int page)
    : target_(target), store_(store), page_(page) {}

bool Commit::allowed() const {
    return store_.saveConfirmed;
}

bool Commit::writeVariables(std::span<const int> variables, OnFailure onFailure) {
    std::vector<_snmp_packet> entries;
    entries.reserve(variables.size());
    for (const int variable : variables) {
        const auto slot = store_.slotOf(variable);
        assert(slot && "a page writes only catalogue variables from the write image");
        entries.push_back(slot ? store_.write(*slot) : _snmp_packet{});
    }
    return write(0, variables, entries, onFailure);
}

bool Commit::writeMode1(std::span<const int> variables, OnFailure onFailure) {
    std::vector<_snmp_packet> entries;
    entries.reserve(variables.size());
    for (const int variable : variables) {
        const auto index = device::mode1IndexOf(variable);
        assert(index && "only the mode-1 block is written with mode 1");
        entries.push_back(index ? store_.mode1Write(*index) : _snmp_packet{});
    }
    return write(1, variables, entries, onFailure);
}

bool Commit::write(int mode, std::span<const int> variables, std::span<const _snmp_packet> entries,
                   OnFailure onFailure) {
    assert(variables.size() == entries.size());
    const int count = static_cast<int>(std::min(variables.size(), entries.size()));
    WriteGuard* guard = target_.writeGuard();
    if (guard && !guard->beforeWrite(store_))
        return false;
    ui::Host& host = target_.hostServices();
    int ok = 0;
    {
        ui::WaitCursor wait(host);
        ok = target_.deviceLink().setInfo(target_.routerAddress(), mode, count, variables.data(),
                                          entries.data());
    }
    if (guard)
        guard->written(mode, variables.first(static_cast<std::size_t>(count)),
                       entries.first(static_cast<std::size_t>(count)));
    if (ok == 0 && onFailure == OnFailure::Report)
        host.messageBox(kIpsSetInfoFail);
    return ok != 0;
}

bool Commit::finish(std::string_view resetMessage) {
    if (!allowed() || store_.resetOwner != page_)
        return false;
    sendReset(target_, resetMessage);
    if (WriteGuard* guard = target_.writeGuard())
        guard->afterReset();
    return true;
}

} // namespace tolvaro::operation
