// The recent remote addresses and ports, kept in the settings store between
// runs under one key, as "IPADDRESS_1".."IPADDRESS_9" and
// "PORTNUM_1".."PORTNUM_9", number 1 the oldest.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tolvaro::ui {
class SettingsStore;
}

namespace tolvaro::app {

inline constexpr const char* kRemoteSettingsKey = "Software\\Karvel\\ISDN Tolvaro";
inline constexpr std::size_t kRecentLimit = 9;
// A value is read into a buffer of this many bytes, terminating zero
// included; a longer value counts as unreadable.
inline constexpr std::size_t kRecentValueBuffer = 128;

// Both lists oldest first, at most kRecentLimit items each.
struct RecentLists {
    std::vector<std::string> addresses;
    std::vector<std::string> ports;
};

// Opens the key, creating it when absent. False when neither works, and
// `lists` stay as they were. Otherwise each list is emptied and refilled
// from its values in number order up to the first value that cannot be read.
bool loadRecent(ui::SettingsStore& store, RecentLists& lists);

// Writes every item of both lists under its number; values numbered beyond
// a list's length stay as they are. The key is not created here. False when
// the key cannot be opened or a value cannot be written (the writing stops
// there).
bool saveRecent(ui::SettingsStore& store, const RecentLists& lists);

// Adds `text` as the newest item, dropping the oldest from a full list,
// unless the drop-down list's items hold it in any letter case or the list
// itself holds it exactly. An item already there keeps its place.
void rememberRecent(std::vector<std::string>& list, const std::vector<std::string>& dropDownItems,
                    const std::string& text);

} // namespace tolvaro::app
