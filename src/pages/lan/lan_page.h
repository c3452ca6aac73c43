// The LAN page: the DHCP server and its address pool, the DNS servers, RIP
// and the static routing table, with the routing entry and DHCP lease status
// dialogs behind its buttons.
#pragma once

#include <ipslan/records.h>

#include "pages/lan/route_dlg.h"
#include "pages/settings_page.h"

namespace tolvaro::pages {

// Its route table lives as long as the page and is filled at page start.
// Leaving the page with DHCP enabled and a valid pool makes that pool the
// run's DHCP range (AppState), which the workstation dialog checks against.
class CMLan : public SettingsPage {
public:
    CMLan(AppContext& context, device::ConfigStore& store);

protected:
    void onInitDialog() override;
    void onSetActive() override;
    bool onKillActive() override;
    void onApply() override;
    void onCommand(int id, ui::Notify notification) override;

private:
    struct Validation;

    const MIB_RESPONSE& stored(int variable) const;
    _snmp_packet& outgoing(int variable);

    void addColumns();
    void loadRoutes();
    void appendRoute(const S_ROUTE& record);
    void addRoute();
    void deleteRoute();
    void enablePool();
    void showDns1(const std::string& dottedText);
    void keepPrimaryDnsInStep();
    Validation validate() const;
    void composeWrites();

    RouteList routes_;
    // Handed to the routing entry dialog; its metric tells a cancel.
    S_ROUTE scratch_{};
};

} // namespace tolvaro::pages
