#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "page_fixture.h"
#include "pages/line/status_page.h"
#include "res/ids/status_ids.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::status;
using test::textsOf;

const std::vector<int> kLinkStatus{0x0002};

// A router whose link status answers from a script, one value per read (the
// last one repeats), and whose log parts and status text the test sets.
class StatusTest : public testing::Test {
protected:
    StatusTest() {
        f.readText(0x0104, "6.5 (240918-07)");
        f.readBytes(0x0100, {0x02, 0x00, 0xab, 0x0c, 0x01, 0xff});
        f.device.getHandler = [this](const test::DeviceCall& call, MIB_RESPONSE* result) {
            if (call.variables == kLinkStatus) {
                result[0].value[0] = static_cast<std::uint8_t>(link.front());
                if (link.size() > 1)
                    link.pop_front();
                return 1;
            }
            for (std::size_t i = 0; i < log.size(); ++i)
                std::copy(log[i].begin(), log[i].end(), result[i].value);
            return failLog ? 0 : 1;
        };
        f.sheet.addPage(page);
    }

    test::PageFixture f;
    CMStatus page{f.context, f.store};
    std::deque<int> link{0};
    std::vector<std::string> log{"a\n", "", "b\r\nc\n", "", "",
                                 "",    "", "",         "", "Line: idle\r\nAccont: me"};
    bool failLog = false;
};

TEST_F(StatusTest, StartShowsTheVersionAndTheLogWithWindowsLineBreaks) {
    auto p = f.host.open(f.sheet).page();
    EXPECT_EQ(p.text(ids::kFirmwareVersion), "6.5 (240918-07)");
    EXPECT_EQ(p.text(ids::kHardwareAddress), "02-00-AB-0C-01-FF");
    EXPECT_EQ(p.text(ids::kConnectionLog), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(p.text(ids::kConnectionStatus), "Line: idle\r\nAccount: me");
    EXPECT_EQ(f.store.resetOwner, 1);
}

TEST_F(StatusTest, TheJoinedLogIsCutTo2549Characters) {
    log.assign(9, std::string(300, 'x'));
    EXPECT_EQ(f.host.open(f.sheet).page().text(ids::kConnectionLog).size(), 2549u);
}

TEST_F(StatusTest, AFailedLogReadKeepsBothEdits) {
    auto p = f.host.open(f.sheet).page();
    failLog = true;
    log.assign(10, "new");
    p.click(ids::kRefreshLog);
    EXPECT_EQ(f.host.messageTexts(), std::vector<std::string>{"Get Status Log fail"});
    EXPECT_EQ(p.text(ids::kConnectionStatus), "Line: idle\r\nAccount: me");
}

struct LineRow {
    const char* name;
    int button;
    std::deque<int> link;
    const char* command; // empty: none sent
    int polls;
    const char* message;
    ui::Icon icon;
};

class StatusLine : public StatusTest, public testing::WithParamInterface<LineRow> {};

TEST_P(StatusLine, PollsEvery2000MsUnderTheWaitCursorThenReportsAndRefreshes) {
    const LineRow& row = GetParam();
    auto p = f.host.open(f.sheet).page();
    f.device.clearCalls();
    link = row.link;
    p.click(row.button);

    const auto writes = f.writes();
    ASSERT_EQ(writes.size(), *row.command ? 1u : 0u);
    if (*row.command) {
        EXPECT_EQ(writes[0].variables, std::vector<int>{0x0003});
        EXPECT_EQ(textsOf(writes[0]), std::vector<std::string>{row.command});
    }
    ASSERT_EQ(f.host.waits().size(), static_cast<std::size_t>(row.polls));
    for (const auto& wait : f.host.waits())
        EXPECT_TRUE(wait.ms == 2000 && wait.waitCursorDepth == 1);
    // One window for the whole poll, every wait shown in it, closed after.
    const auto& windows = f.host.progressWindows();
    ASSERT_EQ(windows.size(), row.polls > 0 ? 1u : 0u);
    if (row.polls > 0) {
        const std::string parts = row.button == ids::kDialUp ? "10" : "5";
        EXPECT_EQ(windows[0].parts, std::stoi(parts));
        EXPECT_FALSE(windows[0].open);
        ASSERT_EQ(windows[0].waits.size(), static_cast<std::size_t>(row.polls));
        EXPECT_TRUE(windows[0].waits.back().what.ends_with("(" + std::to_string(row.polls) +
                                                           " of " + parts + ")"));
    }
    ASSERT_EQ(f.host.messages().size(), 1u);
    EXPECT_EQ(f.host.messages()[0].text, row.message);
    EXPECT_EQ(f.host.messages()[0].icon, row.icon);
    EXPECT_EQ(f.host.messages()[0].waitCursorDepth, 0);
    const auto reads = f.device.callsOf(test::DeviceOp::GetInfo);
    EXPECT_EQ(reads.back().variables.size(), *row.command ? 10u : 1u); // the log after a command
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, StatusLine,
    testing::Values(
        LineRow{"DialUpAtThirdPoll",
                ids::kDialUp,
                {0, 0, 1},
                "2",
                3,
                "Connect ISP successfully.",
                ui::Icon::Information},
        LineRow{"DialNeverUp", ids::kDialUp, {0}, "2", 10, "Fail to Connect!", ui::Icon::None},
        LineRow{"DialStopsAtAnyNonZero",
                ids::kDialUp,
                {0, 2},
                "2",
                2,
                "Fail to Connect!",
                ui::Icon::None},
        LineRow{
            "HangUpWithTheLinkDown", ids::kHangUp, {0}, "", 0, "Doesn't connect", ui::Icon::None},
        LineRow{"HangUpAtSecondPoll",
                ids::kHangUp,
                {1, 1, 0},
                "1",
                2,
                "HangUp successfully",
                ui::Icon::Information},
        LineRow{"HangUpNeverDown", ids::kHangUp, {1}, "1", 5, "Still connect", ui::Icon::None}),
    [](const auto& info) { return info.param.name; });

} // namespace
} // namespace tolvaro::pages
