#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/config_store.h"
#include "internet_application_records.h"
#include "operation/app_context.h"
#include "pages/lan/internet_application_page.h"
#include "res/ids/internet_application_ids.h"
#include "res/ids/virtual_server_ids.h"
#include "support/list_choice.h"
#include "support/recording_device.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::internet_application;
namespace vs = res::virtual_server;
namespace text = internet_application_text;
using test::makeApp;
using test::makeServer;
using ui::ScriptedDialogDriver;

constexpr int kOtherPageTemplate = 160;

class InternetApplicationTest : public testing::Test {
protected:
    InternetApplicationTest() {
        state.devices[0] = test::makeRouter("Office", "192.168.1.1");
        store.saveConfirmed = true;
        setServers({makeServer("web", 80, 8080), makeServer("voip", 5060, 0, 2, 0)});
        setValue(0x371c, test::appBytes({makeApp("ichat", 6000, 6010, 113, 113)}));
        setValue(0x371e, {1, 192, 168, 1, 77});
    }

    void setServers(const std::vector<LOCAL_S>& servers) {
        setValue(0x3717, test::serverBytes(servers));
    }
    void setValue(int variable, const std::vector<std::uint8_t>& bytes) {
        MIB_RESPONSE& entry = device::ReadImageFill(store).read(*store.slotOf(variable));
        std::copy(bytes.begin(), bytes.end(), entry.value);
        entry.type = 4;
        device::setEntryLength(entry, bytes.size());
    }

    ScriptedDialogDriver open() {
        sheet.addPage(page);
        sheet.addPage(other);
        driver.emplace(host.open(sheet));
        return driver->page();
    }
    static std::vector<std::string> column(const ScriptedDialogDriver& p, int list, int col) {
        std::vector<std::string> out;
        for (int row = 0; row < p.listCount(list); ++row)
            out.push_back(p.listText(list, row, col));
        return out;
    }
    std::vector<test::DeviceCall> writes() const { return device.callsOf(test::DeviceOp::SetInfo); }
    // The virtual servers of the first write, as the router would decode them.
    ServerList sentServers() const {
        const _snmp_packet entry = writes().at(0).values.at(0);
        return decodeServers({entry.value, device::entryLength(entry)});
    }

    AppState state;
    ui::ScriptedHost host;
    test::RecordingDevice device;
    AppContext context{state, host, device};
    device::ConfigStore store{device::Family::Two};
    CMVirtual3 page{context, store};
    ui::PropertyPage other{kOtherPageTemplate};
    ui::PropertySheet sheet{"Office"};
    std::optional<ui::ScriptedSheetDriver> driver;
};

TEST_F(InternetApplicationTest, FirstDisplayShowsTheRoutersTables) {
    auto p = open();
    EXPECT_EQ(column(p, ids::kServerList, 0), (std::vector<std::string>{"On", "Off"}));
    std::vector<std::string> voip;
    for (int col = 0; col < 6; ++col)
        voip.push_back(p.listText(ids::kServerList, 1, col));
    EXPECT_EQ(voip,
              (std::vector<std::string>{"Off", "voip", "UDP", "5060", "5060", "192.168.1.10"}));
    EXPECT_EQ(p.listText(ids::kServerList, 0, 4), "8080");
    EXPECT_EQ(p.listText(ids::kSpecialAppList, 0, 2), "TCP");
    EXPECT_EQ(p.listText(ids::kSpecialAppList, 0, 3), "6000 - 6010");
    EXPECT_EQ(p.listText(ids::kSpecialAppList, 0, 4), "UDP");
    EXPECT_EQ(p.listText(ids::kSpecialAppList, 0, 5), "113-113");
    EXPECT_TRUE(p.isChecked(ids::kExposedEnable));
    EXPECT_EQ(p.text(ids::kExposedIp[3]), "77");
    EXPECT_EQ(p.textLimit(ids::kExposedIp[0]), 3);
    EXPECT_EQ(store.resetOwner, 7);
}

struct TableRow {
    const char* name;
    std::vector<std::uint8_t> value;
    std::vector<std::string> names;
};

class ServerTables : public InternetApplicationTest,
                     public testing::WithParamInterface<TableRow> {};

TEST_P(ServerTables, EndAtTheFirstEmptyNameOrTheTenthRow) {
    setValue(0x3717, GetParam().value);
    auto p = open();
    EXPECT_EQ(column(p, ids::kServerList, 1), GetParam().names);
}

