// show: a configuration file, entry by entry.
#include <iostream>

#include "cli/cli.h"

namespace tolvaro::cli {
namespace {

nlohmann::ordered_json entryJson(const DecodedEntry& e) {
    return {
        {"variable", e.variable}, {"hex", hex(e.variable)},
        {"mode", e.mode},         {"type", e.type},
        {"length", e.length},     {e.isInteger ? "integer" : e.isText ? "text" : "hex", e.value}};
}

int show(Context& context, const std::string& path) {
    const DecodedFile file = readConfigFile(path);
    if (context.options.json) {
        auto entries = nlohmann::ordered_json::array();
        for (const DecodedEntry& e : file.entries)
            entries.push_back(entryJson(e));
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
                  << e.type << " length " << e.length << ": " << e.shown() << "\n";
    }
    return kExitOk;
}

Runner setUp(CLI::App& command) {
    auto path = std::make_shared<std::string>();
    command.add_option("FILE", *path, "The configuration file.");
    return [path](Context& context) {
        if (path->empty())
            throw UsageError{"show needs one FILE"};
        return show(context, *path);
    };
}

const Registration kShow{40, "show FILE",
                         "Print a configuration file: header, file version number, firmware "
                         "level, layout family (which the file does not store: it follows from "
                         "the length) and every entry with its variable number, mode, type and "
                         "value.",
                         setUp};

} // namespace
} // namespace tolvaro::cli
