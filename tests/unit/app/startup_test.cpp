// Start-up: the browser check decides whether the program runs at all; the
// About box answers window-menu commands 16 to 31 only.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/about_dlg.h"
#include "app/startup.h"
#include "support/recording_device.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::test {
namespace {

TEST(BrowserCheck, VersionRows) {
    struct Row {
        const char* name;
        std::optional<std::string> version;
        bool passes;
    };
    const Row rows[] = {
        {"4.0 passes", "4.0", true},
        {"3.02 fails", "3.02", false},
        {"a text without a point is read whole: 5 passes", "5", true},
        {"missing value fails", std::nullopt, false},
        {"empty text reads as 0", "", false},
        {"text before the point is not a number", "x.5", false},
        {"digits followed by letters count up to the letters", "11abc.0", true},
        {"leading blanks are skipped", "  6.0", true},
        {"negative major fails", "-7.0", false},
        {"a huge major does not overflow", "99999999999999999999999.1", true},
        {"the Qt version a fresh user reports", "6.4.2", true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(app::browserVersionAcceptable(row.version), row.passes) << row.name;
    }
}

TEST(BrowserCheck, OnlyTheFirst127CharactersAreRead) {
    // The value is read into 128 bytes: a major that starts beyond them is lost.
    EXPECT_FALSE(app::browserVersionAcceptable(std::string(127, ' ') + "9.0"));
    EXPECT_TRUE(app::browserVersionAcceptable(std::string(126, ' ') + "9.0"));
}

struct StartupFixture : ::testing::Test {
    void storeVersion(const std::string& version) {
        host.settingsStore.createKey(app::kBrowserKey);
        host.settingsStore.writeValue(app::kBrowserKey, app::kBrowserValue, version);
    }
    int run() {
        return app::runProgram(host, device, [this] { ++mainWindowRuns; });
    }
    ui::ScriptedHost host;
    RecordingDevice device;
    int mainWindowRuns = 0;
};

TEST_F(StartupFixture, AnOldBrowserEndsTheProgramAfterTheMessage) {
    storeVersion("3.02");
    EXPECT_EQ(run(), 0);
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].text, "Please install Internet explorer 4.0 or above");
    EXPECT_EQ(host.messages()[0].buttons, ui::Buttons::Ok);
    EXPECT_EQ(host.messages()[0].icon, ui::Icon::None);
    EXPECT_TRUE(device.calls().empty()) << "the library is not started";
    EXPECT_EQ(mainWindowRuns, 0);
}

TEST_F(StartupFixture, AMissingKeyEndsTheProgram) {
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(host.messageTexts(),
              (std::vector<std::string>{"Please install Internet explorer 4.0 or above"}));
    EXPECT_EQ(mainWindowRuns, 0);
}

TEST_F(StartupFixture, AGoodBrowserStartsTheLibraryThenTheMainWindow) {
    storeVersion("5.50.4134.0600");
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(host.messages().empty());
    EXPECT_EQ(device.opNames(), (std::vector<std::string>{"IPSInitLan"}));
    EXPECT_EQ(mainWindowRuns, 1);
}

TEST(AboutBox, OpensForCommands16To31Only) {
    struct Row {
        unsigned command;
        bool opens;
    };
    const Row rows[] = {{15, false}, {16, true},      {23, true},     {31, true},
                        {32, false}, {0xF060, false}, {0xF010, false}};
    for (const Row& row : rows) {
        ui::ScriptedHost host;
        if (row.opens) {
            host.expectDialog(app::kAboutTemplate, [](ui::ScriptedDialogDriver& d) {
                EXPECT_EQ(d.caption(), "About Tolvaro");
                EXPECT_EQ(d.text(app::kAboutVersionText), "Tolvaro Version 2.4");
                d.pressEnter();
            });
        }
        EXPECT_EQ(app::handleAboutCommand(host, row.command), row.opens) << row.command;
        EXPECT_EQ(host.dialogsShown().size(), row.opens ? 1u : 0u) << row.command;
    }
}

} // namespace
} // namespace tolvaro::test
