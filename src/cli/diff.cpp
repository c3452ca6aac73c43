// diff: the entries in which two configuration files differ.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>

#include "cli/cli.h"
#include "device/config_file.h"

namespace tolvaro::cli {
namespace {

bool looksLikeFile(const std::string& text) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text.find('/') != std::string::npos || lower.ends_with(".cfg");
}

// A file against the live router: what loading the file would change.
int diffWithRouter(Context& context, const std::string& path, const std::string& routerName) {
    std::string error;
    const auto file = device::readFileBytes(path, device::largestFileSize() + 1, &error);
    if (!file) {
        warn(escaped(error));
        return kExitUsage;
    }
    const RouterConfiguration read = readForFile(context, routerName, device::LoginFor::Save);
    const auto live = device::snapshotFile(read.store);
    const auto found = live ? device::diffConfigFiles(*live, *file) : std::nullopt;
    if (!found) {
        warn(escaped(path) + ": not a configuration file that can be compared");
        return kExitUsage;
    }
    printDifferences(context, *found);
    return found->empty() ? kExitOk : kExitFailed;
}

int namedDiff(Context& context, const std::string& first, const std::string& second) {
    std::string error;
    const auto a = device::readFileBytes(first, device::largestFileSize() + 1, &error);
    const auto b =
        a ? device::readFileBytes(second, device::largestFileSize() + 1, &error) : std::nullopt;
    const auto found = (a && b) ? device::diffConfigFiles(*a, *b) : std::nullopt;
    if (!found) {
        warn(error.empty() ? "a file is not a configuration file" : escaped(error));
        return kExitUsage;
    }
    printDifferences(context, *found);
    return found->empty() ? kExitOk : kExitFailed;
}

int diff(Context& context, const std::string& first, const std::string& second, bool showSecrets) {
    DecodedFile a;
    DecodedFile b;
    try {
        a = readConfigFile(first);
        b = readConfigFile(second);
    } catch (const Failure& failure) {
        // 1 means "the files differ", so a file that cannot be compared is 2.
        warn(failure.text);
        return kExitUsage;
    }
    std::vector<std::string> lines;
    auto json = nlohmann::ordered_json::array();
    auto header = [&](const char* name, long x, long y) {
        if (x == y)
            return;
        lines.push_back(std::string(name) + ": " + std::to_string(x) + " -> " + std::to_string(y));
        json.push_back({{"field", name}, {"from", x}, {"to", y}});
    };
    header("version", a.version, b.version);
    header("firmware level", a.firmwareLevel, b.firmwareLevel);
    header("family", a.family, b.family);

    auto change = [&](const DecodedEntry& e, const DecodedEntry* from, const DecodedEntry* to) {
        // Both sides of a changed secret may read "(set)": say it changed.
        const bool hidden = e.secret && !showSecrets && from && to;
        lines.push_back(hex(e.variable) + " mode " + std::to_string(e.mode) + ": " +
                        (from ? from->shown(showSecrets) : "(absent)") + " -> " +
                        (to ? to->shown(showSecrets) : "(absent)") + (hidden ? " (changed)" : ""));
        json.push_back(
            {{"variable", e.variable},
             {"mode", e.mode},
             {"from", from ? nlohmann::ordered_json(from->jsonValue(showSecrets)) : nullptr},
             {"to", to ? nlohmann::ordered_json(to->jsonValue(showSecrets)) : nullptr}});
    };
    // Entries are matched by variable and mode, so files of the two layouts
    // compare setting by setting.
    std::map<std::string, const DecodedEntry*> inSecond;
    for (const DecodedEntry& e : b.entries)
        inSecond[e.key()] = &e;
    std::set<std::string> seen;
    for (const DecodedEntry& e : a.entries) {
        seen.insert(e.key());
        const auto it = inSecond.find(e.key());
        if (it == inSecond.end())
            change(e, &e, nullptr);
        else if (it->second->value != e.value || it->second->type != e.type)
            change(e, &e, it->second);
    }
    for (const DecodedEntry& e : b.entries) {
        if (seen.count(e.key()) == 0)
            change(e, nullptr, &e);
    }
    if (context.options.json) {
        printJson(json);
    } else {
        for (const std::string& line : lines)
            std::cout << line << "\n";
    }
    return lines.empty() ? kExitOk : kExitFailed;
}

Runner setUp(CLI::App& command) {
    auto first = std::make_shared<std::string>();
    auto second = std::make_shared<std::string>();
    command.add_option("FILE1", *first, "The first configuration file.")->required();
    command
        .add_option("FILE2", *second,
                    "The second configuration file, or a ROUTER to compare FILE1 with.")
        ->required();
    auto raw = std::make_shared<bool>(false);
    command.add_flag("--raw", *raw, "Compare entry by entry instead of by named setting.");
    auto showSecrets = std::make_shared<bool>(false);
    command.add_flag("--show-secrets", *showSecrets,
                     "With --raw, print passwords and the tables that hold them.");
    return [first, second, raw, showSecrets](Context& context) {
        if (!std::filesystem::exists(*second)) {
            // A name with a folder or the files' extension means a file that
            // is not there, not a router of that name.
            if (looksLikeFile(*second)) {
                warn(escaped(*second) + ": no such file");
                return kExitUsage;
            }
            return diffWithRouter(context, *first, *second);
        }
        return *raw ? diff(context, *first, *second, *showSecrets)
                    : namedDiff(context, *first, *second);
    };
}

const Registration kDiff{50, "diff FILE1 FILE2|ROUTER",
                         "Print the settings in which two configuration files, or a file and the "
                         "live router, differ (--raw: the entries). Writes nothing. Exit status "
                         "0 when they are equal, 1 when they differ, 2 when a file cannot be "
                         "read.",
                         setUp};

} // namespace
} // namespace tolvaro::cli
