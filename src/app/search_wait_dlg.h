// The small captionless window shown while the first discovery runs.
#pragma once

#include "ui/dialog.h"

namespace tolvaro::app {

inline constexpr int kSearchWaitTemplate = 129;

class CSearchWaitDlg : public ui::Dialog {
public:
    CSearchWaitDlg() : ui::Dialog(kSearchWaitTemplate) {}
};

} // namespace tolvaro::app
