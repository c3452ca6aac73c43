// The Snapshots and Compare windows against simulated routers: what Setup
// kept is listed and can be loaded back, a compare names exactly the
// settings that differ and writes nothing, and Delete asks first.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/compare_dlg.h"
#include "app/main_dlg.h"
#include "app/main_operations.h"
#include "app/snapshots_dlg.h"
#include "device/config_file.h"
#include "device/fetch.h"
#include "device/login_rule.h"
#include "device/snapshots.h"
#include "res/ids/quick_setup_ids.h"
#include "support/forwarding_link.h"
#include "support/utility_on_loopback.h"

namespace tolvaro::app {
namespace {

namespace fs = std::filesystem;
namespace shots = res::snapshots;
namespace cmp = res::compare;

// Counts the writes that reach the router.
class CountingLink final : public test::ForwardingLink {
public:
    using ForwardingLink::ForwardingLink;
    int setInfo(const char* ip, int mode, int count, const int* variables,
                const _snmp_packet* values) override {
        writes += count;
        return ForwardingLink::setInfo(ip, mode, count, variables, values);
    }
    int udpSetIp(const DEVICE_INFO* d, int r, const char* a, const char* b, const char* m,
                 unsigned char f) override {
        ++writes;
        return ForwardingLink::udpSetIp(d, r, a, b, m, f);
    }
    int writes = 0;
};

class SnapshotsWindow : public testing::Test {
protected:
    void SetUp() override {
        root = fs::path(testing::TempDir()) /
               ("snapwin-" +
                std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root);
        snapshots = device::SnapshotStore(root.string());
        utility.context.snapshots = &snapshots;
        utility.context.verifyAfterReset = true;
    }
    void TearDown() override { fs::remove_all(root); }

    // The router's configuration as Save writes it, read straight from it.
    std::vector<std::uint8_t> routerFile(const std::string& ip, device::ConfigStore& store) {
        // Discovery tells the library which port the router answers on.
        DEVICE_INFO table[kDeviceTableSize];
        int count = kDeviceTableSize;
        EXPECT_NE(utility.link->browse(table, &count), 0);
        utility.link->setCommunity(device::kFixedCommunity);
        utility.link->setSnmpPort(161);
        EXPECT_EQ(device::fetchForFile(*utility.link, ip.c_str(), store), device::FetchResult::Ok);
        return device::snapshotFile(store).value();
    }

    // The router list's context menu on the first row, as the user opens
    // it, with `window` answering the window the entry opens.
    enum MenuEntry { kSnapshotsEntry, kCompareEntry };
    void fromMenu(AppContext& context, MenuEntry entry, int templateNumber,
                  std::function<void(ui::ScriptedDialogDriver&)> window) {
        CMainDlg main(context, standardOperations(context));
        auto shown = utility.host.open(main);
        if (window)
            utility.host.expectDialog(templateNumber, std::move(window));
        utility.host.answerMenu(entry);
        shown.rightClickRow(kMainRouterList, 0);
        EXPECT_EQ(utility.host.menusShown().back(),
                  (std::vector<std::string>{"Snapshots…", "Compare with File…"}));
    }

