#include "pages/line/lan_to_lan_page.h"

#include <array>
#include <vector>

#include <ipslan/variables.h>

#include "device/catalogue.h"
#include "device/config_store.h"
#include "operation/commit.h"
#include "pages/authentication.h"
#include "pages/entry_number.h"
#include "pages/idle_timeout.h"
#include "pages/line/feature_flags.h"
#include "pages/octet_edits.h"
#include "pages/signed_number.h"
#include "pages/store_access.h"
#include "res/ids/lan_to_lan_ids.h"
#include "ui/host.h"
#include "ui/text_rules.h"

namespace tolvaro::pages {

namespace {

namespace ids = res::lan_to_lan;

constexpr int kAuthenticationVariable = ipslan::var::kAuthentication;
constexpr int kLanToLanSwitch = ipslan::var::kLanToLanSwitch;
constexpr int kLoginName = ipslan::var::kLanToLanLogin;
constexpr int kPassword = ipslan::var::kLanToLanPassword;
constexpr int kRemoteLoginName = ipslan::var::kRemoteLoginName;
constexpr int kRemotePassword = ipslan::var::kRemoteLoginPassword;
constexpr int kPhoneNumber = ipslan::var::kRemotePhone;
constexpr int kRemoteNetwork = ipslan::var::kRemoteNetwork;
constexpr int kRemoteMask = ipslan::var::kRemoteMask;

// Texts are cut to these lengths when the page compares or sends them.
constexpr std::size_t kVerifyLength = 7;
constexpr std::size_t kLoginNameLength = 15;
constexpr std::size_t kPasswordLength = 7;
constexpr std::size_t kRemoteTextLength = 61;
constexpr std::size_t kPhoneNumberLength = 31;
constexpr std::size_t kTimeoutLength = 4;

constexpr std::array<int, 21> kLanToLanControls{
    ids::kTimeout,         ids::kReceiverEnable,  ids::kLoginName,      ids::kPassword,
    ids::kVerifyPassword,  ids::kAuthDisable,     ids::kAuthEnable,     ids::kAuthChap,
    ids::kInitiatorEnable, ids::kRemoteLoginName, ids::kRemotePassword, ids::kRemoteVerifyPassword,
    ids::kPhoneNumber,     ids::kRemoteIp[0],     ids::kRemoteIp[1],    ids::kRemoteIp[2],
    ids::kRemoteIp[3],     ids::kRemoteMask[0],   ids::kRemoteMask[1],  ids::kRemoteMask[2],
    ids::kRemoteMask[3]};
constexpr std::array<int, 6> kReceiverGroup{ids::kLoginName,      ids::kPassword,
                                            ids::kVerifyPassword, ids::kAuthDisable,
                                            ids::kAuthEnable,     ids::kAuthChap};
constexpr std::array<int, 5> kInitiatorGroup{ids::kTimeout, ids::kRemoteLoginName,
                                             ids::kRemotePassword, ids::kRemoteVerifyPassword,
                                             ids::kPhoneNumber};
constexpr std::array<int, 3> kReceiverLogin{ids::kLoginName, ids::kPassword, ids::kVerifyPassword};

namespace text {
inline constexpr const char* kResetFinished = "Device reset finished";
inline constexpr const char* kReceiverPassword =
    "Password verified wrong. \nPlease check it in \"Act as a receiver\" group";
inline constexpr const char* kInitiatorPassword =
    "Password verified wrong. \nPlease check it in \"Initiate Connection to Remote Site\" group";
inline constexpr const char* kNoPhoneNumber = "You should fill in phone number to dial";
inline constexpr const char* kAddressEmpty = "Each IP address field should not be empty";
inline constexpr const char* kMaskEmpty = "Each network mask field should not be empty";
inline constexpr const char* kOctetRange =
    "IP Address error.\nFor an IP Address, each field must have a value between 0 and 255.";
// String-table message 7.
inline constexpr const char* kInternetConflict =
    "LAN-toLAN cannot be used with Internet Access\nClick \"OK\" to disable Internet Access, or "
    "\"Cancel\" to leave the current settings unchanged.";
} // namespace text

_snmp_packet& mode1Entry(device::ConfigStore& store, int variable) {
    return store.mode1Write(device::mode1IndexOf(variable).value());
}

std::string readText(const device::ConfigStore& store, int variable) {
    return device::entryText(sheetEntry(store, variable));
}

// "%d" with the length word set, as the apply sends these entries.
void putNumber(_snmp_packet& entry, int value) {
    device::setEntryText(entry, std::to_string(value));
}

// LAN-to-LAN on or off in the three places the router keeps it. The mode-1
// feature byte gets the bits but never loses them: its bit 0x02 is the
// Dial-in page's switch.
void setLanToLan(device::ConfigStore& store, bool on) {
    const int value = featureByte(store);
    putNumber(writeEntry(store, kFeatureVariable),
              on ? value | kLanToLanBits : value & kLanToLanOffMask);
    device::setEntryText(writeEntry(store, kLanToLanSwitch), on ? "1" : "0");
    _snmp_packet& mode1Feature = mode1Entry(store, kFeatureVariable);
    const int mode1Value = entryNumber(mode1Feature);
    putNumber(mode1Feature, on ? mode1Value | kLanToLanBits : mode1Value);
}

void setDialOutText(device::ConfigStore& store, bool dialOut) {
    device::setEntryText(writeEntry(store, kDialOutVariable), dialOut ? "1" : "0");
}

std::string cut(std::string text, std::size_t length) {
    if (text.size() > length)
        text.resize(length);
    return text;
}

// One field of a four-field address, as the page takes it: a number of at
// most 255. Anything else is refused rather than sent as 0.
bool isOctet(const std::string& field) {
    bool translated = false;
    const unsigned value = ui::parseDialogNumber(field, &translated);
    return translated && value <= 255;
}

} // namespace

MLan2Lan::MLan2Lan(AppContext& context, device::ConfigStore& store)
    : SettingsPage(res::lan_to_lan::kTemplate, operation::kLanToLanPage, context, store) {}

void MLan2Lan::onInitDialog() {
    showTimeout();
    limitText(ids::kTimeout, idleTimeoutFieldLimit(store()));
    if (idleTimeoutInSeconds(store()))
        setText(ids::kTimeoutUnit, kIdleSecondsUnit);

    const bool on = lanToLanOn(store());
    setChecked(ids::kEnableLanToLan, on);
    context().state.lanToLanOn = on ? 1 : 0;
    showRole(entryNumber(writeEntry(store(), kDialOutVariable)) != 0);

    setText(ids::kLoginName, readText(store(), kLoginName));
    setText(ids::kPassword, readText(store(), kPassword));
    setText(ids::kVerifyPassword, readText(store(), kPassword));
    limitText(ids::kLoginName, ids::kLoginNameLimit);
    limitText(ids::kPassword, ids::kPasswordLimit);
    limitText(ids::kVerifyPassword, ids::kPasswordLimit);
    showAuthentication();

    setText(ids::kRemoteLoginName, readText(store(), kRemoteLoginName));
    setText(ids::kRemotePassword, readText(store(), kRemotePassword));
    setText(ids::kRemoteVerifyPassword, readText(store(), kRemotePassword));
    setText(ids::kPhoneNumber, readText(store(), kPhoneNumber));

    for (const auto& fields : {ids::kRemoteIp, ids::kRemoteMask}) {
        for (int id : fields)
            limitText(id, ids::kOctetLimit);
    }
    // An empty stored address shows as 0.0.0.0, which is what the apply
    // writes for it.
    setOctetEdits(*this, ids::kRemoteIp,
                  device::parseDottedAddress(readText(store(), kRemoteNetwork)));
    setOctetEdits(*this, ids::kRemoteMask,
                  device::parseDottedAddress(readText(store(), kRemoteMask)));

    limitText(ids::kRemoteLoginName, ids::kRemoteLoginLimit);
    limitText(ids::kRemotePassword, ids::kRemoteLoginLimit);
    limitText(ids::kRemoteVerifyPassword, ids::kRemoteLoginLimit);
    limitText(ids::kPhoneNumber, ids::kPhoneNumberLimit);

    applyReceiverFieldRule();
    claimReset();
}

void MLan2Lan::onSetActive() {
    // Another page may have changed the shared values since the last visit.
    showAuthentication();
    showRole(dialsOut(store()));
    setChecked(ids::kEnableLanToLan, lanToLanOn(store()));
    showTimeout();

    const bool on = isChecked(ids::kEnableLanToLan);
    enableLanToLanControls(on);
    if (on)
        reapplyRole();
    const int value = featureByte(store());
    putNumber(writeEntry(store(), kFeatureVariable),
              on ? value | kLanToLanBits : value & kLanToLanOffMask);
}

bool MLan2Lan::onKillActive() {
    if (isChecked(ids::kEnableLanToLan)) {
        if (const auto problem = firstProblem()) {
            context().host.messageBox(*problem);
            return false;
        }
    }
    // The clamp normally ran when the field lost the focus; a page left
    // without that (the keyboard) must not carry an out-of-range value on.
    // The router's own value, shown and untouched, is kept as it is: a tab
    // switch must not change the time-out the Quick Setup page shares.
    if (text(ids::kTimeout) != shownTimeout_)
        clampTimeout();
    keepChoices();
    return true;
}

void MLan2Lan::onCommand(int id, ui::Notify notification) {
    if (notification == ui::Notify::Clicked) {
        switch (id) {
        case ids::kEnableLanToLan:
            onLanToLanClicked();
            break;
        case ids::kReceiverEnable:
            onReceiverClicked();
            break;
        case ids::kInitiatorEnable:
            onInitiatorClicked();
            break;
        case ids::kAuthDisable:
        case ids::kAuthEnable:
        case ids::kAuthChap:
            onAuthenticationClicked(id);
            break;
        default:
            break;
        }
    } else if (notification == ui::Notify::FocusLost && id == ids::kTimeout) {
        clampTimeout();
    } else if (notification == ui::Notify::TextChanged) {
        switch (id) {
        case ids::kLoginName:
        case ids::kPassword:
        case ids::kRemoteLoginName:
        case ids::kRemotePassword:
        case ids::kPhoneNumber:
            setModified();
            break;
        default:
            break;
        }
    }
}

void MLan2Lan::onReceiverClicked() {
    const bool receiver = isChecked(ids::kReceiverEnable);
    enableGroup(kReceiverGroup, receiver);
    setChecked(ids::kInitiatorEnable, !receiver);
    enableGroup(kInitiatorGroup, !receiver);
    setDialOutText(store(), !receiver);
    if (receiver)
        applyReceiverFieldRule();
    setModified();
}

void MLan2Lan::onInitiatorClicked() {
    const bool initiator = isChecked(ids::kInitiatorEnable);
    enableGroup(kInitiatorGroup, initiator);
    setChecked(ids::kReceiverEnable, !initiator);
    enableGroup(kReceiverGroup, !initiator);
    setDialOutText(store(), initiator);
    if (!initiator)
        applyReceiverFieldRule();
    setModified();
}

void MLan2Lan::onAuthenticationClicked(int id) {
    const Authentication mode = id == ids::kAuthChap     ? Authentication::Chap
                                : id == ids::kAuthEnable ? Authentication::Enable
                                                         : Authentication::Disable;
    _snmp_packet& entry = mode1Entry(store(), kAuthenticationVariable);
    putNumber(entry, withAuthentication(entryNumber(entry), mode));
    for (int radio : {ids::kAuthDisable, ids::kAuthEnable, ids::kAuthChap}) {
        if (radio != id)
            setChecked(radio, false);
    }
    applyReceiverFieldRule();
}

void MLan2Lan::onLanToLanClicked() {
    const bool on = isChecked(ids::kEnableLanToLan);
    enableLanToLanControls(on);
    if (on)
        reapplyRole();
    // Re-applying the role has just set the dial-out flag: 1 means the
    // initiator role, which would also give Internet access.
    _snmp_packet& feature = writeEntry(store(), kFeatureVariable);
    const int value = entryNumber(feature);
    bool keepOn = on;
    if (on && entryNumber(writeEntry(store(), kDialOutVariable)) == 1) {
        keepOn = context().host.messageBox(text::kInternetConflict, ui::Buttons::OkCancel) ==
                 ui::Answer::Ok;
        if (keepOn)
            setDialOutText(store(), false);
        else
            setChecked(ids::kEnableLanToLan, false);
    }
    putNumber(feature, keepOn ? value | kLanToLanBits : value & kLanToLanOffMask);
    enableLanToLanControls(keepOn);
    setModified();
}

void MLan2Lan::showTimeout() {
    shownTimeout_ = std::to_string(storedIdleTimeout(store()));
    setText(ids::kTimeout, shownTimeout_);
}

void MLan2Lan::clampTimeout() {
    const int bound = idleTimeoutBound(store());
    const auto value = parseSignedNumber(text(ids::kTimeout));
    // A text that is not a number would make the router refuse the write
    // without a word, so it is treated like a value out of range.
    if (value && *value >= 0 && *value <= bound)
        return;
    context().host.messageBox(idleTimeoutClampMessage(bound));
    setText(ids::kTimeout, std::to_string(bound));
}

void MLan2Lan::enableGroup(std::span<const int> ids, bool enabled) {
    for (int id : ids)
        enable(id, enabled);
}

void MLan2Lan::enableLanToLanControls(bool enabled) {
    enableGroup(kLanToLanControls, enabled);
}

void MLan2Lan::reapplyRole() {
    // As if both role boxes had been clicked without changing them: the group
    // of the current role ends enabled and the dial-out flag follows it.
    onReceiverClicked();
    onInitiatorClicked();
    applyReceiverFieldRule();
}

void MLan2Lan::applyReceiverFieldRule() {
    if (isEnabled(ids::kReceiverEnable) && isChecked(ids::kReceiverEnable))
        enableGroup(kReceiverLogin, !isChecked(ids::kAuthDisable));
}

void MLan2Lan::showRole(bool initiator) {
    setChecked(ids::kInitiatorEnable, initiator);
    setChecked(ids::kReceiverEnable, !initiator);
}

void MLan2Lan::showAuthentication() {
    const Authentication mode =
        authenticationOf(entryNumber(mode1Entry(store(), kAuthenticationVariable)));
    setChecked(ids::kAuthDisable, mode == Authentication::Disable);
    setChecked(ids::kAuthEnable, mode == Authentication::Enable);
    setChecked(ids::kAuthChap, mode == Authentication::Chap);
}

std::optional<std::string> MLan2Lan::firstProblem() const {
    if (isChecked(ids::kReceiverEnable)) {
        if (cut(text(ids::kPassword), kVerifyLength) !=
            cut(text(ids::kVerifyPassword), kVerifyLength))
            return text::kReceiverPassword;
    } else {
        // Compared whole: the fields take 61 characters, and a difference in
        // the last one is still a wrong verification.
        if (text(ids::kRemotePassword) != text(ids::kRemoteVerifyPassword))
            return text::kInitiatorPassword;
        if (text(ids::kPhoneNumber).empty())
            return text::kNoPhoneNumber;
    }
    const OctetEdits address = readOctetEdits(*this, ids::kRemoteIp);
    const OctetEdits mask = readOctetEdits(*this, ids::kRemoteMask);
    if (address.anyEmpty())
        return text::kAddressEmpty;
    if (mask.anyEmpty())
        return text::kMaskEmpty;
    for (const OctetEdits* edits : {&address, &mask}) {
        for (const std::string& field : edits->texts) {
            if (!isOctet(field))
                return text::kOctetRange;
        }
    }
    return std::nullopt;
}

void MLan2Lan::keepChoices() {
    const bool on = isChecked(ids::kEnableLanToLan);
    const bool receiver = isChecked(ids::kReceiverEnable);
    setLanToLan(store(), on);
    setDialOutText(store(), !receiver);
    context().state.lanToLanOn = on ? 1 : 0;
    context().state.receiveOnly = receiver ? 1 : 0;
    storeIdleTimeout(store(), signedNumberOr0(text(ids::kTimeout)));
}

void MLan2Lan::onApply() {
    operation::Commit commit(context(), store(), pageNumber());
    if (!commit.allowed())
        return;

    // The shared value rather than this page's field: Quick Setup may have
    // been left with a new time-out after this page, and its change must not
    // be overwritten by the older text here.
    const int timeoutVariable = store().idleTimeoutVariable();
    device::setEntryText(writeEntry(store(), timeoutVariable),
                         cut(std::to_string(storedIdleTimeout(store())), kTimeoutLength));
    commit.writeVariables(std::array{timeoutVariable}, operation::OnFailure::Ignore);

    // The flags, not the check box: the later of this page and Quick Setup
    // to be left decides.
    setLanToLan(store(), context().state.lanToLanOn != 0);
    setDialOutText(store(), context().state.receiveOnly != 1);

    auto putText = [this](int variable, int id, std::size_t length) {
        device::setEntryText(writeEntry(store(), variable), cut(text(id), length));
    };
    putText(kLoginName, ids::kLoginName, kLoginNameLength);
    putText(kPassword, ids::kPassword, kPasswordLength);

    // The stored choice rather than the radios: every radio click here and on
    // the Dial-in page rewrites it at once, so it is the latest of the two,
    // where this page's radios may be older than a change made there.
    _snmp_packet& authentication = mode1Entry(store(), kAuthenticationVariable);
    const int value = entryNumber(authentication);
    putNumber(authentication, withAuthentication(value, authenticationOf(value)));

    putText(kRemoteLoginName, ids::kRemoteLoginName, kRemoteTextLength);
    putText(kRemotePassword, ids::kRemotePassword, kRemoteTextLength);
    putText(kPhoneNumber, ids::kPhoneNumber, kPhoneNumberLength);
    device::setEntryText(writeEntry(store(), kRemoteNetwork),
                         device::formatDotted(readOctetEdits(*this, ids::kRemoteIp).octets()));
    device::setEntryText(writeEntry(store(), kRemoteMask),
                         device::formatDotted(readOctetEdits(*this, ids::kRemoteMask).octets()));

    commit.writeVariables(
        std::array{kRemoteLoginName, kRemotePassword, kPhoneNumber, kRemoteNetwork, kRemoteMask});

    // Mode 0 takes the authentication byte from its mode-1 copy, which holds
    // the choice just made.
    auto entry = [this](int variable) {
        return writeEntry(store(), variable);
    };
    const std::array switches{kFeatureVariable, kAuthenticationVariable,
                              kLanToLanSwitch,  kLoginName,
                              kPassword,        kDialOutVariable};
    const std::vector<_snmp_packet> switchEntries{entry(kFeatureVariable), authentication,
                                                  entry(kLanToLanSwitch),  entry(kLoginName),
                                                  entry(kPassword),        entry(kDialOutVariable)};
    commit.write(0, switches, switchEntries, operation::OnFailure::Ignore);

    const std::array profile{kFeatureVariable, kAuthenticationVariable, kLoginName,
                             kPassword,        kRemoteLoginName,        kRemotePassword,
                             kPhoneNumber,     kRemoteNetwork,          kRemoteMask};
    const std::vector<_snmp_packet> profileEntries{mode1Entry(store(), kFeatureVariable),
                                                   authentication,
                                                   entry(kLoginName),
                                                   entry(kPassword),
                                                   entry(kRemoteLoginName),
                                                   entry(kRemotePassword),
                                                   entry(kPhoneNumber),
                                                   entry(kRemoteNetwork),
                                                   entry(kRemoteMask)};
    commit.write(1, profile, profileEntries, operation::OnFailure::Ignore);

    commit.finish(text::kResetFinished);
}

} // namespace tolvaro::pages
