#include "device/device_link.h"

namespace tolvaro::device {

int DeviceLink::getInfoBatch(const char* ip, IPS_READ* reads, int n) {
    if (reads == nullptr || n < 1) {
        return 0;
    }
    bool all = true;
    bool stopped = false;
    for (int i = 0; i < n; ++i) {
        IPS_READ& read = reads[i];
        if (stopped) {
            read.status = -1;
            continue;
        }
        read.status = getInfo(ip, read.mode, read.count, read.variables, read.result) != 0 ? 1 : 0;
        all = all && read.status == 1;
        stopped = read.status == 0 && read.stopOnFailure != 0;
    }
    return all && !stopped ? 1 : 0;
}

} // namespace tolvaro::device