    test::UtilityOnLoopback utility;
    fs::path root;
    device::SnapshotStore snapshots{""};
};

TEST_F(SnapshotsWindow, ListsWhatSetupKeptAndRestoreOfItPutsTheRouterBack) {
    auto& router = utility.add(test::routerConfig(2, "Office", "127.0.0.241"));
    const auto original = router.settings();
    utility.setup([](ui::ScriptedSheetDriver& sheet) {
        sheet.page().type(res::quick_setup::kAccountName, "new@isp.example");
        // The page keeps the time-out in the read image it shares with the
        // Dial-in page: the snapshot must still hold the router's own value.
        sheet.page().type(res::quick_setup::kIdleTimeout, "7");
        ASSERT_TRUE(sheet.pressOK());
    });
    ASSERT_NE(router.settings(), original);
    const auto kept = snapshots.list(snapshots.routers().at(0));
    ASSERT_EQ(kept.size(), 1u);
    utility.host.clearRecords();

    fromMenu(utility.context, kSnapshotsEntry, shots::kTemplate, [&](ui::ScriptedDialogDriver& w) {
        ASSERT_EQ(w.listCount(shots::kList), 1);
        EXPECT_EQ(w.listText(shots::kList, 0, 0), localTimeText(kept[0].time));
        EXPECT_EQ(w.listText(shots::kList, 0, 1), "setup");
        EXPECT_EQ(w.listText(shots::kList, 0, 2), kept[0].firmware);
        EXPECT_FALSE(w.isEnabled(shots::kCompareSnapshots)) << "one snapshot has no other";

        utility.host.answerMessage(ui::Answer::Yes);
        w.click(shots::kRestore);
        EXPECT_EQ(router.settings(), original);
        ASSERT_EQ(w.listCount(shots::kList), 2);
        EXPECT_EQ(w.listText(shots::kList, 0, 1), "restore");

        // The router now holds what the setup snapshot holds.
        w.clickRow(shots::kList, 1);
        utility.host.expectDialog(cmp::kTemplate, [](ui::ScriptedDialogDriver& c) {
            EXPECT_FALSE(c.isVisible(cmp::kList));
            EXPECT_EQ(c.text(cmp::kSameNote), compare_text::kSame);
            c.click(ui::kIdOk);
        });
        w.click(shots::kCompareRouter);
        // The two snapshots differ in what the setup changed.
        utility.host.expectDialog(cmp::kTemplate, [](ui::ScriptedDialogDriver& c) {
            ASSERT_EQ(c.listCount(cmp::kList), 2);
            EXPECT_EQ(c.listText(cmp::kList, 0, 0), "Quick Setup / Account Name");
            EXPECT_EQ(c.listText(cmp::kList, 1, 0), "Quick Setup / Idle Time-out (seconds)");
            c.click(ui::kIdOk);
        });
        w.select(shots::kOther, 0);
        w.click(shots::kCompareSnapshots);
        w.click(ui::kIdOk);
    });

    const auto texts = utility.host.messageTexts();
    ASSERT_EQ(texts.size(), 2u) << "the question and the reset message, no warning";
    EXPECT_NE(texts[0].find(localTimeText(kept[0].time)), std::string::npos) << texts[0];
    EXPECT_EQ(texts[1], "device reset finshed");
}

// A snapshot changed since it was kept, or kept of another router, would put
// the wrong settings back: Restore refuses it before the first write.
TEST_F(SnapshotsWindow, RestoreRefusesAChangedOrForeignSnapshot) {
    auto& router = utility.add(test::routerConfig(2, "Office", "127.0.0.244"));
    device::ConfigStore store(device::Family::Two);
    const std::vector<std::uint8_t> now = routerFile("127.0.0.244", store);
    const std::string key = device::routerKey(store, "127.0.0.244");
    // What the snapshot holds: another account name than the router's.
    std::vector<std::uint8_t> kept = now;
    const auto checked = device::checkConfigFile(kept, device::Family::Two,
                                                 device::fileVersionNumber(store).value());
    for (const device::FileWrite& w : checked.writes) {
        if (w.variable == 0x4002 && w.mode == 0) {
            _snmp_packet entry = device::fileEntryAt(kept, w.offset);
            device::setEntryText(entry, "kept@isp.example");
            std::memcpy(kept.data() + w.offset, &entry, sizeof entry);
        }
    }
    struct Row {
        const char* name;
        const char* recordedHardware; // as the index records it; null: this router's
        bool tampered;
        std::string message; // the last message shown
    };
    const Row table[] = {
        {"TamperedFile", nullptr, true,
         "is not the file that was kept: its SHA-256 differs from the one the snapshot index "
         "recorded, so it was changed since. Nothing was written."},
        {"OtherRoutersSnapshot", "02-4B-56-00-00-99", false,
         "is a snapshot of the router 02-4B-56-00-00-99, not of this one (" + key +
             "). Nothing was written."},
        {"GoodSnapshot", nullptr, false, "device reset finshed"},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.name);
        fs::remove_all(root);
        const auto path = snapshots.take(
            key, device::SnapshotReason::Load,
            {"Office", "127.0.0.244", "", row.recordedHardware ? row.recordedHardware : key}, kept,
            nullptr);
        ASSERT_TRUE(path);
        if (row.tampered) {
            std::fstream f(*path, std::ios::in | std::ios::out | std::ios::binary);
            f.seekp(18 + 1504 + 4);
            f.write("evil", 4);
        }
        const routersim::Settings before = router.settings();
        CountingLink counting(*utility.link);
        AppContext context{utility.state, utility.host, counting};
        context.snapshots = &snapshots;
        context.verifyAfterReset = true;
        utility.host.clearRecords();
        fromMenu(context, kSnapshotsEntry, shots::kTemplate, [&](ui::ScriptedDialogDriver& w) {
            utility.host.answerMessage(ui::Answer::Yes);
            w.click(shots::kRestore);
            w.pressEscape();
        });
        const auto texts = utility.host.messageTexts();
        ASSERT_EQ(texts.size(), 2u) << "the question, then the outcome";
        EXPECT_TRUE(texts[1].ends_with(row.message)) << texts[1];
        const bool refused = row.message != "device reset finshed";
        if (refused) {
            EXPECT_TRUE(texts[1].starts_with(*path)) << texts[1];
            EXPECT_EQ(utility.host.messages()[1].icon, ui::Icon::Stop);
            EXPECT_EQ(counting.writes, 0);
            EXPECT_EQ(router.settings(), before);
        } else {
            EXPECT_EQ(test::UtilityOnLoopback::text(router, 0x4002), "kept@isp.example");
        }
    }
}

TEST_F(SnapshotsWindow, DeleteRemovesTheSnapshotOnlyAfterYes) {
    utility.add(test::routerConfig(1, "Office", "127.0.0.242"));
    struct Row {
        const char* name;
        ui::Answer answer;
        bool removed;
    };
    // The first row deletes the only snapshot: the window then says so in
    // the list's place and offers nothing that needs one.
    for (const Row row : {Row{"Yes removes it", ui::Answer::Yes, true},
                          Row{"No keeps it", ui::Answer::No, false}}) {
        SCOPED_TRACE(row.name);
        device::ConfigStore store(device::Family::One);
        const auto file = routerFile("127.0.0.242", store);
        // The newest, so the window's first row.
        const auto path =
            snapshots.take(device::routerKey(store, "127.0.0.242"), device::SnapshotReason::Load,
                           {"Office", "127.0.0.242", ""}, file, nullptr);
        ASSERT_TRUE(path);
        utility.host.clearRecords();
        fromMenu(utility.context, kSnapshotsEntry, shots::kTemplate,
                 [&](ui::ScriptedDialogDriver& w) {
                     const int before = w.listCount(shots::kList);
                     utility.host.answerMessage(row.answer);
                     w.click(shots::kDelete);
                     const int after = w.listCount(shots::kList);
                     EXPECT_EQ(after, before - (row.removed ? 1 : 0));
                     EXPECT_EQ(w.isVisible(shots::kNoneNote), after == 0);
                     EXPECT_EQ(w.isEnabled(shots::kRestore), after > 0);
                     w.pressEscape();
                 });
        EXPECT_EQ(fs::exists(*path), !row.removed);
        ASSERT_EQ(utility.host.messages().size(), 1u);
        EXPECT_EQ(utility.host.messages()[0].buttons, ui::Buttons::YesNo);
    }
}

TEST_F(SnapshotsWindow, CompareWithFileNamesExactlyTheChangedSettingsAndWritesNothing) {
    auto& router = utility.add(test::routerConfig(2, "Office", "127.0.0.243"));
    const std::string account = test::UtilityOnLoopback::text(router, 0x4002);
    device::ConfigStore store(device::Family::Two);
    const std::vector<std::uint8_t> same = routerFile("127.0.0.243", store);
    const auto changed = [&](int variable, const char* value) {
        std::vector<std::uint8_t> file = same;
        const auto checked = device::checkConfigFile(file, device::Family::Two,
                                                     device::fileVersionNumber(store).value());
        for (const device::FileWrite& w : checked.writes) {
            if (w.variable == variable && w.mode == 0) {
                _snmp_packet entry = device::fileEntryAt(file, w.offset);
                device::setEntryText(entry, value);
                std::memcpy(file.data() + w.offset, &entry, sizeof entry);
            }
        }
        return file;
    };
    struct Row {
        const char* name;
        std::vector<std::uint8_t> file;
        // Setting, router's value, file's value; none: no differences.
        std::vector<std::array<std::string, 3>> rows;
        const char* refusal = nullptr;
    };
    const Row table[] = {
        {"SameFile", same, {}},
        {"AccountName",
         changed(0x4002, "other@isp.example"),
         {{"Quick Setup / Account Name", "\"" + account + "\"", "\"other@isp.example\""}}},
        {"PasswordNeverShown",
         changed(0x4003, "s3cret"),
         {{"Quick Setup / Account Password", "(set)", "(set, differs)"}}},
        {"NotAConfigurationFile", {'x', 'y'}, {}, "Configuration file format error"},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.name);
        const fs::path path = root / (std::string(row.name) + ".cfg");
        fs::create_directories(root);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(row.file.data()),
                   static_cast<std::streamsize>(row.file.size()));
        CountingLink counting(*utility.link);
        AppContext context{utility.state, utility.host, counting};
        utility.host.clearRecords();
        utility.host.answerFileDialog(path.string());
        std::function<void(ui::ScriptedDialogDriver&)> window;
        if (!row.refusal)
            window = [&](ui::ScriptedDialogDriver& c) {
                EXPECT_EQ(c.isVisible(cmp::kSameNote), row.rows.empty());
                EXPECT_EQ(c.listColumns(cmp::kList),
                          (std::vector<std::string>{"Setting", "Router", "File"}));
                ASSERT_EQ(c.listCount(cmp::kList), static_cast<int>(row.rows.size()));
                for (int r = 0; r < c.listCount(cmp::kList); ++r)
                    for (int col = 0; col < 3; ++col)
                        EXPECT_EQ(
                            c.listText(cmp::kList, r, col),
                            row.rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(col)]);
                c.click(ui::kIdOk);
            };
        fromMenu(context, kCompareEntry, cmp::kTemplate, window);
        EXPECT_EQ(counting.writes, 0);
        if (row.refusal) {
            EXPECT_EQ(utility.host.messageTexts(), std::vector<std::string>{row.refusal});
        } else {
            EXPECT_TRUE(utility.host.messages().empty());
        }
    }
}

} // namespace
} // namespace tolvaro::app
