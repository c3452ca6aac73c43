// Named settings: a stable key and a human name for every variable of both
// catalogues, the mode-1 block and the variables outside the catalogue, and
// for every field of the table records, with the value decoded for display.
// `show`, `diff`, the verify after a restart and the Snapshots window all
// read this one table.
//
// Keys are lower-case, dotted and stable across releases
// ("quick_setup.account_name"); names are "Page / Label" as the page that
// edits the setting captions it. Variables no page edits carry honest names
// of what they hold. Secrets are never decoded: a display shows whether a
// secret is set, a difference only that it changed.
//
// Values are taken in the write-entry (file) form: integers as decimal text,
// texts and table images as bytes. Read entries go through fileEntryOf()
// first. Everything here is pure.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <ipslan/ipslan.h>

namespace tolvaro::device {

enum class Shown {
    Number,    // decimal
    OnOff,     // "on" for any value but 0
    OffSwitch, // a value that turns something off: "off" for any value but 0
    Flags,     // a bit field, hexadecimal
    Text,      // quoted
    Address,   // dotted text as stored
    Secret,    // never shown: set or empty, and whether two values differ
    Hardware,  // six bytes, upper-case hexadecimal pairs
    PortValue, // TCP port in the low 16 bits, UDP port in the high 16 bits
    Table,     // records of a table; see TableKind
};

enum class TableKind {
    None,
    Users,          // UserInfo, 5 per variable
    Groups,         // S_GPCFG, 1 per variable
    UserPortNames,  // 16 names of 6 bytes per variable
    Workstations,   // WkInfo, 10 per variable
    Routes,         // S_ROUTE, 10 per variable
    VirtualServers, // LOCAL_S, 10
    SpecialApps,    // SP_AP, 10
    ExposedComputer,
    Leases, // dhcp_tmp_s, 17 per variable (read only)
    Opaque, // bytes no page decodes
};

// A piece of a name: a caption of the window that edits the setting, with
// that window's template number, or text of our own (window 0): a joining
// blank, a unit, what a variable no window captions holds.
struct NamePart {
    std::string_view text;
    int window = 0;
};

// How a caption reads in a name: without its accelerator marks ("&&" is one
// ampersand), runs of blanks and blanks just inside brackets, and without a
// closing colon or blank. "SPID ( 1st B Channel )" reads "SPID (1st B Channel)".
std::string captionAsName(std::string_view caption);

struct SettingName {
    int variable;
    int mode;
    std::string_view key;
    std::string_view name; // "page / label", the parts below read as a name
    Shown shown;
    TableKind table = TableKind::None;
    // Records of a table split over consecutive variables: the number of the
    // first record this variable carries (0 for the first variable).
    int firstRecord = 0;
    NamePart page{};
    std::array<NamePart, 4> label{};
};

// Every named variable: both catalogues, the mode-1 block, var::kIdleSeconds, the
// variables outside the catalogue and the lease table.
std::span<const SettingName> allSettingNames();
// The entry for a variable in a mode; nullptr when it has none.
const SettingName* settingName(int variable, int mode);

// A field of a table record.
struct RecordField {
    std::string_view key;   // "name", "password" ...
    std::string_view label; // the parts below read as a name
    bool secret = false;
    std::array<NamePart, 4> parts{}; // as the editor dialog captions the field
};
std::span<const RecordField> recordFields(TableKind table);

// One setting as shown: key, name and decoded value. Table variables give
// one row per non-empty record field.
struct NamedValue {
    std::string key;
    std::string name;
    std::string value;
};
std::vector<NamedValue> describeEntry(const SettingName& setting, const _snmp_packet& entry);

// One setting that differs between two entries of the same variable.
// `before` and `after` are decoded; for secrets they read "unchanged" and
// "changed".
struct NamedDifference {
    std::string key;
    std::string name;
    std::string before;
    std::string after;
};
std::vector<NamedDifference> diffEntries(const SettingName& setting, const _snmp_packet& before,
                                         const _snmp_packet& after);

// Named differences between two configuration files (whole file images),
// entries matched by variable and mode so that files of either layout
// compare setting by setting. Nothing when either is not a readable file.
std::optional<std::vector<NamedDifference>> diffConfigFiles(std::span<const std::uint8_t> before,
                                                            std::span<const std::uint8_t> after);

// Every named setting a configuration file holds, in variable order;
// nothing when it is not a readable file.
std::optional<std::vector<NamedValue>> describeConfigFile(std::span<const std::uint8_t> file);

// Named entries for a variable that the table does not know: the honest
// fallback ("variable 0x1234").
SettingName unnamedSetting(int variable, int mode);

} // namespace tolvaro::device
