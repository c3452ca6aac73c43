// The safety net around Setup's OK and Load against simulated routers: a
// snapshot before the first write, none when nothing is written, the verify
// after the restart, and the way back through the snapshot.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

#include <unistd.h>

#include "app/config_transfer.h"
#include "app/main_dlg.h"
#include "app/main_operations.h"
#include "app/write_safety.h"
#include "device/catalogue.h"
#include "device/config_file.h"
#include "device/fetch.h"
#include "device/login_rule.h"
#include "device/snapshots.h"
#include "device/verify.h"
#include "res/ids/access_control_ids.h"
#include "res/ids/group_setup_ids.h"
#include "res/ids/lan_ids.h"
#include "res/ids/quick_setup_ids.h"
#include "support/forwarding_link.h"
#include "support/utility_on_loopback.h"
#include "unit/pages/access/access_records.h"

namespace tolvaro::app {
namespace {

namespace fs = std::filesystem;
namespace qs = res::quick_setup;
namespace lan = res::lan;
namespace access = res::access_control;
namespace groups = res::group_setup;

// A router that answers every write of one variable with success and keeps
// its old value: the fault the verify exists for.
class DroppingLink final : public test::ForwardingLink {
public:
    DroppingLink(device::DeviceLink& inner, int dropped)
        : ForwardingLink(inner), dropped_(dropped) {}
    int setInfo(const char* ip, int mode, int count, const int* variables,
                const _snmp_packet* values) override {
        for (int i = 0; i < count; ++i)
            if (variables[i] != dropped_ &&
                inner_.setInfo(ip, mode, 1, variables + i, values + i) == 0)
                return 0;
        return 1;
    }

private:
    int dropped_;
};

class SafetyOnLoopback : public testing::Test {
protected:
    void SetUp() override {
        root = fs::path(testing::TempDir()) /
               ("safety-" +
                std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root);
    }
    void TearDown() override { fs::remove_all(root); }

    // Setup on the first row through `context`, the sheet answered by `sheet`.
    void setup(AppContext& context, std::function<void(ui::ScriptedSheetDriver&)> sheet) {
        CMainDlg main(context, standardOperations(context));
        auto window = utility.host.open(main);
        ASSERT_GE(window.listCount(kMainRouterList), 1);
        utility.host.expectSheet(std::move(sheet));
        window.pressEnter();
    }

    static void changeAccount(ui::ScriptedSheetDriver& sheet) {
        sheet.page().type(qs::kAccountName, "new@isp.example");
        ASSERT_TRUE(sheet.pressOK());
    }

    test::UtilityOnLoopback utility;
    fs::path root;
    device::SnapshotStore snapshots{""};
};

TEST_F(SafetyOnLoopback, SetupKeepsASnapshotBeforeItWritesAndVerifiesSilently) {
    auto& router = utility.add(test::routerConfig(2, "Office", "127.0.0.231"));
    const std::string before = test::UtilityOnLoopback::text(router, 0x4002);
    snapshots = device::SnapshotStore(root.string());
    utility.context.snapshots = &snapshots;
    utility.context.verifyAfterReset = true;

    setup(utility.context, changeAccount);

    EXPECT_EQ(utility.host.messageTexts(), std::vector<std::string>{"Device reset finished"});
    EXPECT_EQ(test::UtilityOnLoopback::text(router, 0x4002), "new@isp.example");
    const auto routers = snapshots.routers();
    ASSERT_EQ(routers.size(), 1u);
    const auto listed = snapshots.list(routers[0]);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].reason, "setup");
    EXPECT_EQ(listed[0].routerName, "Office");
    // The snapshot holds what the router had before the write.
    const auto file = device::readFileBytes(listed[0].path, device::largestFileSize() + 1, nullptr);
    ASSERT_TRUE(file);
    const auto checked = device::checkConfigFile(
        *file, device::Family::Two, device::fileVersionNumber("6.5 (240918-07)").value());
    ASSERT_EQ(checked.check, device::FileCheck::Ok);
    EXPECT_EQ(device::entryText(device::fileEntryAt(*file, checked.writes[1].offset)), before);
}

