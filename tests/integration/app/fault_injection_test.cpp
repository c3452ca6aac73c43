// The utility against routers that misbehave on the wire: replies lost,
// doubled, held past the discovery window, a router that stops answering
// half-way through a Save, and one that restarts part-way through a Load.
// Faults are imposed through the simulator's control, never by sleeping.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include <unistd.h>

#include <ipslan/config.h>

#include "app/main_dlg.h"
#include "app/main_operations.h"
#include "device/config_file.h"
#include "device/fetch.h"
#include "device/load.h"
#include "support/forwarding_link.h"
#include "support/utility_on_loopback.h"

namespace tolvaro::test {
namespace {

namespace fs = std::filesystem;
using routersim::FaultControl;
using routersim::FaultScope;

// Short, so that each reply the router never sends costs little real time.
constexpr int kTimeoutMs = 150;

// Writes from the `from`-th on wait briefly, the others as long as ever: the
// test knows which ones the router will not answer.
class BriefFrom : public ForwardingLink {
public:
    BriefFrom(device::DeviceLink& inner, std::size_t from) : ForwardingLink(inner), from_(from) {}
    int setInfo(const char* ip, int mode, int count, const int* variables,
                const _snmp_packet* values) override {
        std::optional<BriefWait> unanswered;
        if (calls_++ >= from_)
            unanswered.emplace();
        return inner_.setInfo(ip, mode, count, variables, values);
    }

private:
    std::size_t from_;
    std::size_t calls_ = 0;
};

class FaultInjection : public testing::Test {
protected:
    FaultInjection() {
        dir_ = fs::temp_directory_path() /
               ("tolvaro-faults-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    ~FaultInjection() override { fs::remove_all(dir_); }

    // Opens the main window (discovery runs) and returns the names it lists.
    std::vector<std::string> openMainWindow() {
        main_ = std::make_unique<app::CMainDlg>(utility.context,
                                                app::standardOperations(utility.context));
        window_ = std::make_unique<ui::ScriptedDialogDriver>(utility.host.open(*main_));
        return listed();
    }

    std::vector<std::string> listed() const {
        std::vector<std::string> names;
        for (int row = 0; row < window_->listCount(app::kMainRouterList); ++row)
            names.push_back(window_->listText(app::kMainRouterList, row));
        return names;
    }

    // Save on the first row into `file`, with `beforeSave` run once discovery
    // is over; returns the messages Save showed.
    std::vector<std::string> save(const fs::path& file,
                                  const std::function<void()>& beforeSave = {}) {
        openMainWindow();
        window_->clickRow(app::kMainRouterList, 0);
        if (beforeSave)
            beforeSave();
        utility.host.clearRecords();
        utility.host.answerFileDialog(file.string());
        window_->click(app::kMainSave);
        return utility.host.messageTexts();
    }

    static std::vector<std::uint8_t> bytesOf(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    UtilityOnLoopback utility;
    fs::path dir_;
    std::unique_ptr<app::CMainDlg> main_;
    std::unique_ptr<ui::ScriptedDialogDriver> window_;
};

TEST_F(FaultInjection, SetupFetchRecoversEveryLostReplyThroughTheLibrarysRetry) {
    auto& office = utility.add(routerConfig(2, "Office", "127.0.0.131"));
    // Every third reply lost never loses two in a row, as long as requests
    // go one at a time, so one retry would do; more let a loaded machine
    // answer late without failing the fetch, and cost nothing where replies
    // come. (Requests in flight together recover lost replies too; the
    // library's own tests hold that.) A small answer limit splits the fetch
    // into enough requests to lose some.
    ipslan::setTimeouts(kTimeoutMs, 3);
    const int window = ipslan::readWindow();
    ipslan::setReadWindow(1);
    office.faults().setScope(FaultScope::Snmp);
    office.faults().limitAnswers(1000);
    office.faults().dropEveryNth(3);

    bool sheetOpened = false;
    utility.setup([&](ui::ScriptedSheetDriver& sheet) {
        sheetOpened = true;
        sheet.pressCancel();
    });
    EXPECT_TRUE(sheetOpened);
    EXPECT_TRUE(utility.host.messageTexts().empty());
    EXPECT_GE(office.faults().counts().lost, 2);
    ipslan::setReadWindow(window);
}

TEST_F(FaultInjection, ASaveWhoseRouterFallsSilentBeforeTheLastReadKeepsTheOldFile) {
    auto& office = utility.add(routerConfig(2, "Office", "127.0.0.132"));
    const fs::path file = dir_ / "office.cfg";

    // A router that takes one variable per request, asked one request at a
    // time, so that the last request is the last variable. A clean Save
    // first teaches the library that; a second counts its replies.
    office.faults().refuseSeveral(true);
    const int window = ipslan::readWindow();
    ipslan::setReadWindow(1);
    ASSERT_EQ(save(file, [] {}), std::vector<std::string>{"Save Configuration completely"});
    int replies = 0;
    ASSERT_EQ(save(file, [&] { replies = -office.faults().counts().replies; }),
              std::vector<std::string>{"Save Configuration completely"});
    replies += office.faults().counts().replies;
    ASSERT_GT(replies, 1);
    const std::vector<std::uint8_t> good = bytesOf(file);

    // Now the router stops answering just before the last read: no file may
    // be replaced by one that lacks it.
    const auto silenceBeforeLastRead = [&] {
        office.faults().setScope(FaultScope::Snmp);
        office.faults().pauseAfter(replies - 1);
    };
    // The last variable of a Save is the mode-0 copy of the last slot. The
    // reads before it wait briefly too: one answered late fails the Save the
    // same way.
    {
        const BriefWait unanswered;
        EXPECT_EQ(save(file, silenceBeforeLastRead), std::vector<std::string>{"IPSGetInfo fail"});
    }
    ipslan::setReadWindow(window);
    EXPECT_EQ(bytesOf(file), good);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 1)
        << "a temporary file was left behind";
}

struct DiscoveryRow {
    const char* name;
    std::function<void(FaultControl&)> impose;
    bool listedAtFirst;
    friend void PrintTo(const DiscoveryRow& row, std::ostream* out) { *out << row.name; }
};

class FaultyDiscovery : public FaultInjection, public testing::WithParamInterface<DiscoveryRow> {};

// A second router answers discovery through the fault; the first answers
// normally. Whatever the second one does, the list holds each router at most
// once, and a later Refresh without the fault finds both.
TEST_P(FaultyDiscovery, ListsEachRouterOnceAndOnlyFromTimelyReplies) {
    utility.add(routerConfig(2, "Steady", "127.0.0.133"));
    auto& faulty = utility.add(routerConfig(1, "Faulty", "127.0.0.134"));
    faulty.faults().setScope(FaultScope::Discovery);
    GetParam().impose(faulty.faults());

    std::vector<std::string> sorted = openMainWindow();
    std::sort(sorted.begin(), sorted.end());
    const std::vector<std::string> both{"Faulty", "Steady"};
    const std::vector<std::string> steadyOnly{"Steady"};
    EXPECT_EQ(sorted, GetParam().listedAtFirst ? both : steadyOnly);

    // Replies held past the window go out now, to a requester that has
    // stopped listening.
    faulty.faults().holdReplies(false);
    faulty.faults().releaseHeld();
    faulty.faults().dropEveryNth(0);
    faulty.faults().answerTwice(false);
    window_->click(app::kMainRefresh);
    sorted = listed();
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, both);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultyDiscovery,
    testing::Values(
        DiscoveryRow{"HeldPastTheWindow", [](FaultControl& f) { f.holdReplies(true); }, false},
        DiscoveryRow{"AnsweredTwice", [](FaultControl& f) { f.answerTwice(true); }, true},
        DiscoveryRow{"Lost", [](FaultControl& f) { f.dropEveryNth(1); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FaultInjection, ALoadThatMeetsARestartReportsEveryWriteAfterIt) {
    auto& office = utility.add(routerConfig(2, "Office", "127.0.0.135"));
    const fs::path path = dir_ / "office.cfg";
    ASSERT_EQ(save(path), std::vector<std::string>{"Save Configuration completely"});
    const std::vector<std::uint8_t> file = bytesOf(path);
    std::int32_t version = 0;
    std::memcpy(&version, file.data() + 10, sizeof version);
    const device::CheckedFile checked = device::checkConfigFile(file, device::Family::Two, version);
    ASSERT_EQ(checked.check, device::FileCheck::Ok);

    const char* ip = "127.0.0.135";
    const auto key = [](const device::FileWrite& w) {
        return std::tuple(w.variable, w.mode, w.offset);
    };
    const auto keys = [&](const device::LoadWrites& writes) {
        std::vector<std::tuple<int, int, std::size_t>> out;
        for (const device::FailedWrite& failed : writes.failed)
            out.push_back(key(failed.write));
        return out;
    };
    // The variables this router keeps to itself whatever happens.
    const auto keptAnyway =
        keys(device::writeLoad(*utility.link, ip, file, checked, device::OnSilence::GoOn));

    // The router restarts after answering all but the last three writes.
    const std::size_t landed = checked.writes.size() - 3;
    office.faults().restartAfter(static_cast<int>(landed));
    BriefFrom link(*utility.link, landed);
    const auto refused = keys(device::writeLoad(link, ip, file, checked, device::OnSilence::GoOn));

    std::vector<std::tuple<int, int, std::size_t>> expected;
    for (std::size_t i = 0; i < checked.writes.size(); ++i) {
        const auto k = key(checked.writes[i]);
        if (i >= landed || std::find(keptAnyway.begin(), keptAnyway.end(), k) != keptAnyway.end())
            expected.push_back(k);
    }
    EXPECT_EQ(refused, expected);
    EXPECT_TRUE(office.restarting());
}

} // namespace
} // namespace tolvaro::test
