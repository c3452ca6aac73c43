// The small captionless window shown while the first discovery runs.
#pragma once

#include "res/ids/main_ids.h"
#include "ui/dialog.h"

namespace tolvaro::app {

using res::search_wait::kSearchWaitTemplate;

class CSearchWaitDlg : public ui::Dialog {
public:
    CSearchWaitDlg() : ui::Dialog(kSearchWaitTemplate) {}
};

} // namespace tolvaro::app
