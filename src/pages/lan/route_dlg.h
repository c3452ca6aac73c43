// The Routing Entry dialog and the LAN page's route table that it checks
// names against.
#pragma once

#include <string>
#include <vector>

#include <ipslan/records.h>

#include "ui/dialog.h"

namespace tolvaro::pages {

// One static route as a row of the LAN page's route list: a copy of the
// record and the texts the row shows.
struct CRouteNode {
    explicit CRouteNode(const S_ROUTE& record);

    S_ROUTE route{};
    std::string destination; // "%d . %d . %d . %d"
    std::string mask;
    std::string gateway;
    std::string interface; // "WAN" for 1 and 2, "LAN" for anything else
    std::string metric;    // decimal
};

// The page's routes; node i is row i of the list control.
using RouteList = std::vector<CRouteNode>;

// The name a record holds, read only up to the end of its field.
std::string routeName(const S_ROUTE& record);

// Collects one route into the caller's record. Mode 0 starts with empty
// fields, mode 1 shows the record. On OK the record holds every field; on
// Cancel (or the close box) only its metric changes, to kCancelledMetric.
// The route list must outlive the dialog; a name used by one of its routes
// is refused.
class CRouteDlg : public ui::Dialog {
public:
    static constexpr int kNewRoute = 0;
    static constexpr int kEditRoute = 1;
    static constexpr std::uint8_t kCancelledMetric = 255;

    CRouteDlg(S_ROUTE& record, int mode, const RouteList& routes);

protected:
    void onInitDialog() override;
    void onOK() override;
    void onCancel() override;
    void onCommand(int id, ui::Notify notification) override;

private:
    // The first failed check's message, or nullptr when the entry is whole.
    const char* check() const;
    bool nameInUse(const std::string& name) const;
    void applyMetricRule();
    void applyDefaultRouteRule();
    void store();

    S_ROUTE& record_;
    int mode_;
    const RouteList& routes_;
    // In edit mode the route keeps its own name without clashing with itself.
    std::string ownName_;
};

} // namespace tolvaro::pages
