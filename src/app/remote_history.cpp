#include "app/remote_history.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "ui/host.h"

namespace tolvaro::app {
namespace {

constexpr const char* kAddressValue = "IPADDRESS_";
constexpr const char* kPortValue = "PORTNUM_";

std::string valueName(const char* prefix, std::size_t number) {
    return prefix + std::to_string(number);
}

void readList(ui::SettingsStore& store, const char* prefix, std::vector<std::string>& list) {
    list.clear();
    for (std::size_t number = 1; number <= kRecentLimit; ++number) {
        const std::optional<std::string> value =
            store.readValue(kRemoteSettingsKey, valueName(prefix, number));
        if (!value || value->size() >= kRecentValueBuffer) {
            return;
        }
        list.push_back(*value);
    }
}

bool writeList(ui::SettingsStore& store, const char* prefix, const std::vector<std::string>& list) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!store.writeValue(kRemoteSettingsKey, valueName(prefix, i + 1), list[i])) {
            return false;
        }
    }
    return true;
}

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

bool loadRecent(ui::SettingsStore& store, RecentLists& lists) {
    if (!store.openKey(kRemoteSettingsKey) && !store.createKey(kRemoteSettingsKey)) {
        return false;
    }
    readList(store, kAddressValue, lists.addresses);
    readList(store, kPortValue, lists.ports);
    return true;
}

bool saveRecent(ui::SettingsStore& store, const RecentLists& lists) {
    if (!store.openKey(kRemoteSettingsKey)) {
        return false;
    }
    return writeList(store, kAddressValue, lists.addresses) &&
           writeList(store, kPortValue, lists.ports);
}

void rememberRecent(std::vector<std::string>& list, const std::vector<std::string>& dropDownItems,
                    const std::string& text) {
    const bool offered =
        std::any_of(dropDownItems.begin(), dropDownItems.end(),
                    [&text](const std::string& item) { return equalIgnoringCase(item, text); });
    if (offered || std::find(list.begin(), list.end(), text) != list.end()) {
        return;
    }
    if (list.size() >= kRecentLimit) {
        list.erase(list.begin(),
                   list.begin() + static_cast<std::ptrdiff_t>(list.size() - kRecentLimit + 1));
    }
    list.push_back(text);
}

} // namespace tolvaro::app