// Values one page keeps for another (the DNS and idle time-out typed on Quick
// Setup, a Group Setup record) live beside what the router sent, not in it:
// the snapshot before the first write is the router as a fetch finds it, and
// the shared values still reach the router.
TEST_F(SafetyOnLoopback, SharedEditsLeaveTheSnapshotAsTheRouterSentIt) {
    const char* ip = "127.0.0.244";
    auto& router = utility.add(test::routerConfig(2, "Office", ip));
    std::vector<std::uint8_t> asFetched;
    {
        DEVICE_INFO table[kDeviceTableSize];
        int count = kDeviceTableSize;
        ASSERT_NE(utility.link->browse(table, &count), 0);
        utility.link->setCommunity(device::kFixedCommunity);
        utility.link->setSnmpPort(161);
        device::ConfigStore store(device::Family::Two);
        ASSERT_EQ(device::fetchForFile(*utility.link, ip, store), device::FetchResult::Ok);
        asFetched = device::snapshotFile(store).value();
    }
    const std::string dnsBefore = test::UtilityOnLoopback::text(router, 0x4004);
    ASSERT_NE(dnsBefore, "198.51.100.7");
    ASSERT_NE(test::UtilityOnLoopback::integer(router, 0x4024), 1234);
    const auto group1Before = test::UtilityOnLoopback::bytes(router, 0x3402);
    ASSERT_NE(test::groupIn(group1Before.data(), group1Before.size()).mode, 1);
    snapshots = device::SnapshotStore(root.string());
    utility.context.snapshots = &snapshots;

    setup(utility.context, [&](ui::ScriptedSheetDriver& sheet) {
        auto quick = sheet.page();
        quick.type(qs::kIdleTimeout, "1234");
        const char* dns[] = {"198", "51", "100", "7"};
        for (std::size_t i = 0; i < 4; ++i)
            quick.type(qs::kDns[i], dns[i]);
        ASSERT_TRUE(sheet.selectPage(3));
        EXPECT_EQ(sheet.page().text(lan::kDns1[3]), "7") << "the LAN page shows Quick Setup's DNS";
        ASSERT_TRUE(sheet.selectPage(5));
        auto page = sheet.page();
        page.select(access::kGroup, "Group1");
        utility.host.expectDialog(groups::kTemplate, [](ui::ScriptedDialogDriver& d) {
            d.click(groups::kBlockAll);
            d.click(ui::kIdOk);
        });
        page.click(access::kGroupSetup);
        ASSERT_TRUE(sheet.pressOK());
    });

    EXPECT_EQ(utility.host.messageTexts(), std::vector<std::string>{"Device reset finished"});
    const auto listed = snapshots.list(snapshots.routers().at(0));
    ASSERT_EQ(listed.size(), 1u);
    const auto kept = device::readFileBytes(listed[0].path, device::largestFileSize() + 1, nullptr);
    ASSERT_TRUE(kept);
    EXPECT_TRUE(*kept == asFetched) << "the snapshot is not the router as it was";
    EXPECT_EQ(test::UtilityOnLoopback::text(router, 0x4004), "198.51.100.7");
    EXPECT_EQ(test::UtilityOnLoopback::text(router, 0x3012), "198.51.100.7");
    EXPECT_EQ(test::UtilityOnLoopback::integer(router, 0x4024), 1234);
    const auto group1 = test::UtilityOnLoopback::bytes(router, 0x3402);
    EXPECT_EQ(test::groupIn(group1.data(), group1.size()).mode, 1);
}

TEST_F(SafetyOnLoopback, CancelTakesNoSnapshot) {
    utility.add(test::routerConfig(1, "Office", "127.0.0.232"));
    snapshots = device::SnapshotStore(root.string());
    utility.context.snapshots = &snapshots;
    setup(utility.context, [](ui::ScriptedSheetDriver& sheet) { sheet.pressCancel(); });
    EXPECT_TRUE(snapshots.routers().empty());
}

TEST_F(SafetyOnLoopback, ASettingThatDidNotTakeIsNamedAfterTheResetMessage) {
    utility.add(test::routerConfig(2, "Office", "127.0.0.233"));
    DroppingLink dropping(*utility.link, 0x4002);
    AppContext context{utility.state, utility.host, dropping};
    context.verifyAfterReset = true;

    setup(context, changeAccount);

    const auto texts = utility.host.messageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "Device reset finished");
    EXPECT_NE(texts[1].find("Quick Setup / Account Name: the router has"), std::string::npos)
        << texts[1];
    EXPECT_NE(texts[1].find("sent \"new@isp.example\""), std::string::npos) << texts[1];
    // Only the dropped one: every other write took.
    EXPECT_EQ(std::count(texts[1].begin(), texts[1].end(), '\n'), 2) << texts[1];
}

