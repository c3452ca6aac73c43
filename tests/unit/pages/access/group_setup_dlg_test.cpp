#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "access_records.h"
#include "pages/access/group_setup_dlg.h"
#include "pages/store_access.h"
#include "res/ids/filter_port_ids.h"
#include "res/ids/group_setup_ids.h"
#include "support/list_choice.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::group_setup;
namespace port = res::filter_port;
using ui::ScriptedDialogDriver;
using Rows = std::vector<std::vector<std::string>>;

class GroupSetupTest : public testing::Test {
protected:
    GroupSetupTest() {
        for (int g = 0; g < 5; ++g)
            test::setGroup(store, g, 0, 0, 2);
    }
    static Rows rows(const ScriptedDialogDriver& d, int from) {
        Rows out;
        for (int row = from; row < d.listCount(ids::kPortList); ++row) {
            out.emplace_back();
            for (int c = 0; c < 4; ++c)
                out.back().push_back(d.listText(ids::kPortList, row, c));
        }
        return out;
    }
    S_GPCFG sentGroup(int g) const {
        const _snmp_packet& e = writeEntry(store, 0x3401 + g);
        EXPECT_EQ(device::entryLength(e), 12u);
        return test::groupIn(e.value, device::entryLength(e));
    }
    std::string sent(int variable) const { return device::entryText(writeEntry(store, variable)); }

    device::ConfigStore store{device::Family::Two};
    ui::ScriptedHost host;
};

struct ModeRow {
    const char* name;
    std::uint8_t mode;
    int checked; // 0: no radio
    bool listEnabled;
};

class GroupSetupModes : public GroupSetupTest, public testing::WithParamInterface<ModeRow> {};

TEST_P(GroupSetupModes, StartChecksTheModeAndEnablesTheList) {
    test::setGroup(store, 2, 0, 0, GetParam().mode);
    CGroupSetupDlg dlg(store, 2);
    auto d = host.open(dlg);
    EXPECT_EQ(d.caption(), "Group2");
    for (const int id : {ids::kNoRestriction, ids::kBlockAll, ids::kUseList})
        EXPECT_EQ(d.isChecked(id), id == GetParam().checked) << id;
    for (const int id : {ids::kPortList, ids::kAddPort, ids::kDeletePort})
        EXPECT_EQ(d.isEnabled(id), GetParam().listEnabled) << id;
}

INSTANTIATE_TEST_SUITE_P(Modes, GroupSetupModes,
                         testing::Values(ModeRow{"NoRestriction", 0, ids::kNoRestriction, false},
                                         ModeRow{"BlockAll", 1, ids::kBlockAll, false},
                                         ModeRow{"UseList", 2, ids::kUseList, true},
                                         ModeRow{"Unknown", 7, 0, true}),
                         [](const auto& info) { return info.param.name; });

TEST_F(GroupSetupTest, OkWritesModeMasksPortsAndValuesIntoBothImages) {
    test::setGroup(store, 0, 0x1, 0, 0);
    test::setUserPorts(store, {{"game", 40000}}, {{"vnc", 5900}});
    CGroupSetupDlg dlg(store, 0);
    auto d = host.open(dlg);
    EXPECT_EQ(rows(d, 0).at(0), (std::vector<std::string>{"Block", "irc", "TCP", "194"}));
    EXPECT_EQ(rows(d, 13),
              (Rows{{"Allow", "game", "UDP", "40000"}, {"Allow", "vnc", "TCP", "5900"}}));
    d.click(ids::kUseList);
    for (const int row : {5, 8, 0, 13}) // http, raudio, irc back to Allow, game
        d.doubleClickRow(ids::kPortList, row);
    d.click(ui::kIdOk);
    ASSERT_FALSE(d.isOpen());

    const S_GPCFG own = sentGroup(0);
    EXPECT_EQ(own.wellKnownMask, (1u << 5) | (1u << 11));
    EXPECT_EQ(own.userPortMask, 1u);
    EXPECT_EQ(own.mode, 2);
    for (const int list : {0x3301, 0x3302}) {
        EXPECT_EQ(device::entryLength(writeEntry(store, list)), 96u);
        EXPECT_EQ(device::entryLength(sheetEntry(store, list)), 6u);
    }
    EXPECT_EQ(sent(0x3301), "game");
    // 40000 in the high half is a negative 32-bit number.
    EXPECT_EQ(sent(0x3701), "-1673527296");
    EXPECT_EQ(device::entryLength(writeEntry(store, 0x3701)), 11u);
    EXPECT_EQ(sent(0x3702), "5900");
    EXPECT_EQ(sent(0x3715), "0");
}

