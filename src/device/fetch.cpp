#include "device/fetch.h"

#include <vector>

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

// The independent reads of a fetch, sent as one batch so that several can be
// on the wire at once. Each read keeps the result its failure gives (Ok: its
// failure is not examined); the first read that fails with a result ends the
// batch, as it ended the sequence of single reads.
class ReadPlan {
public:
    // Returns the read's index, for outcome().
    std::size_t add(int mode, int count, const int* variables, MIB_RESPONSE* result,
                    FetchResult onFailure, bool stops = true) {
        reads_.push_back(IPS_READ{mode, count, variables, result,
                                  stops && onFailure != FetchResult::Ok ? 1 : 0, 0});
        failures_.push_back(onFailure);
        return reads_.size() - 1;
    }
    // The result of the first read that failed and stops the batch.
    FetchResult run(DeviceLink& link, const char* ip) {
        link.getInfoBatch(ip, reads_.data(), static_cast<int>(reads_.size()));
        for (const IPS_READ& read : reads_) {
            if (read.status == 0 && read.stopOnFailure != 0)
                return failures_[static_cast<std::size_t>(&read - reads_.data())];
        }
        return FetchResult::Ok;
    }
    FetchResult outcome(std::size_t index) const {
        return reads_[index].status == 1 ? FetchResult::Ok : failures_[index];
    }

private:
    std::vector<IPS_READ> reads_;
    std::vector<FetchResult> failures_;
};

// The catalogue requests reach the read image from each request's first slot
// on; the sixth single read and the 28-variable request share a slot, and the
// later one wins there, as the batch keeps results in order.
void planCatalogue(ReadPlan& plan, ConfigStore& store) {
    const auto table = catalogue(store.family());
    for (const CatalogueRequest& request : catalogueRequests(store.family())) {
        plan.add(0, request.count, table.data() + request.firstSlot,
                 store.readImage() + request.firstSlot,
                 request.failureMessage.empty() ? FetchResult::Ok
                                                : resultFor(request.failureMessage));
    }
}

void planMode1Block(ReadPlan& plan, ConfigStore& store) {
    plan.add(1, static_cast<int>(kMode1Block.size()), kMode1Block.data(), store.mode1ReadImage(),
             FetchResult::Mode1Fail);
}

// The catalogue and the mode-1 block in one batch, then the idle time-out,
// which waits for the firmware level. `extra` reads may join the batch; they
// do not stop it, and their caller examines them afterwards.
FetchResult fetchPlanned(DeviceLink& link, const char* ip, ConfigStore& store, ReadPlan& plan) {
    store.clearWriteImage();
    if (const FetchResult r = plan.run(link, ip); r != FetchResult::Ok)
        return r;
    store.clearMode1WriteImage();
    return fetchIdleTimeout(link, ip, store);
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
    ReadPlan plan;
    planCatalogue(plan, store);
    return plan.run(link, ip);
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
    ReadPlan plan;
    planCatalogue(plan, store);
    planMode1Block(plan, store);
    return fetchPlanned(link, ip, store, plan);
}

FetchResult fetchForFile(DeviceLink& link, const char* ip, ConfigStore& store) {
    ReadPlan plan;
    planCatalogue(plan, store);
    planMode1Block(plan, store);
    if (store.family() != Family::Two)
        return fetchPlanned(link, ip, store, plan);
    // Read with the others, judged after the idle time-out as when it was
    // read last.
    const int last = store.slotCount() - 1;
    const int variable = variableAt(store.family(), last);
    const std::size_t mode0Copy =
        plan.add(0, 1, &variable, &store.read(last), FetchResult::InfoFail, false);
    if (const FetchResult r = fetchPlanned(link, ip, store, plan); r != FetchResult::Ok)
        return r;
    return plan.outcome(mode0Copy);
}

} // namespace tolvaro::device
