#include "device/commit.h"

#include <algorithm>
#include <cassert>
#include <vector>

#include "device/app_context.h"
#include "device/config_file.h"
#include "device/config_store.h"
#include "device/device_link.h"
#include "ui/host.h"

namespace tolvaro::device {

void claimReset(ConfigStore& store, int page) {
    if (page == kQuickSetupPage)
        store.resetOwner = kQuickSetupPage;
    else if (page != kStatusPage)
        store.resetOwner = std::max(store.resetOwner, page);
}

void sendReset(AppContext& context, std::string_view message) {
    {
        ui::WaitCursor wait(context.host);
        sendResetRequest(context.device, context.state.selected().ipAddress);
        context.host.sleep(kResetWaitMs);
    }
    context.host.messageBox(message, ui::Buttons::Ok, ui::Icon::Information);
}

Commit::Commit(AppContext& context, ConfigStore& store, int page)
    : context_(context), store_(store), page_(page) {}

bool Commit::allowed() const {
    return store_.saveConfirmed == 1;
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
        const auto index = mode1IndexOf(variable);
        assert(index && "only the mode-1 block is written with mode 1");
        entries.push_back(index ? store_.mode1Write(*index) : _snmp_packet{});
    }
    return write(1, variables, entries, onFailure);
}

bool Commit::write(int mode, std::span<const int> variables, std::span<const _snmp_packet> entries,
                   OnFailure onFailure) {
    assert(variables.size() == entries.size());
    const int count = static_cast<int>(std::min(variables.size(), entries.size()));
    int ok = 0;
    {
        ui::WaitCursor wait(context_.host);
        ok = context_.device.setInfo(context_.state.selected().ipAddress, mode, count,
                                     variables.data(), entries.data());
    }
    if (ok == 0 && onFailure == OnFailure::Report)
        context_.host.messageBox(kIpsSetInfoFail);
    return ok != 0;
}

bool Commit::finish(std::string_view resetMessage) {
    if (!allowed() || store_.resetOwner != page_)
        return false;
    sendReset(context_, resetMessage);
    return true;
}

} // namespace tolvaro::device
