#include <functional>

#include "device/dotted_text.h"
#include "line_pages.h"
#include "res/ids/quick_setup_ids.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::quick_setup;
using ui::ScriptedDialogDriver;

const std::string kInternetQuestion =
    "Internet Access cannot be used with LAN-to-LAN\nClick \"OK\" to disabel LAN-to-LAN, or "
    "\"Cancel\" to leave the current settings unchanged.";

class QuickSetupTest : public LinePagesTest {
protected:
    QuickSetupTest() {
        readText(0x4001, "10.1.2.3");
        readText(0x4002, "anna");
        readText(0x4003, "s3cret");
        readText(0x4004, "192.168.7.9");
        readText(0x4006, "0301234");
        readInteger(0x3801, 9);
        readInteger(0x4008, 5);
        readInteger(0x400d, 1);
        readText(0x3006, "192.168.1.100");
        readText(0x3005, "192.168.1.149");
    }
    ScriptedDialogDriver openPage() { return open().page(); }
};

TEST_F(QuickSetupTest, StartFillsEveryControlFromTheStore) {
    readInteger(0x3801, 23);
    auto p = openPage();
    EXPECT_TRUE(p.isChecked(ids::kEnableInternet));
    EXPECT_EQ(p.text(ids::kAccountName), "anna");
    EXPECT_EQ(p.text(ids::kVerifyPassword), "s3cret");
    EXPECT_TRUE(p.isChecked(ids::kFixed));
    EXPECT_TRUE(p.isEnabled(ids::kFixedIp[0]));
    EXPECT_EQ(p.text(ids::kFixedIp[3]), "3");
    EXPECT_EQ(p.text(ids::kDns[2]), "7");
    EXPECT_EQ(p.text(ids::kTelephone1), "0301234");
    EXPECT_EQ(p.comboSelection(ids::kCountry), 23);
    EXPECT_EQ(p.text(ids::kIdleTimeout), "5");
    EXPECT_EQ(p.text(ids::kNetworkMask), "255.255.255.0");
    EXPECT_EQ(p.textLimit(ids::kVerifyPassword), 61);
    EXPECT_EQ(state.dhcpRangeStart, (device::Octets{192, 168, 1, 100}));
    EXPECT_EQ(state.dhcpRangeEnd, (device::Octets{192, 168, 1, 149}));
    EXPECT_EQ(store.resetOwner, 1);
}

TEST(QuickSetupWan, NoStoredAddressSelectsDynamic) {
    struct Fresh : QuickSetupTest {
        void TestBody() override {}
        void check(const char* stored) {
            readText(0x4001, stored);
            auto p = openPage();
            EXPECT_TRUE(p.isChecked(ids::kDynamic)) << stored;
            EXPECT_FALSE(p.isEnabled(ids::kFixedIp[0])) << stored;
        }
    };
    for (const char* stored : {"0.0.0.0", ""})
        Fresh().check(stored);
}

TEST_F(QuickSetupTest, StartCopiesTheSharedSwitchesAsSignedBytes) {
    readInteger(0x3806, 2);
    readInteger(0x4017, 0x82);
    readInteger(0x4023, 0x10);
    device::ReadImageFill(store).mode1Read(0).value[0] = 0x02;
    device::ReadImageFill(store).mode1Read(2).value[0] = 0x20;
    openPage();
    EXPECT_EQ(written(0x3806), "2");
    EXPECT_EQ(written(0x4017), "-126");
    EXPECT_EQ(written(0x400d), "1");
    EXPECT_EQ(written(0x4023), "16");
    EXPECT_EQ(device::entryText(store.mode1Write(0)), "2");
    EXPECT_EQ(device::entryText(store.mode1Write(1)), "0");
    EXPECT_EQ(device::entryText(store.mode1Write(2)), "32");
}

struct CountryRow {
    const char* name;
    int stored;
    bool warned;
    bool spid;
};

class QuickSetupCountry : public QuickSetupTest, public testing::WithParamInterface<CountryRow> {};

TEST_P(QuickSetupCountry, StoredCountryDecidesTheSpidGroup) {
    readInteger(0x3801, GetParam().stored);
    auto p = openPage();
    EXPECT_EQ(host.messageTexts(),
              GetParam().warned
                  ? std::vector<std::string>{"Warning, Country Stored in System Wrong!!! "}
                  : std::vector<std::string>{});
    for (int id : {ids::kSpidNote, ids::kSpid1Label, ids::kSpid2Label, ids::kSpid1, ids::kSpid2})
        EXPECT_EQ(p.isEnabled(id), GetParam().spid) << id;
}

INSTANTIATE_TEST_SUITE_P(Countries, QuickSetupCountry,
                         testing::Values(CountryRow{"UK", 22, false, false},
                                         CountryRow{"UsaMultiPoint", 23, false, true},
                                         CountryRow{"BeyondTheList", 28, true, true}),
                         [](const auto& info) { return info.param.name; });

