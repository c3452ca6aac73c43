#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "internet_application_records.h"
#include "pages/lan/virtual_server_dlg.h"
#include "res/ids/virtual_server_ids.h"
#include "support/recording_device.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::virtual_server;
namespace text = virtual_server_text;
using test::makeServer;
using ui::ScriptedDialogDriver;

struct Entry {
    const char* name = "ftp";
    std::array<const char*, 4> address{"192", "168", "1", "20"};
    const char* external = "21";
    const char* internal = "21";
};

void fill(ScriptedDialogDriver& d, const Entry& e) {
    d.type(ids::kName, e.name);
    for (std::size_t i = 0; i < 4; ++i)
        d.type(ids::kServerIp[i], e.address[i]);
    d.type(ids::kExternalPort, e.external);
    d.type(ids::kInternalPort, e.internal);
}

class VirtualServerDlgTest : public testing::Test {
protected:
    VirtualServerDlgTest() {
        servers.emplace_back(makeServer("web", 80));
        servers.emplace_back(makeServer("mail", 25));
    }
    ScriptedDialogDriver open(EditMode mode, int ownRow) {
        dialog =
            std::make_unique<CVirtualServerDlg>(record, mode, &cancelled, ownRow, servers, router);
        return host.open(*dialog);
    }

    ServerList servers;
    DEVICE_INFO router = test::makeRouter("Office", "192.168.1.1");
    LOCAL_S record = makeServer("old", 7, 7, 1, 1, {10, 0, 0, 1});
    int cancelled = 0;
    ui::ScriptedHost host;
    std::unique_ptr<CVirtualServerDlg> dialog;
};

struct CheckRow {
    const char* name;
    Entry entry;
    const char* message;
    EditMode mode = EditMode::New;
    int ownRow = kNewRecordRow;
};

class VirtualServerChecks : public VirtualServerDlgTest,
                            public testing::WithParamInterface<CheckRow> {};

TEST_P(VirtualServerChecks, StopAtTheFirstFailureAndKeepTheRecord) {
    const CheckRow& row = GetParam();
    const LOCAL_S before = record;
    auto d = open(row.mode, row.ownRow);
    fill(d, row.entry);
    d.click(ui::kIdOk);
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{row.message});
    EXPECT_TRUE(d.isOpen());
    EXPECT_EQ(std::memcmp(&before, &record, sizeof record), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Order, VirtualServerChecks,
    testing::Values(
        CheckRow{"AddressFieldEmpty", {.address = {"192", "168", "1", ""}}, text::kAddressEmpty},
        CheckRow{"AddressBeforeName",
                 {.name = "", .address = {"", "", "", ""}, .external = "", .internal = ""},
                 text::kAddressEmpty},
        CheckRow{"OctetAbove255", {.address = {"192", "168", "1", "256"}}, text::kAddressRange},
        CheckRow{"OtherNetwork", {.address = {"192", "168", "2", "5"}}, text::kOtherNetwork},
        CheckRow{"NoName", {.name = ""}, "Please enter server name."},
        CheckRow{"NameBeforePorts", {.name = "", .external = "", .internal = ""}, text::kNoName},
        CheckRow{"NoPort",
                 {.external = "", .internal = ""},
                 "Please enter external or internal  port number."},
        CheckRow{"External65535", {.external = "65535"}, text::kExternalRange},
        CheckRow{"InternalZero", {.internal = "0"}, "External  port number should be 1-65534."},
        CheckRow{"PortOfAnotherServer", {.name = "www", .external = "80"}, text::kPortInUse},
        CheckRow{"NameOfAnotherServer", {.name = "mail", .external = "2525"}, text::kNameInUse},
        // Only the edited row itself is skipped.
        CheckRow{"EditedIntoAnotherRowsPort",
                 {.name = "web", .external = "25"},
                 text::kPortInUse,
                 EditMode::Edit,
                 0}),
    [](const auto& info) { return info.param.name; });

TEST_F(VirtualServerDlgTest, AcceptedEntryFillsTheRecordAndAnEmptyInternalPortTakesTheExternal) {
    auto d = open(EditMode::New, kNewRecordRow);
    fill(d, {.name = "FTP", .external = "2121", .internal = ""});
    d.click(ids::kEnable);
    d.select(ids::kProtocol, "TCP");
    d.click(ui::kIdOk);
    EXPECT_TRUE(host.messageTexts().empty());
    EXPECT_FALSE(d.isOpen());
    EXPECT_EQ(recordName(record.name), "ftp");
    EXPECT_EQ(d.text(ids::kInternalPort), "2121");
    EXPECT_EQ(record.externalPort, 2121);
    EXPECT_EQ(record.internalPort, 2121);
    EXPECT_EQ(record.enabled, 1);
    EXPECT_EQ(record.protocol, 1);
    EXPECT_EQ(std::vector<int>(record.address, record.address + 4),
              (std::vector<int>{192, 168, 1, 20}));
    EXPECT_EQ(cancelled, 0);
}

TEST_F(VirtualServerDlgTest, EmptyExternalPortTakesTheInternalAndTheEditShowsIt) {
    auto d = open(EditMode::New, kNewRecordRow);
    fill(d, {.external = "", .internal = "8080"});
    d.click(ui::kIdOk);
    EXPECT_EQ(d.text(ids::kExternalPort), "8080");
    EXPECT_EQ(record.externalPort, 8080);
}

TEST_F(VirtualServerDlgTest, EditShowsTheRecordAndPassesItsOwnRow) {
    servers[0].server.enabled = 2;
    servers[0].server.protocol = 7;
    record = servers[0].server;
    auto d = open(EditMode::Edit, 0);
    EXPECT_EQ(d.text(ids::kName), "web");
    EXPECT_EQ(d.text(ids::kExternalPort), "80");
    EXPECT_EQ(d.text(ids::kServerIp[3]), "10");
    EXPECT_FALSE(d.isChecked(ids::kEnable)); // shown as "Off" in the list too
    EXPECT_EQ(d.comboSelection(ids::kProtocol), 1);
    d.click(ui::kIdOk);
    EXPECT_FALSE(d.isOpen());
    EXPECT_TRUE(host.messageTexts().empty());
}

TEST_F(VirtualServerDlgTest, CancelAfterARefusalReportsItAndKeepsTheRecord) {
    const LOCAL_S before = record;
    auto d = open(EditMode::New, kNewRecordRow);
    fill(d, {.external = "65535"});
    d.click(ui::kIdOk);
    d.click(ui::kIdCancel);
    EXPECT_FALSE(d.isOpen());
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(std::memcmp(&before, &record, sizeof record), 0);
}

} // namespace
} // namespace tolvaro::pages
