#include "app/main_operations.h"

#include "app/config_transfer.h"
#include "app/remote_dlg.h"
#include "app/setup.h"

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
    return operations;
}

} // namespace tolvaro::app
