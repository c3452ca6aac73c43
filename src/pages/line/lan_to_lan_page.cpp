#include "pages/line/lan_to_lan_page.h"

#include <array>
#include <vector>

#include "device/catalogue.h"
#include "device/commit.h"
#include "device/config_store.h"
#include "device/dotted_text.h"
#include "pages/idle_timeout.h"
#include "pages/signed_number.h"
#include "res/ids/lan_to_lan_ids.h"
#include "ui/host.h"
#include "ui/text_rules.h"

namespace tolvaro::pages {

namespace {

namespace ids = res::lan_to_lan;

constexpr int kFeatureByte = 0x4017;
constexpr int kDialOutFlag = 0x400d;
constexpr int kAuthentication = 0x4023;
constexpr int kLanToLanSwitch = 0x371a;
constexpr int kLoginName = 0x401a;
constexpr int kPassword = 0x401b;
constexpr int kRemoteLoginName = 0x401c;
constexpr int kRemotePassword = 0x401d;
constexpr int kPhoneNumber = 0x401e;
constexpr int kRemoteNetwork = 0x401f;
constexpr int kRemoteMask = 0x4020;

// Feature byte: 0x80 means LAN-to-LAN on; 0x02 is set and cleared with it.
constexpr int kLanToLanOn = 0x80;
constexpr int kLanToLanBits = 0x82;
constexpr int kLanToLanCleared = 0x7d;

// Authentication field of the mode-1 0x4023 (bits 0x70) and what each radio
// keeps of the rest.
constexpr int kAuthField = 0x70;
constexpr int kAuthEnabled = 0x10;
constexpr int kAuthChap = 0x20;
constexpr int kKeepForDisable = 0x8f;
constexpr int kKeepForEnable = 0x9f;
constexpr int kKeepForChap = 0xaf;

constexpr int kOctetMax = 255;

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

_snmp_packet& writeSlot(device::ConfigStore& store, int variable) {
    return store.write(store.slotOf(variable).value());
}

_snmp_packet& mode1Slot(device::ConfigStore& store, int variable) {
    return store.mode1Write(device::mode1IndexOf(variable).value());
}

std::string readText(const device::ConfigStore& store, int variable) {
    return device::entryText(store.read(store.slotOf(variable).value()));
}

// The shared small integers live in the write images as decimal text.
int numberIn(const _snmp_packet& entry) {
    return signedNumberOr0(device::entryText(entry));
}

void putNumber(_snmp_packet& entry, int value) {
    device::setEntryText(entry, std::to_string(value));
}

// LAN-to-LAN on or off in the three places the router keeps it. The mode-1
// feature byte gets the bits but never loses them: its bit 0x02 is the
// Dial-in page's switch.
void setLanToLan(device::ConfigStore& store, bool on) {
    _snmp_packet& feature = writeSlot(store, kFeatureByte);
    _snmp_packet& mode1Feature = mode1Slot(store, kFeatureByte);
    const int value = numberIn(feature);
    putNumber(feature, on ? value | kLanToLanBits : value & kLanToLanCleared);
    device::setEntryText(writeSlot(store, kLanToLanSwitch), on ? "1" : "0");
    putNumber(mode1Feature, on ? numberIn(mode1Feature) | kLanToLanBits : numberIn(mode1Feature));
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
    return translated && value <= kOctetMax;
}

} // namespace

MLan2Lan::MLan2Lan(AppContext& context, device::ConfigStore& store)
    : SettingsPage(res::lan_to_lan::kTemplate, device::kLanToLanPage, context, store) {}

void MLan2Lan::onInitDialog() {
    setText(ids::kTimeout, std::to_string(storedIdleTimeout(store())));
    limitText(ids::kTimeout, idleTimeoutFieldLimit(store()));
    if (idleTimeoutInSeconds(store()))
        setText(ids::kTimeoutUnit, kIdleSecondsUnit);

    const bool on = (numberIn(writeSlot(store(), kFeatureByte)) & kLanToLanOn) != 0;
    setChecked(ids::kEnableLanToLan, on);
    context().state.lanToLanOn = on ? 1 : 0;
    showRole(numberIn(writeSlot(store(), kDialOutFlag)) != 0);

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

    for (int id : ids::kRemoteIp)
        limitText(id, ids::kOctetLimit);
    for (int id : ids::kRemoteMask)
        limitText(id, ids::kOctetLimit);
    showAddress(ids::kRemoteIp, readText(store(), kRemoteNetwork));
    showAddress(ids::kRemoteMask, readText(store(), kRemoteMask));

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
    showRole(device::entryText(writeSlot(store(), kDialOutFlag)) == "1");
    _snmp_packet& feature = writeSlot(store(), kFeatureByte);
    setChecked(ids::kEnableLanToLan, (numberIn(feature) & kLanToLanOn) != 0);
    setText(ids::kTimeout, std::to_string(storedIdleTimeout(store())));

    const bool on = isChecked(ids::kEnableLanToLan);
    if (on) {
        enableLanToLanControls(true);
        reapplyRole();
    } else {
        enableLanToLanControls(false);
    }
    putNumber(feature,
              on ? numberIn(feature) | kLanToLanBits : numberIn(feature) & kLanToLanCleared);
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
        return;
    }
    if (notification == ui::Notify::FocusLost && id == ids::kTimeout) {
        clampTimeout();
        return;
    }
    if (notification == ui::Notify::TextChanged) {
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
    device::setEntryText(writeSlot(store(), kDialOutFlag), receiver ? "0" : "1");
    if (receiver)
        applyReceiverFieldRule();
    setModified();
}

void MLan2Lan::onInitiatorClicked() {
    const bool initiator = isChecked(ids::kInitiatorEnable);
    enableGroup(kInitiatorGroup, initiator);
    setChecked(ids::kReceiverEnable, !initiator);
    enableGroup(kReceiverGroup, !initiator);
    device::setEntryText(writeSlot(store(), kDialOutFlag), initiator ? "1" : "0");
    if (!initiator)
        applyReceiverFieldRule();
    setModified();
}

void MLan2Lan::onAuthenticationClicked(int id) {
    _snmp_packet& entry = mode1Slot(store(), kAuthentication);
    const int value = numberIn(entry);
    if (id == ids::kAuthChap)
        putNumber(entry, (value & kKeepForChap) | kAuthChap);
    else if (id == ids::kAuthEnable)
        putNumber(entry, (value & kKeepForEnable) | kAuthEnabled);
    else
        putNumber(entry, value & kKeepForDisable);
    for (int radio : {ids::kAuthDisable, ids::kAuthEnable, ids::kAuthChap}) {
        if (radio != id)
            setChecked(radio, false);
    }
    applyReceiverFieldRule();
}

void MLan2Lan::onLanToLanClicked() {
    const bool on = isChecked(ids::kEnableLanToLan);
    if (on) {
        enableLanToLanControls(true);
        reapplyRole();
    } else {
        enableLanToLanControls(false);
    }
    // Re-applying the role has just set the dial-out flag: "1" means the
    // initiator role, which would also give Internet access.
    _snmp_packet& feature = writeSlot(store(), kFeatureByte);
    const int value = numberIn(feature);
    const int dialOut = numberIn(writeSlot(store(), kDialOutFlag));
    if (on && dialOut == 1) {
        if (context().host.messageBox(text::kInternetConflict, ui::Buttons::OkCancel) ==
            ui::Answer::Ok) {
            putNumber(feature, value | kLanToLanBits);
            device::setEntryText(writeSlot(store(), kDialOutFlag), "0");
            enableLanToLanControls(true);
        } else {
            putNumber(feature, value & kLanToLanCleared);
            enableLanToLanControls(false);
            setChecked(ids::kEnableLanToLan, false);
        }
    } else if (on) {
        putNumber(feature, value | kLanToLanBits);
        enableLanToLanControls(true);
    } else {
        putNumber(feature, value & kLanToLanCleared);
        enableLanToLanControls(false);
    }
    setModified();
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
    const int field = numberIn(mode1Slot(store(), kAuthentication)) & kAuthField;
    setChecked(ids::kAuthDisable, false);
    setChecked(ids::kAuthEnable, false);
    setChecked(ids::kAuthChap, false);
    if (field == kAuthEnabled)
        setChecked(ids::kAuthEnable);
    else if (field == kAuthChap)
        setChecked(ids::kAuthChap);
    else
        setChecked(ids::kAuthDisable);
}

void MLan2Lan::showAddress(std::span<const int> fields, const std::string& dotted) {
    // An empty stored address shows as 0.0.0.0, which is what the apply
    // writes for it.
    const device::Octets octets = device::parseDottedAddress(dotted);
    for (std::size_t i = 0; i < fields.size() && i < octets.size(); ++i)
        setNumber(fields[i], octets[i]);
}

std::string MLan2Lan::addressOf(std::span<const int> fields) const {
    device::Octets octets{};
    for (std::size_t i = 0; i < fields.size() && i < octets.size(); ++i)
        octets[i] = static_cast<std::uint8_t>(number(fields[i]) & 0xff);
    return device::formatDotted(octets);
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
    auto anyEmpty = [this](std::span<const int> fields) {
        for (int id : fields) {
            if (text(id).empty())
                return true;
        }
        return false;
    };
    if (anyEmpty(ids::kRemoteIp))
        return text::kAddressEmpty;
    if (anyEmpty(ids::kRemoteMask))
        return text::kMaskEmpty;
    for (const auto& fields :
         {std::span<const int>(ids::kRemoteIp), std::span<const int>(ids::kRemoteMask)}) {
        for (int id : fields) {
            if (!isOctet(text(id)))
                return text::kOctetRange;
        }
    }
    return std::nullopt;
}

void MLan2Lan::keepChoices() {
    const bool on = isChecked(ids::kEnableLanToLan);
    const bool receiver = isChecked(ids::kReceiverEnable);
    setLanToLan(store(), on);
    device::setEntryText(writeSlot(store(), kDialOutFlag), receiver ? "0" : "1");
    context().state.lanToLanOn = on ? 1 : 0;
    context().state.receiveOnly = receiver ? 1 : 0;
    storeIdleTimeout(store(), signedNumberOr0(text(ids::kTimeout)));
}

void MLan2Lan::onApply() {
    device::Commit commit(context(), store(), pageNumber());
    if (!commit.allowed())
        return;

    const int timeoutVariable = store().idleTimeoutVariable();
    device::setEntryText(writeSlot(store(), timeoutVariable),
                         cut(text(ids::kTimeout), kTimeoutLength));
    commit.writeVariables(std::array{timeoutVariable}, device::OnFailure::Ignore);

    // The flags, not the check box: the later of this page and Quick Setup
    // to be left decides.
    const bool on = context().state.lanToLanOn != 0;
    setLanToLan(store(), on);
    device::setEntryText(writeSlot(store(), kDialOutFlag),
                         context().state.receiveOnly == 1 ? "0" : "1");

    device::setEntryText(writeSlot(store(), kLoginName),
                         cut(text(ids::kLoginName), kLoginNameLength));
    device::setEntryText(writeSlot(store(), kPassword), cut(text(ids::kPassword), kPasswordLength));

    _snmp_packet& authentication = mode1Slot(store(), kAuthentication);
    int value = numberIn(authentication) & kKeepForDisable;
    if (isChecked(ids::kAuthEnable))
        value |= kAuthEnabled;
    if (isChecked(ids::kAuthChap))
        value |= kAuthChap;
    putNumber(authentication, value);

    device::setEntryText(writeSlot(store(), kRemoteLoginName),
                         cut(text(ids::kRemoteLoginName), kRemoteTextLength));
    device::setEntryText(writeSlot(store(), kRemotePassword),
                         cut(text(ids::kRemotePassword), kRemoteTextLength));
    device::setEntryText(writeSlot(store(), kPhoneNumber),
                         cut(text(ids::kPhoneNumber), kPhoneNumberLength));
    device::setEntryText(writeSlot(store(), kRemoteNetwork), addressOf(ids::kRemoteIp));
    device::setEntryText(writeSlot(store(), kRemoteMask), addressOf(ids::kRemoteMask));

    commit.writeVariables(
        std::array{kRemoteLoginName, kRemotePassword, kPhoneNumber, kRemoteNetwork, kRemoteMask});

    // Mode 0 takes the authentication byte from its mode-1 copy, which holds
    // the choice just made.
    const std::array switches{kFeatureByte, kAuthentication, kLanToLanSwitch,
                              kLoginName,   kPassword,       kDialOutFlag};
    const std::vector<_snmp_packet> switchEntries{
        writeSlot(store(), kFeatureByte),    authentication,
        writeSlot(store(), kLanToLanSwitch), writeSlot(store(), kLoginName),
        writeSlot(store(), kPassword),       writeSlot(store(), kDialOutFlag)};
    commit.write(0, switches, switchEntries, device::OnFailure::Ignore);

    const std::array profile{kFeatureByte, kAuthentication,  kLoginName,
                             kPassword,    kRemoteLoginName, kRemotePassword,
                             kPhoneNumber, kRemoteNetwork,   kRemoteMask};
    const std::vector<_snmp_packet> profileEntries{
        mode1Slot(store(), kFeatureByte),     authentication,
        writeSlot(store(), kLoginName),       writeSlot(store(), kPassword),
        writeSlot(store(), kRemoteLoginName), writeSlot(store(), kRemotePassword),
        writeSlot(store(), kPhoneNumber),     writeSlot(store(), kRemoteNetwork),
        writeSlot(store(), kRemoteMask)};
    commit.write(1, profile, profileEntries, device::OnFailure::Ignore);

    commit.finish(text::kResetFinished);
}

} // namespace tolvaro::pages