std::vector<LOCAL_S> numbered(int count) {
    std::vector<LOCAL_S> servers;
    for (int i = 0; i < count; ++i)
        servers.push_back(makeServer("s" + std::to_string(i), static_cast<std::uint16_t>(100 + i)));
    return servers;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ServerTables,
    testing::Values(
        TableRow{
            "FirstNameEmpty", test::serverBytes({makeServer("", 80), makeServer("b", 81)}), {}},
        TableRow{"EmptyNameInTheMiddle",
                 test::serverBytes({makeServer("a", 80), makeServer("", 81), makeServer("c", 82)}),
                 {"a"}},
        TableRow{"ValueCutInsideTheSecondRecord",
                 test::serverBytes({makeServer("a", 80), makeServer("b", 81)}, 30),
                 {"a"}},
        TableRow{"TwelveRecordsInALongValue",
                 test::serverBytes(numbered(12), 252),
                 {"s0", "s1", "s2", "s3", "s4", "s5", "s6", "s7", "s8", "s9"}},
        TableRow{"EmptyValue", {}, {}}),
    [](const auto& info) { return info.param.name; });

struct RefusalRow {
    const char* name;
    int servers;
    int apps;
    int button;
    const char* message;
};

class Refusals : public InternetApplicationTest, public testing::WithParamInterface<RefusalRow> {};

TEST_P(Refusals, OnlyShowTheirWarning) {
    setServers(numbered(GetParam().servers));
    std::vector<SP_AP> apps;
    for (int i = 0; i < GetParam().apps; ++i)
        apps.push_back(makeApp("a" + std::to_string(i), 1, 2, 3, 4));
    setValue(0x371c, test::appBytes(apps));
    auto p = open();            // the selection mark is row 0, but no row is selected
    p.click(GetParam().button); // an unexpected dialog would throw
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{GetParam().message});
    EXPECT_EQ(p.listCount(ids::kServerList), GetParam().servers);
    EXPECT_EQ(p.listCount(ids::kSpecialAppList), GetParam().apps);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, Refusals,
    testing::Values(
        RefusalRow{"EleventhServer", 10, 0, ids::kAddServer,
                   "NO. of Virtual Server should not exceed 10"},
        RefusalRow{"EleventhApp", 0, 10, ids::kAddSpecialApp,
                   "NO. of Special Application should not exceed 10"},
        RefusalRow{"EditServerUnselected", 2, 2, ids::kEditServer, "You have to select a server."},
        RefusalRow{"DeleteServerUnselected", 2, 2, ids::kDeleteServer,
                   "You have to select a server"},
        RefusalRow{"EditAppUnselected", 2, 2, ids::kEditSpecialApp, "You have to select a App"},
        RefusalRow{"DeleteAppUnselected", 2, 2, ids::kDeleteSpecialApp,
                   "You have to select an App"}),
    [](const auto& info) { return info.param.name; });

TEST_F(InternetApplicationTest, AddEditAndDeleteReachTheRouter) {
    auto p = open();
    host.expectDialog(vs::kTemplate, [](ScriptedDialogDriver& d) { d.click(ui::kIdCancel); });
    p.click(ids::kAddServer);
    // A cancelled Add must not make the next one look cancelled too.
    host.expectDialog(vs::kTemplate, [](ScriptedDialogDriver& d) {
        d.type(vs::kName, "FTP");
        const char* octets[] = {"192", "168", "1", "20"};
        for (int i = 0; i < 4; ++i)
            d.type(vs::kServerIp[static_cast<std::size_t>(i)], octets[i]);
        d.type(vs::kExternalPort, "21");
        d.click(ui::kIdOk);
    });
    p.click(ids::kAddServer);
    EXPECT_EQ(test::listChoice(p, ids::kServerList), "mark 2, highlighted 2");
    EXPECT_EQ(column(p, ids::kServerList, 1), (std::vector<std::string>{"web", "voip", "ftp"}));
    EXPECT_EQ(p.listText(ids::kServerList, 2, 5), "192.168.1.20");

    // Editing a row without changes passes its own uniqueness check.
    p.clickRow(ids::kServerList, 0);
    host.expectDialog(vs::kTemplate, [](ScriptedDialogDriver& d) {
        d.type(vs::kExternalPort, "8000");
        d.click(ui::kIdOk);
        EXPECT_FALSE(d.isOpen());
    });
    p.click(ids::kEditServer);
    EXPECT_EQ(p.listText(ids::kServerList, 0, 3), "8000");
    EXPECT_EQ(test::listChoice(p, ids::kServerList), "mark 0, highlighted 0");

    // Back on the tab, the mark is reset: nothing shows chosen, nothing is
    // acted on.
    p.clickRow(ids::kServerList, 1);
    ASSERT_TRUE(driver->selectPage(1));
    ASSERT_TRUE(driver->selectPage(0));
    EXPECT_EQ(test::listChoice(p, ids::kServerList), "mark 0, highlighted -");
    p.click(ids::kDeleteServer);
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"You have to select a server"});
    host.clearRecords();

    p.clickRow(ids::kServerList, 1);
    p.click(ids::kDeleteServer);
    EXPECT_EQ(test::listChoice(p, ids::kServerList), "mark -1, highlighted -");
    p.clickRow(ids::kSpecialAppList, 0);
    p.click(ids::kDeleteSpecialApp);
    EXPECT_TRUE(host.messageTexts().empty());

    ASSERT_TRUE(driver->pressOK());
    const ServerList sent = sentServers();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(recordName(sent[0].server.name), "web");
    EXPECT_EQ(sent[0].server.externalPort, 8000);
    EXPECT_EQ(recordName(sent[1].server.name), "ftp");
    EXPECT_EQ(sent[1].server.internalPort, 21);
    EXPECT_EQ(writes().at(0).values.at(2).value[0], 0); // the table is empty
}