TEST_F(SafetyOnLoopback, AnUnwritableSnapshotAsksAndNoStopsEveryWrite) {
    auto& router = utility.add(test::routerConfig(2, "Office", "127.0.0.234"));
    const std::string before = test::UtilityOnLoopback::text(router, 0x4002);
    fs::create_directories(root);
    std::ofstream(root / "file") << "x";
    snapshots = device::SnapshotStore((root / "file").string());
    utility.context.snapshots = &snapshots;
    utility.host.answerMessage(ui::Answer::No);

    setup(utility.context, changeAccount);

    ASSERT_EQ(utility.host.messages().size(), 1u);
    EXPECT_EQ(utility.host.messages()[0].icon, ui::Icon::Warning);
    EXPECT_EQ(test::UtilityOnLoopback::text(router, 0x4002), before);
    EXPECT_TRUE(utility.host.progressWindows().empty());
}

TEST_F(SafetyOnLoopback, VerifyFindsAMovedRouterByItsHardwareAddress) {
    auto& router = utility.add(test::routerConfig(2, "Office", "127.0.0.235"));
    DEVICE_INFO table[kDeviceTableSize];
    int count = kDeviceTableSize;
    ASSERT_NE(utility.link->browse(table, &count), 0);
    utility.link->setCommunity(device::kFixedCommunity);
    utility.link->setSnmpPort(161);
    const auto hardware = device::readHardwareAddress(*utility.link, "127.0.0.235");
    ASSERT_TRUE(hardware);

    _snmp_packet entry{};
    entry.type = kTypeOctetString;
    device::setEntryText(entry, test::UtilityOnLoopback::text(router, 0x4002));
    const std::vector<device::SentEntry> sent{{0x4002, 0, entry}};
    // Nothing answers at the old address any more: only reads there wait
    // briefly, those at the router's address as long as ever.
    struct BriefAtOldAddress : test::ForwardingLink {
        using ForwardingLink::ForwardingLink;
        int getInfo(const char* ip, int mode, int count, const int* variables,
                    MIB_RESPONSE* result) override {
            std::optional<test::BriefWait> unanswered;
            if (std::string_view(ip) == "127.0.0.199")
                unanswered.emplace();
            return inner_.getInfo(ip, mode, count, variables, result);
        }
    } link(*utility.link);
    const auto result = device::verifyWrites(link, "127.0.0.199", *hardware, sent);
    EXPECT_EQ(result.outcome, device::VerifyOutcome::AllTook);
    EXPECT_TRUE(result.moved);
    EXPECT_EQ(result.address, "127.0.0.235");

    device::HardwareAddress other = *hardware;
    other[5] ^= 1;
    EXPECT_EQ(device::verifyWrites(link, "127.0.0.199", other, sent).outcome,
              device::VerifyOutcome::NotFound);
}

TEST_F(SafetyOnLoopback, LoadingTheSnapshotPutsTheRouterBack) {
    auto& router = utility.add(test::routerConfig(2, "Office", "127.0.0.236"));
    const auto original = router.settings();
    snapshots = device::SnapshotStore(root.string());
    utility.context.snapshots = &snapshots;
    utility.context.verifyAfterReset = true;
    setup(utility.context, changeAccount);
    ASSERT_NE(router.settings(), original);
    const auto listed = snapshots.list(snapshots.routers().at(0));
    ASSERT_EQ(listed.size(), 1u);

    utility.host.clearRecords();
    utility.host.answerMessage(ui::Answer::Yes);
    utility.host.answerFileDialog(listed[0].path);
    CMainDlg main(utility.context, standardOperations(utility.context));
    [[maybe_unused]] auto window = utility.host.open(main);
    runLoad(utility.context, main);

    EXPECT_EQ(utility.host.messageTexts().back(), "device reset finshed");
    EXPECT_EQ(router.settings(), original);
    // The Load kept its own snapshot first.
    EXPECT_EQ(snapshots.list(snapshots.routers().at(0)).size(), 2u);
}

