#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/config_transfer.h"
#include "app/main_dlg.h"
#include "device/device_link.h"
#include "support/simulated_network.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::app {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFamily2Firmware = "6.5 (240918-07)";

class ConfigTransfer : public testing::Test {
protected:
    ConfigTransfer() {
        dir_ = fs::temp_directory_path() /
               ("tolvaro-config-it-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        host.onSleep([this](int ms) { net.advance(ms); });
        operations.save = [this](CMainDlg& m) {
            runSave(context, m);
        };
        operations.load = [this](CMainDlg& m) {
            runLoad(context, m);
        };
    }
    ~ConfigTransfer() override { fs::remove_all(dir_); }

    routersim::Router& addRouter(int family, const std::string& name, const std::string& address,
                                 const std::string& firmware = {}) {
        routersim::RouterConfig config;
        config.family = family;
        config.name = name;
        config.address = address;
        config.firmware = firmware;
        return net.add(config);
    }

    // Opens the main window (discovery runs) and selects the row of `name`.
    ui::ScriptedDialogDriver openAndSelect(const std::string& name) {
        main = std::make_unique<CMainDlg>(context, operations);
        auto drv = host.open(*main);
        for (int row = 0; row < drv.listCount(kMainRouterList); ++row)
            if (drv.listText(kMainRouterList, row) == name)
                drv.clickRow(kMainRouterList, row);
        host.clearRecords();
        return drv;
    }

    void save(const std::string& name, const fs::path& file) {
        auto drv = openAndSelect(name);
        host.answerFileDialog(file.string());
        drv.click(kMainSave);
    }

    void load(const std::string& name, const fs::path& file) {
        auto drv = openAndSelect(name);
        host.answerMessage(ui::Answer::Yes);
        host.answerFileDialog(file.string());
        drv.click(kMainLoad);
    }

    // Writes one variable the way a page would, to change the router.
    void writeText(const routersim::Router& router, int variable, const std::string& text) {
        // Discovery teaches the library the router's SNMP port.
        std::vector<DEVICE_INFO> table(kDeviceTableSize);
        int count = 0;
        link->browse(table.data(), &count);
        link->setCommunity("TiLvOrA");
        link->setSnmpPort(161);
        _snmp_packet entry{};
        entry.type = kTypeOctetString;
        std::memcpy(entry.value, text.data(), text.size());
        entry.length[0] = static_cast<std::uint8_t>(text.size());
        ASSERT_NE(link->setInfo(router.address().c_str(), 0, 1, &variable, &entry), 0);
    }

    // What Load shows: its question first.
    static std::vector<std::string> loadMessages(const std::string& last) {
        return {"Permanently change the Router setting", last};
    }

    static std::vector<std::uint8_t> bytesOf(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    test::SimulatedNetwork net;
    AppState state;
    ui::ScriptedHost host;
    std::unique_ptr<device::DeviceLink> link = device::makeLibraryLink();
    AppContext context{state, host, *link};
    MainOperations operations;
    std::unique_ptr<CMainDlg> main;
    fs::path dir_;
};

struct SizeRow {
    const char* name;
    int family;
    const char* firmware;
    std::size_t size;
    std::int32_t version;
};

class SavedFiles : public ConfigTransfer, public testing::WithParamInterface<SizeRow> {};

TEST_P(SavedFiles, HaveTheLayoutsSizeHeaderAndVersion) {
    const SizeRow& row = GetParam();
    addRouter(row.family, "Saved", "127.0.0.71", row.firmware);
    const fs::path file = dir_ / "saved.cfg";
    save("Saved", file);
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Save Configuration completely"});
    const auto bytes = bytesOf(file);
    ASSERT_EQ(bytes.size(), row.size);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 10), "ISDNROUTER");
    std::int32_t version = 0;
    std::memcpy(&version, bytes.data() + 10, 4);
    EXPECT_EQ(version, row.version);
}

