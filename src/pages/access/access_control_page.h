// The Access Control page: the groups that filter the Internet access of
// the LAN's workstations, and the workstations.
//
// The workstations live in the page's own list from page start until the
// apply packs them into the router's workstation table (ten records per
// variable, five variables). The groups are edited by the Group Setup
// dialog, which leaves its results in the store; this page's apply sends
// them together with the table.
#pragma once

#include <ipslan/records.h>

#include "pages/access/workstation_dlg.h"
#include "pages/settings_page.h"

namespace tolvaro::pages {

class CMAccess : public SettingsPage {
public:
    CMAccess(AppContext& context, device::ConfigStore& store);

protected:
    void onInitDialog() override;
    void onApply() override;
    void onCommand(int id, ui::Notify notification) override;

private:
    void addColumns();
    void readWorkstations();
    void appendRow(const CWorkstationNode& node);
    void showRow(int row, const CWorkstationNode& node);
    // The row with the selection mark, or -1 when no row is selected.
    int selectedRow() const;

    void setupGroup();
    void addWorkstation();
    void editWorkstation();
    void deleteWorkstation();

    void packWorkstations();

    // Handed to the WorkStation dialog by every Add; it keeps what the last
    // Add left in it.
    WkInfo scratch_{};
    WorkstationList workstations_;
};

} // namespace tolvaro::pages
