#include "device/fetch.h"

#include <vector>

#include <ipslan/variables.h>

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

// Variables read alone, kept where the reads can point at them.
constexpr int kIdleSecondsRead[] = {kIdleSecondsVariable};
constexpr int kConnectionTestRead[] = {ipslan::var::kRemoteManagement};

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
    case FetchResult::NoAnswer:
        return "Error - no response";
    }
    return {};
}

FetchResult fetchCatalogue(DeviceLink& link, const char* ip, ConfigStore& store) {
    const auto table = catalogue(store.family());
    ReadImageFill fill(store);
    std::vector<IPS_READ> reads;
    std::vector<FetchResult> failures;
    for (const CatalogueRequest& request : catalogueRequests(store.family())) {
        const FetchResult failure =
            request.failureMessage.empty() ? FetchResult::Ok : resultFor(request.failureMessage);
        reads.push_back(IPS_READ{0, request.count, table.data() + request.firstSlot,
                                 fill.readImage() + request.firstSlot,
                                 failure != FetchResult::Ok ? 1 : 0, 0});
        failures.push_back(failure);
    }
    link.getInfoBatch(ip, reads.data(), static_cast<int>(reads.size()));
    for (std::size_t i = 0; i < reads.size(); ++i) {
        if (reads[i].status == 0 && reads[i].stopOnFailure != 0)
            return failures[i];
    }
    return FetchResult::Ok;
}

FetchResult fetchMode1Block(DeviceLink& link, const char* ip, ConfigStore& store) {
    const int ok = link.getInfo(ip, 1, static_cast<int>(kMode1Block.size()), kMode1Block.data(),
                                ReadImageFill(store).mode1ReadImage());
    return ok == 0 ? FetchResult::Mode1Fail : FetchResult::Ok;
}

FetchResult fetchIdleTimeout(DeviceLink& link, const char* ip, ConfigStore& store) {
    store.takeFirmwareLevel();
    if (store.firmwareLevel <= kSecondsFirmwareLevel)
        return FetchResult::Ok;
    const int variable = kIdleSecondsVariable;
    const int ok = link.getInfo(ip, 0, 1, &variable, &ReadImageFill(store).read(kIdleTimeoutSlot));
    return ok == 0 ? FetchResult::IdleTimeFail : FetchResult::Ok;
}

FetchPlan::FetchPlan(Family family, Extent extent, bool connectionTest) : family_(family) {
    const auto add = [this](int mode, int count, const int* variables, FetchResult onFailure,
                            bool stops) {
        reads_.push_back(IPS_READ{mode, count, variables, nullptr, stops ? 1 : 0, 0});
        failures_.push_back(onFailure);
        return reads_.size() - 1;
    };
    if (connectionTest)
        add(0, 1, kConnectionTestRead, FetchResult::NoAnswer, true);
    // The first catalogue request's failure is not examined: a router that
    // does not answer it fails at the next one.
    const auto table = catalogue(family);
    for (const CatalogueRequest& request : catalogueRequests(family)) {
        const FetchResult failure =
            request.failureMessage.empty() ? FetchResult::Ok : resultFor(request.failureMessage);
        add(0, request.count, table.data() + request.firstSlot, failure,
            failure != FetchResult::Ok);
    }
    add(1, static_cast<int>(kMode1Block.size()), kMode1Block.data(), FetchResult::Mode1Fail, true);
    // Judged in finish(): only a router above level 60 must answer it.
    idleRead_ = add(0, 1, kIdleSecondsRead, FetchResult::IdleTimeFail, false);
    if (extent == Extent::File && family == Family::Two) {
        const int last = static_cast<int>(table.size()) - 1;
        lastSlotRead_ = add(0, 1, table.data() + last, FetchResult::InfoFail, false);
    }
}

void FetchPlan::bind(ConfigStore& store) {
    const auto table = catalogue(family_);
    ReadImageFill fill(store);
    std::size_t i = reads_.front().variables == kConnectionTestRead ? 1 : 0;
    if (i == 1)
        reads_[0].result = &testAnswer_;
    for (const CatalogueRequest& request : catalogueRequests(family_))
        reads_[i++].result = fill.readImage() + request.firstSlot;
    reads_[i++].result = fill.mode1ReadImage();
    reads_[idleRead_].result = &idleSeconds_;
    if (lastSlotRead_ != 0)
        reads_[lastSlotRead_].result = &fill.read(static_cast<int>(table.size()) - 1);
}

FetchResult FetchPlan::finish(ConfigStore& store) const {
    store.clearWriteImage();
    store.clearMode1WriteImage();
    for (std::size_t i = 0; i < reads_.size(); ++i) {
        if (reads_[i].status != 1 && reads_[i].stopOnFailure != 0)
            return failures_[i];
    }
    store.takeFirmwareLevel();
    if (store.firmwareLevel > kSecondsFirmwareLevel) {
        if (reads_[idleRead_].status != 1)
            return FetchResult::IdleTimeFail;
        ReadImageFill(store).read(kIdleTimeoutSlot) = idleSeconds_;
    }
    if (lastSlotRead_ != 0 && reads_[lastSlotRead_].status != 1)
        return FetchResult::InfoFail;
    return FetchResult::Ok;
}

namespace {

FetchResult fetchWith(FetchPlan& plan, DeviceLink& link, const char* ip, ConfigStore& store) {
    plan.bind(store);
    const std::span<IPS_READ> reads = plan.reads();
    link.getInfoBatch(ip, reads.data(), static_cast<int>(reads.size()));
    return plan.finish(store);
}

} // namespace

FetchResult fetchConfiguration(DeviceLink& link, const char* ip, ConfigStore& store) {
    FetchPlan plan(store.family(), FetchPlan::Extent::Setup);
    return fetchWith(plan, link, ip, store);
}

FetchResult fetchForFile(DeviceLink& link, const char* ip, ConfigStore& store,
                         bool connectionTest) {
    FetchPlan plan(store.family(), FetchPlan::Extent::File, connectionTest);
    return fetchWith(plan, link, ip, store);
}

} // namespace tolvaro::device
