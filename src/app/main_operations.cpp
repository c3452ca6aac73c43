#include "app/main_operations.h"

#include "app/compare_dlg.h"
#include "app/config_transfer.h"
#include "app/remote_dlg.h"
#include "app/setup.h"
#include "app/snapshots_dlg.h"

namespace tolvaro::app {

MainOperations standardOperations(AppContext& context) {
    MainOperations operations;
    operations.setup = [&context](CMainDlg& main) {
        runSetup(context, main);
    };
    operations.save = [&context](CMainDlg& main) {
        runSave(context, main);
    };
    operations.load = [&context](CMainDlg& main) {
        runLoad(context, main);
    };
    operations.remote = [&context](CMainDlg& main) {
        runRemoteOperation(context, main);
    };
    operations.routerMenu = {
        {snapshots_text::kMenuEntry,
         [&context](CMainDlg& main) {
             showSnapshots(context, main);
         }},
        {compare_text::kMenuEntry,
         [&context](CMainDlg& main) {
             compareWithFile(context, main);
         }},
    };
    return operations;
}

} // namespace tolvaro::app
