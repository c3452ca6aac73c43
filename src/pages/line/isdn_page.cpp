#include "pages/line/isdn_page.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include <ipslan/variables.h>

#include "device/config_store.h"
#include "operation/commit.h"
#include "pages/store_access.h"
#include "res/ids/isdn_ids.h"
#include "res/list_contents.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace {

namespace ids = res::isdn;

constexpr int kUsage = ipslan::var::kUsage;
constexpr int kOutgoingMsn = ipslan::var::kOutgoingMsn;
constexpr int kOutgoingSad = ipslan::var::kOutgoingSad;
constexpr int kIncomingMsn = ipslan::var::kIncomingMsn;
constexpr int kIncomingSad = ipslan::var::kIncomingSad;
constexpr int kLineSpeed = ipslan::var::kLineSpeed;
constexpr int kInitialString = ipslan::var::kInitialString;

constexpr std::uint8_t kIntegerType = 2;
constexpr std::uint8_t kOctetStringType = 4;
// What the apply reads of the call-id fields and of the initial string.
constexpr std::size_t kCallIdChars = 19;
constexpr std::size_t kInitialStringChars = 60;

// Radio i stands for the usage text "i".
constexpr std::array<int, 3> kUsageRadios{ids::kUsageOneChannel, ids::kUsageDynamic,
                                          ids::kUsageTwoChannels};

namespace text {
inline constexpr const char* kResetFinished = "Device reset finished.";
inline constexpr const char* kNoUsage = "MLPPP selected fail";
} // namespace text

// The call ids, in the order of their slots.
struct CallId {
    int variable;
    int control;
};
constexpr std::array<CallId, 4> kCallIds{{{kOutgoingMsn, ids::kOutgoingMsn},
                                          {kOutgoingSad, ids::kOutgoingSad},
                                          {kIncomingMsn, ids::kIncomingMsn},
                                          {kIncomingSad, ids::kIncomingSad}}};

std::string upTo(std::string text, std::size_t characters) {
    if (text.size() > characters)
        text.resize(characters);
    return text;
}

} // namespace

CMISDN::CMISDN(AppContext& context, device::ConfigStore& store)
    : SettingsPage(ids::kTemplate, operation::kIsdnPage, context, store) {}

void CMISDN::onInitDialog() {
    const device::ConfigStore& s = store();
    showUsage();
    for (const CallId& callId : kCallIds)
        setText(callId.control, device::entryText(sheetEntry(s, callId.variable)));
    setText(ids::kInitialString, device::entryText(sheetEntry(s, kInitialString)));

    ui::ComboRef speeds = combo(ids::kLineSpeed);
    speeds.reset();
    for (const std::string_view speed : res::lists::kLineSpeeds)
        speeds.add(speed);
    speeds.select(device::entryInteger(sheetEntry(s, kLineSpeed)));

    limitText(ids::kOutgoingMsn, ids::kMsnLimit);
    limitText(ids::kIncomingMsn, ids::kMsnLimit);
    limitText(ids::kOutgoingSad, ids::kSadLimit);
    limitText(ids::kIncomingSad, ids::kSadLimit);
    limitText(ids::kInitialString, ids::kInitialStringLimit);
    claimReset();
}

void CMISDN::onSetActive() {
    showUsage();
}

void CMISDN::showUsage() {
    const std::string usage = device::entryText(writeEntry(store(), kUsage));
    const char first = usage.empty() ? '\0' : usage.front();
    const int checked = first == '0'   ? ids::kUsageOneChannel
                        : first == '1' ? ids::kUsageDynamic
                                       : ids::kUsageTwoChannels;
    for (const int radio : kUsageRadios)
        setChecked(radio, radio == checked);
}

void CMISDN::onCommand(int id, ui::Notify notification) {
    if (notification == ui::Notify::Clicked) {
        for (const int radio : kUsageRadios)
            if (radio == id)
                usageClicked(id);
        return;
    }
    const bool edited =
        notification == ui::Notify::TextChanged &&
        (id == ids::kIncomingMsn || id == ids::kIncomingSad || id == ids::kOutgoingMsn ||
         id == ids::kOutgoingSad || id == ids::kInitialString);
    if (edited || (notification == ui::Notify::SelectionChanged && id == ids::kLineSpeed))
        setModified();
}

void CMISDN::usageClicked(int id) {
    for (std::size_t i = 0; i < kUsageRadios.size(); ++i) {
        if (kUsageRadios[i] == id)
            setNumberText(writeEntry(store(), kUsage), static_cast<int>(i));
        else
            setChecked(kUsageRadios[i], false);
    }
    setModified();
}

void CMISDN::onApply() {
    operation::Commit commit(context(), store(), pageNumber());
    if (!commit.allowed())
        return;
    fillWriteImage();
    const int variables[] = {kUsage,       kOutgoingMsn, kOutgoingSad,  kIncomingMsn,
                             kIncomingSad, kLineSpeed,   kInitialString};
    commit.writeVariables(variables);
    commit.finish(text::kResetFinished);
}

void CMISDN::fillWriteImage() {
    device::ConfigStore& s = store();

    _snmp_packet& usage = writeEntry(s, kUsage);
    usage.type = kIntegerType;
    device::setEntryLength(usage, 1);
    int checked = -1;
    for (std::size_t i = 0; i < kUsageRadios.size(); ++i)
        if (isChecked(kUsageRadios[i]))
            checked = static_cast<int>(i);
    if (checked < 0)
        host().messageBox(text::kNoUsage);
    else
        setNumberText(usage, checked);

    for (const CallId& callId : kCallIds) {
        _snmp_packet& entry = writeEntry(s, callId.variable);
        entry.type = kOctetStringType;
        device::setEntryText(entry, upTo(text(callId.control), kCallIdChars));
    }
    device::setEntryText(writeEntry(s, kInitialString),
                         upTo(text(ids::kInitialString), kInitialStringChars));

    _snmp_packet& speed = writeEntry(s, kLineSpeed);
    speed.type = kIntegerType;
    // A stored speed the list cannot show goes back to the router as it was
    // rather than as an index of -1.
    const int selected = combo(ids::kLineSpeed).selection();
    setNumberText(speed,
                  selected >= 0 ? selected : device::entryInteger(sheetEntry(s, kLineSpeed)));
    device::setEntryLength(speed, 1);
}

} // namespace tolvaro::pages
