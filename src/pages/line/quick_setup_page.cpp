#include "pages/line/quick_setup_page.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include <ipslan/variables.h>

#include "device/catalogue.h"
#include "device/device_link.h"
#include "device/device_record.h"
#include "device/dotted_text.h"
#include "operation/commit.h"
#include "pages/idle_timeout.h"
#include "pages/line/feature_flags.h"
#include "pages/octet_edits.h"
#include "pages/store_access.h"
#include "res/ids/quick_setup_ids.h"
#include "res/list_contents.h"
#include "ui/host.h"

namespace tolvaro::pages {

namespace {

namespace ids = res::quick_setup;

// Sets a flag for one block and gives it back its value on every way out.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : flag_(flag), before_(flag) { flag_ = true; }
    ~ScopedFlag() { flag_ = before_; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& flag_;
    bool before_;
};

constexpr int kLinkStateVariable = ipslan::var::kLinkStatus;
constexpr int kLinkUp = 1;

constexpr int kWanAddress = ipslan::var::kWanAddress;
constexpr int kAccountName = ipslan::var::kAccountName;
constexpr int kAccountPassword = ipslan::var::kAccountPassword;
constexpr int kDns = ipslan::var::kPrimaryDns;
constexpr int kTelephone1 = ipslan::var::kTelephone1;
constexpr int kTelephone2 = ipslan::var::kTelephone2;
constexpr int kTelephone3 = ipslan::var::kTelephone3;
constexpr int kCountry = ipslan::var::kCountry;
constexpr int kSpid1 = ipslan::var::kSpid1;
constexpr int kSpid2 = ipslan::var::kSpid2;
constexpr int kUsage = ipslan::var::kUsage;
constexpr int kAuthentication = ipslan::var::kAuthentication;
constexpr int kDhcpStart = ipslan::var::kDhcpStart;
constexpr int kDhcpEnd = ipslan::var::kDhcpEnd;

constexpr std::string_view kNoAddress = "0.0.0.0";
constexpr unsigned kOctetMax = 255;
constexpr int kHighestUsage = 2;
// The switch values that the first page copies for every page, also in the
// mode-1 block.
constexpr std::array<int, 3> kSharedSwitches{kFeatureVariable, kDialOutVariable, kAuthentication};
// What the apply reads of each field.
constexpr std::size_t kAccountChars = 61;
constexpr std::size_t kTelephoneChars = 30;
constexpr std::size_t kSpidChars = 17;
constexpr std::size_t kIdleChars = 4;

namespace text {
inline constexpr const char* kResetFinished = "Device reset finished";
inline constexpr const char* kLinkInUse =
    "The ISDNLink is in use.\nSaving data now will break the connection.\nUsers may have to "
    "re-establish their connection.\nClick \"OK\" to save, or \"Cancle\" to abort.";
inline constexpr const char* kInternetNotWithLanToLan =
    "Internet Access cannot be used with LAN-to-LAN\nClick \"OK\" to disabel LAN-to-LAN, or "
    "\"Cancel\" to leave the current settings unchanged.";
inline constexpr const char* kCountryWrong = "Warning, Country Stored in System Wrong!!! ";
inline constexpr const char* kPasswordMismatch = "Password verified fail";
inline constexpr const char* kNoTelephone = "Please enter the phone number!!!";
inline constexpr const char* kFillIp = "Please fill each IP field ";
inline constexpr const char* kIpRange =
    "IP Address error.\nFor an IP Address, each field must have a value between 0 and 255.";
inline constexpr const char* kFillDns = "Please fill each DNS field ";
inline constexpr const char* kDnsRange =
    "DNS error.\nFor a DNS Address, each field must have a value between 0 and 255.";
} // namespace text

// The controls that follow the "Enable Internet Access" box.
constexpr std::initializer_list<int> kInternetFields{
    ids::kAccountName, ids::kAccountPassword, ids::kVerifyPassword, ids::kDynamic,
    ids::kFixed,       ids::kTelephone1,      ids::kTelephone2,     ids::kTelephone3,
    ids::kFixedIp[0],  ids::kCountry,         ids::kFixedIp[1],     ids::kFixedIp[2],
    ids::kFixedIp[3],  ids::kIdleTimeout,     ids::kDns[0],         ids::kDns[1],
    ids::kDns[2],      ids::kDns[3]};
constexpr std::initializer_list<int> kSpidFields{ids::kSpidNote, ids::kSpid1Label, ids::kSpid2Label,
                                                 ids::kSpid1, ids::kSpid2};
constexpr std::initializer_list<int> kModifyingFields{
    ids::kAccountName, ids::kAccountPassword, ids::kTelephone1, ids::kTelephone2,
    ids::kTelephone3,  ids::kSpid1,           ids::kSpid2};

bool contains(std::initializer_list<int> list, int id) {
    for (const int i : list)
        if (i == id)
            return true;
    return false;
}

bool needsSpid(int country) {
    return country > res::lists::kLastCountryWithoutSpid;
}

// The stored switches are bytes; the pages keep them as the signed byte's
// decimal text.
int signedByte(const MIB_RESPONSE& entry) {
    return static_cast<std::int8_t>(entry.value[0]);
}

std::string upTo(std::string text, std::size_t characters) {
    if (text.size() > characters)
        text.resize(characters);
    return text;
}

} // namespace

CMQuickSetup::CMQuickSetup(AppContext& context, device::ConfigStore& store)
    : SettingsPage(ids::kTemplate, operation::kQuickSetupPage, context, store) {}

void CMQuickSetup::onInitDialog() {
    prepareSharedValues();
    fillControls();
    claimReset();
}

void CMQuickSetup::prepareSharedValues() {
    device::ConfigStore& s = store();
    const std::int32_t usage = device::entryInteger(sheetEntry(s, kUsage));
    if (usage >= 0 && usage <= kHighestUsage)
        setNumberText(writeEntry(s, kUsage), usage);
    for (const int variable : kSharedSwitches) {
        setNumberText(writeEntry(s, variable), signedByte(sheetEntry(s, variable)));
        const int index = device::mode1IndexOf(variable).value();
        setNumberText(s.mode1Write(index), signedByte(s.mode1Read(index)));
    }

    AppState& state = context().state;
    device::parseDottedText(device::entryText(sheetEntry(s, kDhcpStart)), state.dhcpRangeStart);
    device::parseDottedText(device::entryText(sheetEntry(s, kDhcpEnd)), state.dhcpRangeEnd);
    // Every sheet starts allowing writes; only this page's apply may take
    // that back.
    s.saveConfirmed = true;
}

void CMQuickSetup::fillControls() {
    const device::ConfigStore& s = store();
    setChecked(ids::kEnableInternet, dialsOut(s));

    const DEVICE_INFO& router = context().state.selected();
    setText(ids::kDeviceIp, device::fieldText(router.ipAddress));
    setText(ids::kNetworkMask, device::fieldText(router.netmask));

    const std::string wan = device::entryText(sheetEntry(s, kWanAddress));
    const bool fixed = !wan.empty() && wan != kNoAddress;
    if (fixed)
        setOctetEdits(*this, ids::kFixedIp, device::parseDottedAddress(wan));
    setChecked(fixed ? ids::kFixed : ids::kDynamic);
    enableFixedAddress(fixed);

    showDns();
    for (std::size_t i = 0; i < 4; ++i) {
        limitText(ids::kFixedIp[i], ids::kOctetLimit);
        limitText(ids::kDns[i], ids::kOctetLimit);
    }

    const std::string password = device::entryText(sheetEntry(s, kAccountPassword));
    setText(ids::kAccountName, device::entryText(sheetEntry(s, kAccountName)));
    setText(ids::kAccountPassword, password);
    setText(ids::kVerifyPassword, password);
    for (const int id : {ids::kAccountName, ids::kAccountPassword, ids::kVerifyPassword})
        limitText(id, ids::kAccountLimit);
    setText(ids::kTelephone1, device::entryText(sheetEntry(s, kTelephone1)));
    setText(ids::kTelephone2, device::entryText(sheetEntry(s, kTelephone2)));
    setText(ids::kTelephone3, device::entryText(sheetEntry(s, kTelephone3)));
    for (const int id : {ids::kTelephone1, ids::kTelephone2, ids::kTelephone3})
        limitText(id, ids::kTelephoneLimit);
    setText(ids::kSpid1, device::entryText(sheetEntry(s, kSpid1)));
    setText(ids::kSpid2, device::entryText(sheetEntry(s, kSpid2)));
    limitText(ids::kSpid1, ids::kSpidLimit);
    limitText(ids::kSpid2, ids::kSpidLimit);

    ui::ComboRef countries = combo(ids::kCountry);
    countries.reset();
    for (const std::string_view country : res::lists::kCountries)
        countries.add(country);
    const std::int32_t country = device::entryInteger(sheetEntry(s, kCountry));
    if (!countries.select(country))
        host().messageBox(text::kCountryWrong);
    enableSpid(needsSpid(country));

    showIdleTimeout();
    limitText(ids::kIdleTimeout, idleTimeoutFieldLimit(s));
    if (idleTimeoutInSeconds(s))
        setText(ids::kIdleTimeoutUnit, kIdleSecondsUnit);
}

void CMQuickSetup::onSetActive() {
    context().state.lanToLanOn = lanToLanOn(store()) ? 1 : 0;
    setChecked(ids::kEnableInternet, !lanToLanOn(store()) && dialsOut(store()));
    showDns();
    enableInternetFields(isChecked(ids::kEnableInternet));
    showIdleTimeout();
}

bool CMQuickSetup::onKillActive() {
    // With LAN-to-LAN on the fields are not in use and are not checked, unless
    // the box is ticked: then leaving the page turns LAN-to-LAN off and the
    // fields go to the router.
    if (!lanToLanOn(store()) || isChecked(ids::kEnableInternet)) {
        if (const auto problem = fieldProblem()) {
            host().messageBox(*problem);
            return false;
        }
        clampEmptyIdleTimeout();
        storeIdleTimeout(store(), static_cast<std::int32_t>(number(ids::kIdleTimeout)));
    }
    carryInternetChoice();
    return true;
}

std::optional<std::string_view> CMQuickSetup::fieldProblem() const {
    if (upTo(text(ids::kAccountPassword), kAccountChars) !=
        upTo(text(ids::kVerifyPassword), kAccountChars))
        return text::kPasswordMismatch;
    if (isChecked(ids::kEnableInternet) && text(ids::kTelephone1).empty() &&
        text(ids::kTelephone2).empty() && text(ids::kTelephone3).empty())
        return text::kNoTelephone;
    if (isChecked(ids::kFixed)) {
        // Unlike the DNS, a fixed address must be given in full.
        const OctetEdits address = readOctetEdits(*this, ids::kFixedIp);
        if (address.anyEmpty())
            return text::kFillIp;
        if (address.anyAbove(kOctetMax))
            return text::kIpRange;
    }
    const OctetEdits dns = readOctetEdits(*this, ids::kDns);
    const bool dnsGiven = std::any_of(dns.texts.begin(), dns.texts.end(),
                                      [](const std::string& t) { return !t.empty(); });
    if (dnsGiven && dns.anyEmpty())
        return text::kFillDns;
    if (dnsGiven && dns.anyAbove(kOctetMax))
        return text::kDnsRange;
    return std::nullopt;
}

void CMQuickSetup::carryInternetChoice() {
    device::ConfigStore& s = store();
    AppState& state = context().state;
    if (isChecked(ids::kEnableInternet)) {
        setFeatureByte(s, featureByte(s) & kLanToLanOffMask);
        setDialOut(s, true);
        state.lanToLanOn = 0;
        state.receiveOnly = 0;
        return;
    }
    if (!lanToLanOn(s))
        setDialOut(s, false);
    if (state.lanToLanOn == 0)
        state.receiveOnly = 1;
}

void CMQuickSetup::onCommand(int id, ui::Notify notification) {
    if (notification == ui::Notify::Clicked) {
        if (id == ids::kEnableInternet)
            internetAccessClicked();
        else if (id == ids::kDynamic)
            enableFixedAddress(false);
        else if (id == ids::kFixed)
            enableFixedAddress(true);
    } else if (notification == ui::Notify::SelectionChanged && id == ids::kCountry) {
        enableSpid(needsSpid(combo(ids::kCountry).selection()));
        setModified();
    } else if (notification == ui::Notify::FocusLost && id == ids::kIdleTimeout) {
        clampIdleTimeout();
    } else if (notification == ui::Notify::TextChanged) {
        if (contains({ids::kDns[0], ids::kDns[1], ids::kDns[2], ids::kDns[3]}, id))
            storeDnsText();
        else if (contains(kModifyingFields, id))
            setModified();
    }
}

void CMQuickSetup::internetAccessClicked() {
    bool enabled = isChecked(ids::kEnableInternet);
    if (enabled && lanToLanOn(store())) {
        enabled = host().messageBox(text::kInternetNotWithLanToLan, ui::Buttons::OkCancel) ==
                  ui::Answer::Ok;
        if (!enabled)
            setChecked(ids::kEnableInternet, false);
    }
    enableInternetFields(enabled);
}

void CMQuickSetup::enableInternetFields(bool enabled) {
    enable(kInternetFields, enabled);
    if (isChecked(ids::kDynamic))
        enableFixedAddress(false);
}

void CMQuickSetup::enableFixedAddress(bool enabled) {
    enable({ids::kFixedIp[0], ids::kFixedIp[1], ids::kFixedIp[2], ids::kFixedIp[3]}, enabled);
}

void CMQuickSetup::enableSpid(bool enabled) {
    enable(kSpidFields, enabled);
}

void CMQuickSetup::clampIdleTimeout() {
    const int bound = idleTimeoutBound(store());
    if (number(ids::kIdleTimeout) <= static_cast<unsigned>(bound))
        return;
    host().messageBox(idleTimeoutClampMessage(bound));
    setNumber(ids::kIdleTimeout, static_cast<unsigned>(bound));
}

// An empty field is no number: the router would refuse the whole request
// with it (account, numbers, DNS and all). It gets the bound, as the LAN-to-LAN
// page gives it, with the same message.
void CMQuickSetup::clampEmptyIdleTimeout() {
    if (!text(ids::kIdleTimeout).empty())
        return;
    const int bound = idleTimeoutBound(store());
    host().messageBox(idleTimeoutClampMessage(bound));
    setNumber(ids::kIdleTimeout, static_cast<unsigned>(bound));
}

void CMQuickSetup::showIdleTimeout() {
    setNumber(ids::kIdleTimeout, storedIdleTimeout(store()));
}

void CMQuickSetup::showDns() {
    device::Octets dns{};
    device::parseDottedText(device::entryText(sheetEntry(store(), kDns)), dns);
    const ScopedFlag showing(showingDns_);
    setOctetEdits(*this, ids::kDns, dns);
}

void CMQuickSetup::storeDnsText() {
    setSheetText(editSheetEntry(store(), kDns), readOctetEdits(*this, ids::kDns).dotted());
    if (!showingDns_)
        store().primaryDnsEdited = true;
}

void CMQuickSetup::onApply() {
    if (!confirmSave())
        return;
    operation::Commit commit(context(), store(), pageNumber());
    device::ConfigStore& s = store();
    if (isChecked(ids::kEnableInternet)) {
        setDialOut(s, true);
        setFeatureByte(s, featureByte(s) & kLanToLanOffMask);
        const int feature[] = {kFeatureVariable};
        commit.writeVariables(feature);
    }
    device::setEntryLength(writeEntry(s, kDialOutVariable), 1);

    fillWriteImage();
    const int settings[] = {kWanAddress,
                            kAccountName,
                            kAccountPassword,
                            kDns,
                            kTelephone1,
                            kTelephone2,
                            kTelephone3,
                            kCountry,
                            kSpid1,
                            kSpid2,
                            s.idleTimeoutVariable()};
    commit.writeVariables(settings);
    const int dialOut[] = {kDialOutVariable};
    commit.writeVariables(dialOut);
    commit.finish(text::kResetFinished);
}

bool CMQuickSetup::confirmSave() {
    // A failed read leaves the entry zero: the link counts as down.
    MIB_RESPONSE link{};
    const int variable = kLinkStateVariable;
    {
        ui::WaitCursor wait(context().host);
        context().device.getInfo(context().state.selected().ipAddress, 0, 1, &variable, &link);
    }
    if (device::entryInteger(link) == kLinkUp) {
        const ui::Answer answer =
            context().host.messageBox(text::kLinkInUse, ui::Buttons::OkCancel);
        store().saveConfirmed = answer == ui::Answer::Ok;
    }
    return store().saveConfirmed;
}

void CMQuickSetup::fillWriteImage() {
    device::ConfigStore& s = store();
    const auto put = [&s](int variable, std::string_view value) {
        device::setEntryText(writeEntry(s, variable), value);
    };

    put(kWanAddress, isChecked(ids::kDynamic) ? std::string(kNoAddress)
                                              : readOctetEdits(*this, ids::kFixedIp).dotted());
    put(kAccountName, upTo(text(ids::kAccountName), kAccountChars));
    put(kAccountPassword, upTo(text(ids::kAccountPassword), kAccountChars));
    put(kDns, device::entryText(sheetEntry(s, kDns)));
    put(kTelephone1, upTo(text(ids::kTelephone1), kTelephoneChars));
    put(kTelephone2, upTo(text(ids::kTelephone2), kTelephoneChars));
    put(kTelephone3, upTo(text(ids::kTelephone3), kTelephoneChars));
    put(kSpid1, upTo(text(ids::kSpid1), kSpidChars));
    put(kSpid2, upTo(text(ids::kSpid2), kSpidChars));

    int country = combo(ids::kCountry).selection();
    if (country < 0) {
        host().messageBox(text::kCountryWrong);
        country = -1;
    }
    _snmp_packet& countryEntry = writeEntry(s, kCountry);
    setNumberText(countryEntry, country);
    device::setEntryLength(countryEntry, 1);

    // A router's own value can be longer than the field takes; cutting it to
    // its first digits would send a different number.
    if (text(ids::kIdleTimeout).size() > kIdleChars)
        clampIdleTimeout();
    clampEmptyIdleTimeout();
    put(s.idleTimeoutVariable(), upTo(text(ids::kIdleTimeout), kIdleChars));
}

} // namespace tolvaro::pages
