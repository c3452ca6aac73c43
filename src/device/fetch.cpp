#include "device/fetch.h"

#include "device/device_link.h"

namespace tolvaro::device {
namespace {

FetchResult resultFor(std::string_view failureMessage) {
    if (failureMessage == "IPSGetInfo User fail ")
        return FetchResult::UserFail;
    if (failureMessage == "IPSGetInfo1 fail")
        return FetchResult::Info1Fail;
    return FetchResult::InfoFail;
}

} // namespace

std::string_view fetchFailureMessage(FetchResult result) {
    switch (result) {
    case FetchResult::Ok:
        return {};
    case FetchResult::UserFail:
        return "IPSGetInfo User fail ";
    case FetchResult::Info1Fail:
        return "IPSGetInfo1 fail";
    case FetchResult::InfoFail:
        return "IPSGetInfo fail";
    case FetchResult::Mode1Fail:
        return "IPSGetInfo PORT2 fail";
    case FetchResult::IdleTimeFail:
        return "IPSGetInfo PORT fail";
    }
    return {};
}

FetchResult fetchCatalogue(DeviceLink& link, const char* ip, ConfigStore& store) {
    const auto table = catalogue(store.family());
    for (const CatalogueRequest& request : catalogueRequests(store.family())) {
        const int* variables = table.data() + request.firstSlot;
        const int ok =
            link.getInfo(ip, 0, request.count, variables, store.readImage() + request.firstSlot);
        if (ok == 0 && !request.failureMessage.empty())
            return resultFor(request.failureMessage);
    }
    return FetchResult::Ok;
}

FetchResult fetchMode1Block(DeviceLink& link, const char* ip, ConfigStore& store) {
    const int ok = link.getInfo(ip, 1, static_cast<int>(kMode1Block.size()), kMode1Block.data(),
                                store.mode1ReadImage());
    return ok == 0 ? FetchResult::Mode1Fail : FetchResult::Ok;
}

FetchResult fetchIdleTimeout(DeviceLink& link, const char* ip, ConfigStore& store) {
    store.takeFirmwareLevel();
    if (store.firmwareLevel <= kSecondsFirmwareLevel)
        return FetchResult::Ok;
    const int variable = kIdleSecondsVariable;
    const int ok = link.getInfo(ip, 0, 1, &variable, &store.read(kIdleTimeoutSlot));
    return ok == 0 ? FetchResult::IdleTimeFail : FetchResult::Ok;
}

FetchResult fetchConfiguration(DeviceLink& link, const char* ip, ConfigStore& store) {
    store.clearWriteImage();
    if (const FetchResult r = fetchCatalogue(link, ip, store); r != FetchResult::Ok)
        return r;
    store.clearMode1WriteImage();
    if (const FetchResult r = fetchMode1Block(link, ip, store); r != FetchResult::Ok)
        return r;
    return fetchIdleTimeout(link, ip, store);
}

FetchResult fetchForFile(DeviceLink& link, const char* ip, ConfigStore& store) {
    if (const FetchResult r = fetchConfiguration(link, ip, store); r != FetchResult::Ok)
        return r;
    const int last = store.slotCount() - 1;
    if (store.family() != Family::Two)
        return FetchResult::Ok;
    const int variable = variableAt(store.family(), last);
    const int ok = link.getInfo(ip, 0, 1, &variable, &store.read(last));
    return ok == 0 ? FetchResult::InfoFail : FetchResult::Ok;
}

} // namespace tolvaro::device