INSTANTIATE_TEST_SUITE_P(
    Routers, SavedFiles,
    testing::Values(SizeRow{"Family1Level50", 1, "5.0 (240312-01)", 124850, 5001},
                    SizeRow{"Family2Level60", 2, "6.0 (240918-07)", 135378, 6007},
                    SizeRow{"Family2Level65", 2, kFamily2Firmware, 135378 + 1504, 6507}),
    [](const auto& info) { return info.param.name; });

TEST_F(ConfigTransfer, ARoundTripLeavesTheRouterAsItWas) {
    routersim::Router& router = addRouter(2, "Office", "127.0.0.72");
    const fs::path file = dir_ / "office.cfg";
    save("Office", file);
    const routersim::Settings before = router.settings();

    writeText(router, 0x4002, "someone@else.example");
    writeText(router, 0x4009, "ATZ");
    ASSERT_NE(router.settings(), before);

    load("Office", file);
    EXPECT_EQ(host.messageTexts(), loadMessages("device reset finshed"));
    ASSERT_EQ(host.waits().size(), 1u);
    EXPECT_EQ(host.waits()[0].ms, 6000);
    EXPECT_EQ(router.settings(), before);
}

struct RefusedRow {
    const char* name;
    const char* targetFirmware;
    long cut;
    const char* message;
};

class RefusedLoads : public ConfigTransfer, public testing::WithParamInterface<RefusedRow> {};

TEST_P(RefusedLoads, BeforeAnyWriteWithTheRouterUnchanged) {
    addRouter(2, "Source", "127.0.0.73");
    routersim::Router& target = addRouter(2, "Target", "127.0.0.74", GetParam().targetFirmware);
    const fs::path file = dir_ / "source.cfg";
    save("Source", file);
    writeText(target, 0x4002, "target@isp.example");
    if (GetParam().cut > 0)
        fs::resize_file(file, fs::file_size(file) - static_cast<std::uintmax_t>(GetParam().cut));
    const routersim::Settings before = target.settings();

    load("Target", file);
    EXPECT_EQ(host.messageTexts(), loadMessages(GetParam().message));
    EXPECT_TRUE(host.waits().empty());
    EXPECT_FALSE(target.restarting());
    EXPECT_EQ(target.settings(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedLoads,
    testing::Values(RefusedRow{"OtherBuildDigit", "6.5 (240918-08)", 0, "Version number mismatch"},
                    RefusedRow{"OtherMinorDigit", "6.4 (240918-07)", 0, "Version number mismatch"},
                    RefusedRow{"ShortByOneEntry", kFamily2Firmware, 1504,
                               "The configuration file is shorter than its layout.\nNothing was "
                               "written to the router."}),
    [](const auto& info) { return info.param.name; });

TEST_F(ConfigTransfer, AFileOfTheOtherFamilyWithTheSameVersionPasses) {
    routersim::Router& source = addRouter(2, "Two", "127.0.0.75");
    routersim::Router& target = addRouter(1, "One", "127.0.0.76", kFamily2Firmware);
    writeText(source, 0x4002, "shared@isp.example");
    const fs::path file = dir_ / "two.cfg";
    save("Two", file);

    load("One", file);
    EXPECT_EQ(host.messageTexts(), loadMessages("device reset finshed"));
    // Each entry went back to the variable it was saved from.
    const auto account = target.value(0x4002);
    ASSERT_TRUE(account);
    EXPECT_EQ(account->text(), "shared@isp.example");
    EXPECT_EQ(target.value(0x3006), source.value(0x3006));
}

TEST_F(ConfigTransfer, ASaveThatCannotWriteKeepsTheOldFileAndSaysSo) {
    addRouter(2, "Office", "127.0.0.77");
    const fs::path file = dir_ / "missing-dir" / "office.cfg";
    save("Office", file);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].text.rfind("The configuration was not saved.\n", 0), 0u);
    EXPECT_EQ(host.messages()[0].icon, ui::Icon::Stop);
    EXPECT_FALSE(fs::exists(file));
}

} // namespace
} // namespace tolvaro::app