TEST_F(GroupSetupTest, DeleteAndAddRefuseWhatTheyMustNotChange) {
    std::vector<TCPUDP_PORT> udp(15, TCPUDP_PORT{"p", 1000});
    test::setUserPorts(store, udp, {{"vnc", 5900}});
    CGroupSetupDlg dlg(store, 0);
    auto d = host.open(dlg);
    ASSERT_EQ(d.listCount(ids::kPortList), 29);
    d.click(ids::kAddPort); // no Filter Port dialog is scripted: opening one would throw
    d.click(ids::kDeletePort);
    d.clickRow(ids::kPortList, 6);
    d.click(ids::kDeletePort);
    d.clickRow(ids::kPortList, 28);
    d.click(ids::kDeletePort);
    EXPECT_EQ(
        host.messageTexts(),
        (std::vector<std::string>{"NO. of User Defined Port should not exceed 16",
                                  "You have to select a Port", "Can't change Well-Known Port"}));
    EXPECT_EQ(d.listCount(ids::kPortList), 28);
}

// UDP ports are numbered first, so a new UDP port pushes every TCP port's
// bit up by one, in every group.
TEST_F(GroupSetupTest, ANewUdpPortRenumbersTheTcpPortsAndTheirBitsMoveAlong) {
    test::setUserPorts(store, {{"a", 1000}}, {{"t1", 2000}, {"t2", 3000}});
    test::setGroup(store, 0, 0, 0x1, 2);
    test::setGroup(store, 2, 0, 0x2, 2);
    test::setGroup(store, 3, 0, 0x4 | 0x10000, 2);
    CGroupSetupDlg dlg(store, 0);
    auto d = host.open(dlg);
    host.expectDialog(port::kTemplate, [](ScriptedDialogDriver& f) {
        f.type(port::kName, "b");
        f.type(port::kPort, "1500");
        f.click(ui::kIdOk);
    });
    d.click(ids::kAddPort);
    const std::string last = std::to_string(d.listCount(ids::kPortList) - 1);
    EXPECT_EQ(test::listChoice(d, ids::kPortList), "mark " + last + ", highlighted " + last);
    d.click(ui::kIdOk);

    EXPECT_EQ(sentGroup(0).userPortMask, 0x1u);
    EXPECT_EQ(sentGroup(2).userPortMask, 0x4u);
    EXPECT_EQ(sentGroup(3).userPortMask, 0x8u | 0x10000u); // bits 16-31 are not ours
    EXPECT_EQ(sent(0x3702), std::to_string(1500 << 16));
    EXPECT_EQ(sent(0x3704), "3000");

    // Another group sees the ports as they now stand, with its own bits.
    CGroupSetupDlg other(store, 3);
    auto o = host.open(other);
    EXPECT_EQ(rows(o, 13), (Rows{{"Allow", "a", "UDP", "1000"},
                                 {"Allow", "b", "UDP", "1500"},
                                 {"Allow", "t1", "TCP", "2000"},
                                 {"Block", "t2", "TCP", "3000"}}));
}

TEST_F(GroupSetupTest, CancelLeavesTheStoreAlone) {
    test::setUserPorts(store, {{"a", 1000}}, {});
    const auto sheet = [&] {
        std::vector<MIB_RESPONSE> shown;
        for (int s = 0; s < store.slotCount(); ++s)
            shown.push_back(store.sheet(s));
        return shown;
    };
    const std::vector<MIB_RESPONSE> before = sheet();
    CGroupSetupDlg dlg(store, 0);
    auto d = host.open(dlg);
    d.doubleClickRow(ids::kPortList, 0);
    d.click(ids::kBlockAll);
    d.click(ui::kIdCancel);
    EXPECT_EQ(std::memcmp(before.data(), sheet().data(), before.size() * sizeof before[0]), 0);
    EXPECT_EQ(device::entryLength(writeEntry(store, 0x3401)), 0u);
}

} // namespace
} // namespace tolvaro::pages
