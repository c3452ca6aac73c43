// The file a router keeps its settings in, one per router in the state
// directory, named after its hardware address.
//
// Format: text lines, written whole to a temporary file that then replaces
// the old one, so a crash leaves either the old or the new settings.
//
//     tolvaro-routerd state 1
//     family 2
//     address 127.0.0.2
//     netmask 255.255.255.0
//     value <mode> <variable, hex> <integer|text|bytes> <decimal | hex bytes | ->
//
// Values missing from a file keep their factory setting; anything unknown or
// malformed refuses the whole file with the line number and the reason.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "routersim/model.h"

namespace routersim {

std::filesystem::path stateFilePath(const std::filesystem::path& directory,
                                    const HardwareAddress& hardware);

std::string formatState(const Settings& settings);

struct ParsedState {
    std::optional<Settings> settings;
    std::string error; // set when settings is empty
};

// Reads a state text over the factory settings of the same router.
ParsedState parseState(const std::string& text, const Settings& factory);

// Loads the file; no settings and no error when it does not exist.
ParsedState loadState(const std::filesystem::path& file, const Settings& factory);

// Writes atomically (temporary file, flush, rename). Empty on success, else
// what failed.
std::string saveState(const std::filesystem::path& file, const Settings& settings);

} // namespace routersim
