// The operations behind the main window's buttons, as the program runs them.
#pragma once

#include "app/main_dlg.h"

namespace tolvaro::app {

MainOperations standardOperations(AppContext& context);

} // namespace tolvaro::app
