// show: a configuration file, setting by setting or entry by entry.
#include <iostream>

#include "cli/cli.h"
#include "device/config_file.h"

namespace tolvaro::cli {
namespace {

nlohmann::ordered_json entryJson(const DecodedEntry& e, bool showSecrets) {
    const char* kind = e.secret && !showSecrets ? "secret"
                       : e.isInteger            ? "integer"
                       : e.isText               ? "text"
                                                : "hex";
    return {{"variable", e.variable}, {"hex", hex(e.variable)}, {"mode", e.mode},
            {"type", e.type},         {"length", e.length},     {kind, e.jsonValue(showSecrets)}};
}

// The settings a file holds, by name.
int showNamed(Context& context, const std::string& path) {
    const DecodedFile file = readConfigFile(path); // the checks and their messages
    std::string error;
    const auto bytes = device::readFileBytes(path, device::largestFileSize() + 1, &error);
    const auto named = bytes ? device::describeConfigFile(*bytes) : std::nullopt;
    if (!named)
        throw Failure{escaped(path) + ": " + (error.empty() ? "not readable" : escaped(error))};
    if (context.options.json) {
        auto settings = nlohmann::ordered_json::array();
        for (const auto& v : *named)
            settings.push_back({{"key", v.key}, {"name", v.name}, {"value", v.value}});
        printJson({{"version", file.version},
                   {"firmwareLevel", file.firmwareLevel},
                   {"family", file.family},
                   {"settings", settings}});
        return kExitOk;
    }
    std::cout << "version: " << file.version << "\nfirmware level: " << file.firmwareLevel
              << "\nfamily: " << file.family << " (from the file length)\n";
    for (const auto& v : *named)
        std::cout << escaped(v.name) << ": " << escaped(v.value) << "\n";
    return kExitOk;
}

int show(Context& context, const std::string& path, bool showSecrets) {
    const DecodedFile file = readConfigFile(path);
    if (context.options.json) {
        auto entries = nlohmann::ordered_json::array();
        for (const DecodedEntry& e : file.entries)
            entries.push_back(entryJson(e, showSecrets));
        printJson({{"header", "ISDNROUTER"},
                   {"version", file.version},
                   {"firmwareLevel", file.firmwareLevel},
                   {"family", file.family},
                   {"familyFrom", "length"},
                   {"entries", entries}});
        return kExitOk;
    }
    // The file does not store the family: it follows from the length.
    std::cout << "header: ISDNROUTER\nversion: " << file.version
              << "\nfirmware level: " << file.firmwareLevel << "\nfamily: " << file.family
              << " (from the file length)\nentries: " << file.entries.size() << "\n";
    for (const DecodedEntry& e : file.entries) {
        std::cout << hex(e.variable) << " (" << e.variable << ") mode " << e.mode << " type "
                  << e.type << " length " << e.length << ": " << e.shown(showSecrets) << "\n";
    }
    return kExitOk;
}

Runner setUp(CLI::App& command) {
    auto path = std::make_shared<std::string>();
    command.add_option("FILE", *path, "The configuration file.")->required();
    auto raw = std::make_shared<bool>(false);
    command.add_flag("--raw", *raw, "Every entry with its variable number, mode, type and value.");
    auto showSecrets = std::make_shared<bool>(false);
    command.add_flag("--show-secrets", *showSecrets,
                     "With --raw, print passwords and the tables that hold them instead of "
                     "\"(set)\" or \"(empty)\".");
    return [path, raw, showSecrets](Context& context) {
        return *raw ? show(context, *path, *showSecrets) : showNamed(context, *path);
    };
}

const Registration kShow{40, "show FILE",
                         "Print a configuration file: file version number, firmware level, "
                         "layout family (which the file does not store: it follows from the "
                         "length) and every setting by name, secrets shown only as set or "
                         "empty (--raw: every entry with its variable number, mode, type and "
                         "value, secrets still hidden unless --show-secrets).",
                         setUp};

} // namespace
} // namespace tolvaro::cli