// A file that sets another administrator password: after the restart the
// router answers to the new one only, so the verify must ask with it.
TEST_F(SafetyOnLoopback, VerifyAfterALoadThatChangesThePasswordAsksWithTheNewOne) {
    auto config = test::routerConfig(2, "Office", "127.0.0.237");
    config.password = "old";
    auto& router = utility.add(config);
    snapshots = device::SnapshotStore(root.string());
    utility.context.snapshots = &snapshots;
    utility.context.verifyAfterReset = true;
    CMainDlg main(utility.context, standardOperations(utility.context));
    [[maybe_unused]] auto window = utility.host.open(main);
    utility.link->setCommunity("old");
    utility.link->setSnmpPort(161);
    device::ConfigStore store(device::Family::Two);
    ASSERT_EQ(device::fetchForFile(*utility.link, "127.0.0.237", store), device::FetchResult::Ok);
    std::vector<std::uint8_t> file =
        device::buildConfigFile(store, *device::fileVersionNumber(store));
    const std::size_t at = 18 + *device::slotOf(device::Family::Two, 0x0106) * 1504;
    _snmp_packet entry = device::fileEntryAt(file, at);
    device::setEntryText(entry, "new");
    std::memcpy(file.data() + at, &entry, sizeof entry);
    const fs::path path = root / "new-password.cfg";
    fs::create_directories(root);
    ASSERT_TRUE(device::writeFileReplacing(path.string(), file, nullptr));

    loadFile(utility.context, main, path.string(), device::SnapshotReason::Load);

    EXPECT_EQ(utility.host.messageTexts(), std::vector<std::string>{"device reset finshed"});
    EXPECT_EQ(test::UtilityOnLoopback::text(router, 0x0106), "new");
    const auto listed = snapshots.list(snapshots.routers().at(0));
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].note, "password changed");
}

// Two rows with one hardware address: a copy, a misconfigured router or an
// impostor. Whichever row is chosen, nothing reaches either.
TEST_F(SafetyOnLoopback, TwinRowsAreListedAndEveryOperationOnThemRefused) {
    auto one = test::routerConfig(2, "HQ", "127.0.0.238");
    auto two = test::routerConfig(2, "HQ", "127.0.0.239");
    one.hardware = two.hardware = routersim::HardwareAddress{0x02, 0x4B, 0x56, 0x00, 0x09, 0x02};
    utility.add(one);
    utility.add(two);
    snapshots = device::SnapshotStore(root.string());
    utility.context.snapshots = &snapshots;
    CMainDlg main(utility.context, standardOperations(utility.context));
    auto window = utility.host.open(main);
    ASSERT_EQ(window.listCount(kMainRouterList), 2);
    for (const int row : {0, 1}) {
        window.clickRow(kMainRouterList, row);
        for (const int button : {kMainSave, kMainLoad, kMainIpAddress}) {
            utility.host.clearRecords();
            window.click(button);
            const auto texts = utility.host.messageTexts();
            ASSERT_EQ(texts.size(), 1u) << button;
            EXPECT_EQ(texts[0].rfind("2 routers announce the hardware address "
                                     "02:4B:56:00:09:02:\n  127.0.0.23",
                                     0),
                      0u)
                << texts[0];
        }
        utility.host.clearRecords();
        window.pressEnter();
        EXPECT_EQ(utility.host.messageTexts().size(), 1u) << "Setup refused too";
    }
    EXPECT_TRUE(snapshots.routers().empty());
}

// Another program writing to the router: Setup's OK says who, and writes
// nothing.
TEST_F(SafetyOnLoopback, SetupIsRefusedWhileAnotherProgramWritesTheRouter) {
    auto& router = utility.add(test::routerConfig(2, "Office", "127.0.0.240"));
    const std::string before = test::UtilityOnLoopback::text(router, 0x4002);
    snapshots = device::SnapshotStore(root.string());
    utility.context.snapshots = &snapshots;
    std::string key = routersim::formatHardware(router.hardware());
    std::replace(key.begin(), key.end(), ':', '-');
    const device::WriterLock held = snapshots.lockWriter(key, "tolvaro-cli");
    ASSERT_TRUE(held.held());

    setup(utility.context, changeAccount);

    const auto texts = utility.host.messageTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0].rfind("Another program is writing to the router 127.0.0.240: tolvaro-cli "
                             "(PID " +
                                 std::to_string(::getpid()) + ")",
                             0),
              0u)
        << texts[0];
    EXPECT_EQ(test::UtilityOnLoopback::text(router, 0x4002), before);
    EXPECT_FALSE(router.restarting());
}

} // namespace
} // namespace tolvaro::app
