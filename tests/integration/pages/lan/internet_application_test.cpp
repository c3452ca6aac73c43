// The Internet Application page in a whole Setup against a simulated router
// on loopback, through the real device library.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/lan/internet_application_tables.h"
#include "res/ids/internet_application_ids.h"
#include "res/ids/virtual_server_ids.h"
#include "support/utility_on_loopback.h"

namespace tolvaro::pages {
namespace {

namespace ids = res::internet_application;
namespace vs = res::virtual_server;

// The Internet Application page's position in the settings sheet.
constexpr int kPageIndex = 6;

TEST(InternetApplicationOnLoopback, ChangesMadeInSetupReachTheRouter) {
    test::UtilityOnLoopback utility;
    routersim::Router& router = utility.add(test::routerConfig(2, "Office", "127.0.0.47"));
    ui::ScriptedHost& host = utility.host;

    utility.setup([&](ui::ScriptedSheetDriver& sheet) {
        ASSERT_TRUE(sheet.selectPage(kPageIndex));
        auto page = sheet.page();
        const int servers = page.listCount(ids::kServerList);
        host.expectDialog(vs::kTemplate, [](ui::ScriptedDialogDriver& d) {
            d.type(vs::kName, "ftp");
            const char* octets[] = {"127", "0", "0", "50"};
            for (std::size_t i = 0; i < 4; ++i)
                d.type(vs::kServerIp[i], octets[i]);
            d.type(vs::kExternalPort, "21");
            d.click(ui::kIdOk);
        });
        page.click(ids::kAddServer);
        ASSERT_EQ(page.listCount(ids::kServerList), servers + 1);
        page.click(ids::kExposedEnable);
        const char* exposed[] = {"127", "0", "0", "60"};
        for (std::size_t i = 0; i < 4; ++i)
            page.type(ids::kExposedIp[i], exposed[i]);
        ASSERT_TRUE(sheet.pressOK());
    });
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"Device reset finished"});

    const auto table = router.value(0x3717);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->bytes.size(), kTableValueLength);
    const ServerList sent = decodeServers(table->bytes);
    ASSERT_FALSE(sent.empty());
    const LOCAL_S& added = sent.back().server;
    EXPECT_EQ(recordName(added.name), "ftp");
    EXPECT_EQ(added.externalPort, 21);
    EXPECT_EQ(added.internalPort, 21);
    const auto computer = router.value(0x371e);
    ASSERT_TRUE(computer);
    EXPECT_EQ(computer->bytes, (std::vector<std::uint8_t>{1, 127, 0, 0, 60}));
}

} // namespace
} // namespace tolvaro::pages
