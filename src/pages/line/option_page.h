// The Option page: the administrator password and, for family-2 routers,
// management from the Internet and the answer to pings. Every value lives in
// the controls until the apply; the password, which is also the access
// community, ends up in the selected device record as well.
#pragma once

#include <optional>
#include <string>

#include "pages/settings_page.h"

namespace tolvaro::pages {

class CMPass : public SettingsPage {
public:
    CMPass(AppContext& context, device::ConfigStore& store);

protected:
    void onInitDialog() override;
    bool onKillActive() override;
    void onApply() override;
    void onCommand(int id, ui::Notify notification) override;

private:
    void enablePortFields(bool enabled);
    // The first failed check of a page left.
    std::optional<std::string> firstProblem() const;
};

} // namespace tolvaro::pages
