// status --prometheus FILE [--inventory FILE]: the metrics of every router of
// an inventory, for a textfile collector. What each metric means, and where
// the line's up-time comes from, is in device/metrics.h.
#pragma once

#include <string>

#include "cli/cli.h"

namespace tolvaro::cli {

struct InventoryMetrics {
    std::string inventory; // empty: defaultInventory()
    std::string file;
    int jobs = 8;
};

// Adds --inventory, --prometheus and --jobs to `command`.
void addInventoryMetricsOptions(CLI::App& command, InventoryMetrics& options);

// Whether the options ask for the metrics file; throws UsageError for
// --inventory or --jobs without --prometheus, or with a ROUTER.
bool wantsInventoryMetrics(const InventoryMetrics& options, const std::string& router);

// Reads every router of the inventory, `jobs` at once: a full read of its
// configuration (compared with its newest backup snapshot for drift), the
// line state and the connection log. A router that cannot be read is
// reported on standard error and written as unreachable. Writes the file
// atomically and returns 0 when it was written, 1 when it was not, 2 when
// the inventory is wrong.
int writeInventoryMetrics(Context& context, const InventoryMetrics& options);

} // namespace tolvaro::cli