TEST_F(InternetApplicationTest, DoubleClickFlipsTheStateTheRowShows) {
    auto p = open();
    p.doubleClickRow(ids::kServerList, 1); // enabled byte 2 shows "Off"
    p.doubleClickRow(ids::kServerList, 0);
    p.doubleClickRow(ids::kSpecialAppList, 0);
    EXPECT_EQ(column(p, ids::kServerList, 0), (std::vector<std::string>{"Off", "On"}));
    EXPECT_EQ(p.listText(ids::kSpecialAppList, 0), "Off");
    ASSERT_TRUE(driver->pressOK());
    const ServerList sent = sentServers();
    EXPECT_EQ(sent.at(0).server.enabled, 0);
    EXPECT_EQ(sent.at(1).server.enabled, 1);
    EXPECT_EQ(writes().at(0).values.at(2).value[0], 0);
}

struct ExposedRow {
    const char* name;
    bool enabled;
    std::array<const char*, 4> fields;
    const char* message;            // nullptr: the page may be left
    std::vector<std::uint8_t> sent; // the exposed computer's value when sent
};

class ExposedComputer : public InternetApplicationTest,
                        public testing::WithParamInterface<ExposedRow> {};

TEST_P(ExposedComputer, IsCheckedWhenThePageIsLeftAndSentAsFiveBytes) {
    const ExposedRow& row = GetParam();
    auto p = open();
    if (p.isChecked(ids::kExposedEnable) != row.enabled)
        p.click(ids::kExposedEnable);
    for (std::size_t i = 0; i < 4; ++i)
        p.type(ids::kExposedIp[i], row.fields[i]);
    const bool left = driver->selectPage(1);
    EXPECT_EQ(left, row.message == nullptr);
    if (row.message) {
        EXPECT_EQ(host.messageTexts(), std::vector<std::string>{row.message});
        EXPECT_FALSE(driver->pressOK());
        EXPECT_TRUE(writes().empty());
        return;
    }
    ASSERT_TRUE(driver->pressOK());
    const _snmp_packet exposed = writes().at(0).values.at(1);
    ASSERT_EQ(device::entryLength(exposed), 5u);
    EXPECT_EQ(std::vector<std::uint8_t>(exposed.value, exposed.value + 5), row.sent);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ExposedComputer,
    testing::Values(
        ExposedRow{"Valid", true, {"192", "168", "1", "9"}, nullptr, {1, 192, 168, 1, 9}},
        ExposedRow{"EmptyField", true, {"192", "168", "", "9"}, text::kExposedEmpty, {}},
        ExposedRow{"EmptyBeforeRange", true, {"300", "", "1", "9"}, text::kExposedEmpty, {}},
        ExposedRow{"OctetOf300",
                   true,
                   {"192", "168", "1", "300"},
                   "The value of each exposed IP address field\n should be 0-255.",
                   {}},
        ExposedRow{"DisabledAndEmpty", false, {"", "", "", ""}, nullptr, {0, 0, 0, 0, 0}},
        // Would otherwise reach the router as 44.
        ExposedRow{"DisabledOctetOf300", false, {"300", "", "", ""}, text::kExposedRange, {}}),
    [](const auto& info) { return info.param.name; });

TEST_F(InternetApplicationTest, ApplySendsTheThreeTablesThenResets) {
    setServers({});
    setValue(0x371c, {});
    device.failSetOf(0x3717);
    open();
    ASSERT_TRUE(driver->pressOK());
    const auto w = writes();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].variables, (std::vector<int>{0x3717, 0x371e, 0x371c}));
    EXPECT_EQ(w[0].number, 0);
    EXPECT_EQ(device::entryLength(w[0].values[0]), 210u);
    EXPECT_EQ(w[0].values[0].type, 4);
    EXPECT_EQ(device::entryLength(w[0].values[2]), 210u);
    EXPECT_EQ(w[0].values[2].type, 4);
    EXPECT_EQ(w[1].variables, std::vector<int>{0x0001});
    EXPECT_EQ(host.messageTexts(),
              (std::vector<std::string>{"IPSSetInfo fail", "Device reset finished"}));
}

} // namespace
} // namespace tolvaro::pages
