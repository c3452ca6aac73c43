// The snapshot index as it may be found on disk, edited or cut short: it
// fills in only snapshots it names, only from lines of five fields, and never
// changes which snapshots are listed or their file names.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "check.h"
#include "device/snapshots.h"

namespace {

using namespace tolvaro::device;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::vector<SnapshotInfo> listed(input.ConsumeIntegralInRange(0, 4));
    for (SnapshotInfo& info : listed)
        info.fileName = input.ConsumeRandomLengthString(40);
    const std::vector<SnapshotInfo> before = listed;
    std::istringstream index(input.ConsumeRemainingBytesAsString());
    readSnapshotIndex(index, listed);

    FUZZ_CHECK(listed.size() == before.size());
    const std::string text = index.str();
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const SnapshotInfo& info = listed[i];
        FUZZ_CHECK(info.fileName == before[i].fileName);
        for (const std::string* field : {&info.routerName, &info.address, &info.firmware})
            FUZZ_CHECK(field->find('\t') == std::string::npos &&
                       field->find('\n') == std::string::npos);
        // Anything filled in came from a line that starts with the file name.
        if (!info.reason.empty() || !info.routerName.empty())
            FUZZ_CHECK(text.starts_with(info.fileName + "\t") ||
                       text.find("\n" + info.fileName + "\t") != std::string::npos);
    }
    return 0;
}
