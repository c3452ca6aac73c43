// The Quick Setup and ISDN pages through a whole Setup against a simulated
// router: what the pages send is what the router keeps.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "operation/app_context.h"
#include "res/ids/isdn_ids.h"
#include "res/ids/quick_setup_ids.h"
#include "support/utility_on_loopback.h"

namespace tolvaro::app {
namespace {

namespace qs = res::quick_setup;
namespace isdn = res::isdn;

constexpr int kIsdnPageIndex = 8;

TEST(LinePagesOnLoopback, AccountCountryAndCallIdReachTheRouter) {
    test::UtilityOnLoopback utility;
    auto& router = utility.add(test::routerConfig(2, "Branch", "127.0.0.153"));

    utility.setup([](ui::ScriptedSheetDriver& sheet) {
        auto page = sheet.page();
        ASSERT_TRUE(page.isChecked(qs::kEnableInternet));
        page.type(qs::kAccountName, "bernd@isp.example");
        page.type(qs::kTelephone2, "0307777");
        page.select(qs::kCountry, "USA (NI-1)");
        page.type(qs::kSpid1, "0123");
        page.click(qs::kFixed);
        for (int id : qs::kFixedIp)
            page.type(id, "10");
        ASSERT_TRUE(sheet.selectPage(kIsdnPageIndex));
        sheet.page().click(isdn::kUsageOneChannel);
        sheet.page().type(isdn::kOutgoingMsn, "0815");
        ASSERT_TRUE(sheet.pressOK());
    });

    EXPECT_EQ(utility.host.messageTexts(), std::vector<std::string>{"Device reset finished."});
    const auto value = [&router](int variable) {
        const auto v = router.value(variable);
        if (!v)
            ADD_FAILURE() << "the router lacks " << variable;
        return v.value_or(routersim::Value{});
    };
    EXPECT_EQ(value(0x4002).text(), "bernd@isp.example");
    EXPECT_EQ(value(0x4014).text(), "0307777");
    EXPECT_EQ(value(0x4001).text(), "10.10.10.10");
    EXPECT_EQ(value(0x3801).integer, 25);
    EXPECT_EQ(value(0x3823).text(), "0123");
    EXPECT_EQ(value(0x400d).integer, 1);
    EXPECT_EQ(value(0x4017).integer & 0x82, 0);
    EXPECT_EQ(value(0x3806).integer, 0);
    EXPECT_EQ(value(0x3809).text(), "0815");
}

} // namespace
} // namespace tolvaro::app