struct IdleRow {
    const char* name;
    int level;
    std::int32_t stored;
    int limit;
    bool seconds;
    const char* message;
    const char* after;
};

class QuickSetupIdle : public QuickSetupTest, public testing::WithParamInterface<IdleRow> {};

TEST_P(QuickSetupIdle, LimitUnitAndClampFollowTheFirmwareLevel) {
    const IdleRow& row = GetParam();
    store.firmwareLevel = row.level;
    readInteger(0x4008, row.stored);
    auto p = openPage();
    EXPECT_EQ(p.textLimit(ids::kIdleTimeout), row.limit);
    EXPECT_EQ(p.text(ids::kIdleTimeoutUnit) == "second  (0 = Unlimited)", row.seconds);
    p.focus(ids::kIdleTimeout);
    p.leave();
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{row.message});
    EXPECT_EQ(p.text(ids::kIdleTimeout), row.after);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, QuickSetupIdle,
    testing::Values(IdleRow{"Level60", 60, 100, 2, false,
                            "Idle Time Limit should be 0-99, it will be changed to99", "99"},
                    IdleRow{"Level61", 61, 10000, 4, true,
                            "Idle Time Limit should be 0-9999, it will be changed to9999", "9999"}),
    [](const auto& info) { return info.param.name; });

struct LeaveRow {
    const char* name;
    std::function<void(ScriptedDialogDriver&)> edit;
    const char* message; // nullptr: the page may be left
};

class QuickSetupLeave : public QuickSetupTest, public testing::WithParamInterface<LeaveRow> {};

TEST_P(QuickSetupLeave, ChecksRunInOrderAndTheFirstFailureKeepsThePage) {
    auto& s = open();
    auto p = s.page();
    GetParam().edit(p);
    const bool left = s.selectPage(kOtherIndex);
    EXPECT_EQ(left, GetParam().message == nullptr);
    EXPECT_EQ(host.messageTexts(), GetParam().message ? std::vector<std::string>{GetParam().message}
                                                      : std::vector<std::string>{});
    EXPECT_EQ(s.activePage(), left ? kOtherIndex : kQuickSetupIndex);
}

void clearPhones(ScriptedDialogDriver& p) {
    for (int id : {ids::kTelephone1, ids::kTelephone2, ids::kTelephone3})
        p.type(id, "");
}

INSTANTIATE_TEST_SUITE_P(
    Checks, QuickSetupLeave,
    testing::Values(
        LeaveRow{"PasswordBeforePhone",
                 [](ScriptedDialogDriver& p) {
                     p.type(ids::kVerifyPassword, "other");
                     clearPhones(p);
                 },
                 "Password verified fail"},
        LeaveRow{"NoPhone", clearPhones, "Please enter the phone number!!!"},
        LeaveRow{"NoPhoneWithInternetOff",
                 [](ScriptedDialogDriver& p) {
                     clearPhones(p);
                     p.click(ids::kEnableInternet);
                 },
                 nullptr},
        LeaveRow{"FixedFieldEmpty", [](ScriptedDialogDriver& p) { p.type(ids::kFixedIp[3], ""); },
                 "Please fill each IP field "},
        LeaveRow{"FixedAbove255BeforeDns",
                 [](ScriptedDialogDriver& p) {
                     p.type(ids::kFixedIp[0], "256");
                     p.type(ids::kDns[0], "");
                 },
                 "IP Address error.\nFor an IP Address, each field must have a value between 0 "
                 "and 255."},
        LeaveRow{"DynamicIgnoresTheFixedFields",
                 [](ScriptedDialogDriver& p) {
                     p.type(ids::kFixedIp[0], "");
                     p.click(ids::kDynamic);
                 },
                 nullptr},
        LeaveRow{"DnsPartlyFilled", [](ScriptedDialogDriver& p) { p.type(ids::kDns[1], ""); },
                 "Please fill each DNS field "},
        LeaveRow{"DnsAbove255", [](ScriptedDialogDriver& p) { p.type(ids::kDns[3], "300"); },
                 "DNS error.\nFor a DNS Address, each field must have a value between 0 and "
                 "255."},
        LeaveRow{"DnsAllEmpty",
                 [](ScriptedDialogDriver& p) {
                     for (int id : ids::kDns)
                         p.type(id, "");
                 },
                 nullptr}),
    [](const auto& info) { return info.param.name; });

struct ChoiceRow {
    const char* name;
    std::int32_t feature;
    bool untick;
    const char* featureAfter;
    const char* dialOutAfter;
    int lanToLanOn;
    int receiveOnly;
};

class QuickSetupChoice : public QuickSetupTest, public testing::WithParamInterface<ChoiceRow> {};

