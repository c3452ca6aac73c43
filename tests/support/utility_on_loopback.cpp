#include "support/utility_on_loopback.h"

#include <gtest/gtest.h>

#include "app/main_dlg.h"
#include "app/main_operations.h"

namespace tolvaro::test {

routersim::RouterConfig routerConfig(int family, std::string name, std::string address) {
    routersim::RouterConfig config;
    config.family = family;
    config.name = std::move(name);
    config.address = std::move(address);
    return config;
}

UtilityOnLoopback::UtilityOnLoopback()
    : link(device::makeLibraryLink()), context{state, host, *link} {
    link->initLan();
    host.onSleep([this](int ms) { net.advance(ms); });
}

void UtilityOnLoopback::setup(std::function<void(ui::ScriptedSheetDriver&)> sheet) {
    app::CMainDlg main(context, app::standardOperations(context));
    auto window = host.open(main);
    ASSERT_GE(window.listCount(app::kMainRouterList), 1);
    host.expectSheet(std::move(sheet));
    window.pressEnter();
}

std::int32_t UtilityOnLoopback::integer(const routersim::Router& router, int variable, int mode) {
    return router.value(variable, mode).value_or(routersim::Value{}).integer;
}

std::string UtilityOnLoopback::text(const routersim::Router& router, int variable, int mode) {
    return router.value(variable, mode).value_or(routersim::Value{}).text();
}

std::vector<std::uint8_t> UtilityOnLoopback::bytes(const routersim::Router& router, int variable,
                                                   int mode) {
    return router.value(variable, mode).value_or(routersim::Value{}).bytes;
}

} // namespace tolvaro::test
