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
using test::DeviceOp;
using test::textsOf;

constexpr int kLinkStatus = 0x0002;
const std::vector<int> kLogRequest{0x1014, 0x1015, 0x1016, 0x1017, 0x1018,
                                   0x1019, 0x1020, 0x1021, 0x1022, 0x1023};

void putText(MIB_RESPONSE& entry, const std::string& text) {
    entry.type = kTypeOctetString;
    std::copy(text.begin(), text.end(), entry.value);
    entry.length[0] = static_cast<std::uint8_t>(text.size() & 0xff);
    entry.length[1] = static_cast<std::uint8_t>(text.size() >> 8);
}

// A router whose link status answers from a script, one value per read (the
// last value repeats), and whose log parts and status text are set by the test.
class StatusTest : public testing::Test {
protected:
    StatusTest() {
        f.readText(0x0104, "6.5 (240918-07)");
        f.readBytes(0x0100, {0x02, 0x00, 0xab, 0x0c, 0x01, 0xff});
        f.readBytes(0x0103, {0x00, 0x01, 0x02, 0x03, 0x04, 0x05});
        f.device.getHandler = [this](const test::DeviceCall& call, MIB_RESPONSE* result) {
            if (call.variables == std::vector<int>{kLinkStatus}) {
                const int value = link.front();
                if (link.size() > 1)
                    link.pop_front();
                result[0].type = kTypeInteger;
                result[0].value[0] = static_cast<std::uint8_t>(value);
                return 1;
            }
            if (failLog)
                return 0;
            for (std::size_t i = 0; i < log.size() && i < call.variables.size(); ++i)
                putText(result[i], log[i]);
            return 1;
        };
        f.sheet.addPage(page);
    }

    int linkReads() const {
        int n = 0;
        for (const auto& call : f.device.callsOf(DeviceOp::GetInfo))
            n += call.variables == std::vector<int>{kLinkStatus} ? 1 : 0;
        return n;
    }
    bool lastReadWasTheLog() const {
        const auto reads = f.device.callsOf(DeviceOp::GetInfo);
        return !reads.empty() && reads.back().variables == kLogRequest;
    }

    test::PageFixture f;
    CMStatus page{f.context, f.store};
    std::deque<int> link{0};
    std::vector<std::string> log{"a\n", "", "b\r\nc\n", "", "",
                                 "",    "", "",         "", "Line: idle\r\nAccont: me"};
    bool failLog = false;
};

TEST_F(StatusTest, StartShowsVersionsHardwareAndTheLog) {
    auto p = f.open().page();
    EXPECT_EQ(p.text(ids::kFirmwareVersion), "6.5 (240918-07)");
    EXPECT_EQ(p.text(ids::kHardwareAddress), "02-00-AB-0C-01-FF");
    EXPECT_EQ(p.text(ids::kHardwareId), "00-01-02-03-04-05");
    EXPECT_EQ(p.text(ids::kConnectionLog), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(p.text(ids::kConnectionStatus), "Line: idle\r\nAccount: me");
    EXPECT_EQ(f.store.resetOwner, 1);
    EXPECT_EQ(f.store.saveConfirmed, 1);
}

TEST_F(StatusTest, TheJoinedLogIsCutTo2549Characters) {
    log.assign(9, std::string(300, 'x'));
    log.push_back("");
    auto p = f.open().page();
    EXPECT_EQ(p.text(ids::kConnectionLog).size(), 2549u);
}

TEST_F(StatusTest, AFailedLogReadKeepsBothEdits) {
    auto p = f.open().page();
    failLog = true;
    ASSERT_TRUE(p.click(ids::kRefreshLog));
    EXPECT_EQ(f.host.messageTexts(), std::vector<std::string>{"Get Status Log fail"});
    EXPECT_EQ(f.host.messages().back().waitCursorDepth, 0);
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

TEST_P(StatusLine, PollsEvery2000MsUnderTheWaitCursorAndReports) {
    const LineRow& row = GetParam();
    auto p = f.open().page();
    f.device.clearCalls();
    link = row.link;
    ASSERT_TRUE(p.click(row.button));

    const auto writes = f.writes();
    if (*row.command) {
        ASSERT_EQ(writes.size(), 1u);
        EXPECT_EQ(writes[0].variables, std::vector<int>{0x0003});
        EXPECT_EQ(textsOf(writes[0]), std::vector<std::string>{row.command});
        EXPECT_EQ(device::entryLength(writes[0].values[0]), 1u);
    } else {
        EXPECT_TRUE(writes.empty());
    }
    ASSERT_EQ(f.host.waits().size(), static_cast<std::size_t>(row.polls));
    for (const auto& wait : f.host.waits()) {
        EXPECT_EQ(wait.ms, 2000);
        EXPECT_EQ(wait.waitCursorDepth, 1);
    }
    ASSERT_EQ(f.host.messages().size(), 1u);
    EXPECT_EQ(f.host.messages()[0].text, row.message);
    EXPECT_EQ(f.host.messages()[0].icon, row.icon);
    EXPECT_EQ(f.host.messages()[0].waitCursorDepth, 0);
    EXPECT_EQ(lastReadWasTheLog(), *row.command != '\0');
    EXPECT_EQ(f.host.waitCursorDepth(), 0);
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

TEST_F(StatusTest, ThePageChangesNoConfigurationAndHasNoApply) {
    auto s = f.open();
    link = {1};
    s.page().click(ids::kDialUp);
    ASSERT_TRUE(s.pressOK());
    for (const auto& call : f.writes())
        EXPECT_EQ(call.variables, std::vector<int>{0x0003});
    EXPECT_EQ(f.store.resetOwner, 1);
}

} // namespace
} // namespace tolvaro::pages
