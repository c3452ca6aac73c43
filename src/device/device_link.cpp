#include "device/device_link.h"

#include <algorithm>

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

int DeviceLink::getInfoFleet(IPS_ROUTER* routers, int n, int /*atOnce*/, IPS_FLEET_STEP bind,
                             IPS_FLEET_STEP done, void* context) {
    if (routers == nullptr || n < 1) {
        return 0;
    }
    bool all = true;
    for (int i = 0; i < n; ++i) {
        IPS_ROUTER& router = routers[i];
        if (router.community != nullptr) {
            setCommunity(router.community);
        }
        if (router.port != 0) {
            setSnmpPort(router.port);
        }
        // The areas must be there before the reads here, not after.
        if (bind != nullptr) {
            bind(context, i);
        }
        router.result = getInfoBatch(router.ip, router.reads, router.n);
        all = all && router.result == 1;
        if (done != nullptr) {
            done(context, i);
        }
    }
    return all ? 1 : 0;
}

int DeviceLink::browseUpTo(DEVICE_INFO* table, int capacity, int* count) {
    if (capacity < kDeviceTableSize) {
        std::vector<DEVICE_INFO> all(kDeviceTableSize);
        const int result = browse(all.data(), count);
        if (count)
            *count = std::clamp(*count, 0, std::max(capacity, 0));
        if (table && count)
            std::copy_n(all.begin(), *count, table);
        return result;
    }
    return browse(table, count);
}

std::vector<DEVICE_INFO> browseAll(DeviceLink& link) {
    std::vector<DEVICE_INFO> table(kMaxBrowseReplies);
    int count = 0;
    if (link.browseUpTo(table.data(), kMaxBrowseReplies, &count) == 0)
        count = 0;
    table.resize(static_cast<std::size_t>(std::clamp(count, 0, kMaxBrowseReplies)));
    for (DEVICE_INFO& d : table)
        d.ipAddress[sizeof d.ipAddress - 1] = 0;
    return table;
}

} // namespace tolvaro::device