TEST_P(QuickSetupChoice, LeavingCarriesTheBoxIntoTheSharedSwitches) {
    const ChoiceRow& row = GetParam();
    readInteger(0x4017, row.feature);
    auto& s = open();
    if (row.untick)
        s.page().click(ids::kEnableInternet);
    ASSERT_TRUE(s.selectPage(kOtherIndex));
    EXPECT_EQ(written(0x4017), row.featureAfter);
    EXPECT_EQ(written(0x400d), row.dialOutAfter);
    EXPECT_EQ(state.lanToLanOn, row.lanToLanOn);
    EXPECT_EQ(state.receiveOnly, row.receiveOnly);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, QuickSetupChoice,
    testing::Values(ChoiceRow{"InternetOnClearsBits0x82", 0x03, false, "1", "1", 0, 0},
                    ChoiceRow{"InternetOffStopsDialingOut", 0x00, true, "0", "0", 0, 1},
                    // With LAN-to-LAN on the box shows unticked and the flag is its role's.
                    ChoiceRow{"LanToLanKeepsTheDialOutFlag", 0x82, false, "-126", "1", 1, 0}),
    [](const auto& info) { return info.param.name; });

TEST_F(QuickSetupTest, TickingInternetWhileLanToLanIsOnAsksFirst) {
    readInteger(0x4017, 0x80);
    readText(0x4003, "pw");
    auto& s = open();
    auto p = s.page();
    EXPECT_FALSE(p.isChecked(ids::kEnableInternet));
    EXPECT_FALSE(p.isEnabled(ids::kAccountName));
    host.answerMessage(ui::Answer::Cancel);
    p.click(ids::kEnableInternet);
    EXPECT_FALSE(p.isChecked(ids::kEnableInternet));
    EXPECT_FALSE(p.isEnabled(ids::kAccountName));
    host.answerMessage(ui::Answer::Ok);
    p.click(ids::kEnableInternet);
    EXPECT_TRUE(p.isEnabled(ids::kAccountName));
    EXPECT_EQ(written(0x4017), "-128");
    EXPECT_EQ(host.messageTexts(), (std::vector<std::string>(2, kInternetQuestion)));

    // Ticked, the fields go to the router once the page is left: checked.
    p.type(ids::kVerifyPassword, "typo");
    EXPECT_FALSE(s.selectPage(kOtherIndex));
    EXPECT_EQ(host.messageTexts().back(), "Password verified fail");
    // Unticked again, LAN-to-LAN stays on and nothing is checked.
    p.click(ids::kEnableInternet);
    ASSERT_TRUE(s.selectPage(kOtherIndex));
    EXPECT_EQ(written(0x4017), "-128");
    ASSERT_TRUE(s.selectPage(kQuickSetupIndex));
    host.answerMessage(ui::Answer::Ok);
    p.click(ids::kEnableInternet);
    p.type(ids::kVerifyPassword, "pw");
    ASSERT_TRUE(s.selectPage(kOtherIndex));
    EXPECT_EQ(written(0x4017), "0");
    EXPECT_EQ(written(0x400d), "1");
}

// An empty integer would make the router refuse the whole eleven-variable
// request: the empty field gets the bound, with the range message.
TEST_F(QuickSetupTest, AnEmptyIdleTimeoutIsClampedWhenThePageIsLeft) {
    auto& s = open();
    s.page().type(ids::kIdleTimeout, "");
    ASSERT_TRUE(s.selectPage(kOtherIndex));
    EXPECT_EQ(host.messageTexts(),
              std::vector<std::string>{"Idle Time Limit should be 0-99, it will be changed to99"});
    EXPECT_EQ(s.page(kQuickSetupIndex).text(ids::kIdleTimeout), "99");
    EXPECT_EQ(device::entryInteger(store.sheet(10)), 99);
}

TEST_F(QuickSetupTest, TheIdleTimeoutAndDnsLiveInTheSheetBetweenVisits) {
    auto& s = open();
    auto p = s.page();
    EXPECT_FALSE(store.primaryDnsEdited) << "showing the DNS is no edit";
    p.type(ids::kIdleTimeout, "42");
    p.type(ids::kDns[2], "8");
    EXPECT_TRUE(store.primaryDnsEdited);
    ASSERT_TRUE(s.selectPage(kOtherIndex));
    EXPECT_EQ(device::entryInteger(store.sheet(10)), 42);
    EXPECT_EQ(device::entryText(store.sheet(*store.slotOf(0x4004))), "192.168.8.9");
    // What the router sent stays as it sent it.
    EXPECT_EQ(device::entryInteger(store.read(10)), 5);
    EXPECT_EQ(device::entryText(store.read(*store.slotOf(0x4004))), "192.168.7.9");
    test::setReadInteger(store.editSheet(10), 7); // as the LAN-to-LAN page would keep it
    ASSERT_TRUE(s.selectPage(kQuickSetupIndex));
    EXPECT_EQ(p.text(ids::kIdleTimeout), "7");
    EXPECT_EQ(p.text(ids::kDns[2]), "8");
}

} // namespace
} // namespace tolvaro::pages
