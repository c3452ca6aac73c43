// The settings sheet's rules: pages start when first shown, a page can refuse
// to be left (which also stops the OK), OK applies every started page once in
// sheet order, Cancel applies nothing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "test_templates.h"
#include "ui/property_sheet.h"
#include "ui/scripted/scripted_host.h"

namespace tolvaro::test {
namespace {

class LoggingPage : public ui::PropertyPage {
public:
    LoggingPage(int index, std::vector<std::string>& log)
        : ui::PropertyPage(kPageTemplateBase + index), index_(index), log_(log) {}

    bool refuseLeaving = false;

protected:
    void onInitDialog() override {
        log_.push_back("start " + std::to_string(index_));
        setText(kNote, "page " + std::to_string(index_));
    }
    void onSetActive() override { log_.push_back("shown " + std::to_string(index_)); }
    bool onKillActive() override {
        log_.push_back("left " + std::to_string(index_));
        return !refuseLeaving;
    }
    void onApply() override {
        log_.push_back("apply " + std::to_string(index_) + " " + text(kNote));
    }

private:
    int index_;
    std::vector<std::string>& log_;
};

struct SheetFixture : ::testing::Test {
    SheetFixture() {
        for (int i = 0; i < 4; ++i) {
            pages.push_back(std::make_unique<LoggingPage>(i, log));
            sheet.addPage(*pages.back());
        }
    }
    std::vector<std::string> log;
    std::vector<std::unique_ptr<LoggingPage>> pages;
    ui::PropertySheet sheet{"Router 1"};
    ui::ScriptedHost host;
};

TEST_F(SheetFixture, FirstPageStartsAndShowsWhenTheSheetOpens) {
    auto drv = host.open(sheet);
    EXPECT_EQ(log, (std::vector<std::string>{"start 0", "shown 0"}));
    EXPECT_TRUE(drv.isCreated(0));
    EXPECT_FALSE(drv.isCreated(1));
    EXPECT_EQ(host.sheetsShown(), (std::vector<std::string>{"Router 1"}));
}

TEST_F(SheetFixture, PagesStartOnceAndShowEveryTime) {
    auto drv = host.open(sheet);
    drv.selectPage(2);
    drv.selectPage(0);
    drv.selectPage(2);
    EXPECT_EQ(log, (std::vector<std::string>{"start 0", "shown 0", "left 0", "start 2", "shown 2",
                                             "left 2", "shown 0", "left 0", "shown 2"}));
}

TEST_F(SheetFixture, OkAppliesEveryStartedPageInSheetOrder) {
    auto drv = host.open(sheet);
    drv.selectPage(3);
    drv.selectPage(1);
    drv.page().type(kNote, "edited");
    log.clear();
    EXPECT_TRUE(drv.pressOK());
    EXPECT_EQ(log, (std::vector<std::string>{"left 1", "apply 0 page 0", "apply 1 edited",
                                             "apply 3 page 3"}));
    EXPECT_FALSE(drv.isOpen());
    EXPECT_EQ(sheet.result(), ui::kIdOk);
}

TEST_F(SheetFixture, CancelAppliesNothing) {
    auto drv = host.open(sheet);
    drv.selectPage(1);
    log.clear();
    drv.pressCancel();
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(drv.isOpen());
    EXPECT_EQ(sheet.result(), ui::kIdCancel);
}

TEST_F(SheetFixture, ARefusingPageStaysCurrentAndStopsTheOk) {
    auto drv = host.open(sheet);
    pages[0]->refuseLeaving = true;
    EXPECT_FALSE(drv.selectPage(1));
    EXPECT_EQ(drv.activePage(), 0);
    EXPECT_FALSE(drv.isCreated(1)) << "a refused switch starts nothing";
    EXPECT_FALSE(drv.pressOK());
    EXPECT_TRUE(drv.isOpen());
    EXPECT_EQ(log, (std::vector<std::string>{"start 0", "shown 0", "left 0", "left 0"}));

    pages[0]->refuseLeaving = false;
    EXPECT_TRUE(drv.pressOK());
    EXPECT_EQ(log.back(), "apply 0 page 0");
}

TEST_F(SheetFixture, EnterOnAPageDoesNotCloseIt) {
    auto drv = host.open(sheet);
    auto page = drv.page();
    page.pressEnter();
    page.pressEscape();
    EXPECT_TRUE(page.isOpen());
    EXPECT_TRUE(drv.isOpen());
    EXPECT_EQ(log, (std::vector<std::string>{"start 0", "shown 0"}));
}

TEST_F(SheetFixture, ModifiedMarkIsClearedWhenTheSheetOpens) {
    pages[1]->setModified();
    auto drv = host.open(sheet);
    EXPECT_FALSE(pages[1]->isModified());
    drv.page().type(kNote, "changed");
    pages[0]->setModified();
    EXPECT_TRUE(pages[0]->isModified());
}

TEST_F(SheetFixture, ModalRunIsScriptedAndPagesAreReleasedAfterwards) {
    host.expectSheet([](ui::ScriptedSheetDriver& s) {
        s.selectPage(2);
        s.page().type(kNote, "typed");
        s.pressOK();
    });
    EXPECT_EQ(sheet.runModal(host), ui::kIdOk);
    EXPECT_EQ(log.back(), "apply 2 typed");
    EXPECT_FALSE(pages[2]->isOpen()) << "page windows go with the sheet";
    EXPECT_EQ(pages[2]->text(kNote), "");
}

TEST_F(SheetFixture, AScriptThatLeavesTheSheetOpenFails) {
    host.expectSheet([](ui::ScriptedSheetDriver&) {});
    EXPECT_THROW(sheet.runModal(host), ui::ScriptError);
    EXPECT_FALSE(pages[0]->isOpen());
}

} // namespace
} // namespace tolvaro::test
