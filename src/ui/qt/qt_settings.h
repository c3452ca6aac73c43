// The settings store of the Qt backend: QSettings in the user's
// configuration directory (~/.config/Karvel/Tolvaro.ini on Linux).
// Internal to the backend.
#pragma once

#include <QSettings>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "ui/host.h"

namespace tolvaro::ui {

class QtSettingsStore : public SettingsStore {
public:
    // `path` empty: the user's configuration file; otherwise an INI file there.
    explicit QtSettingsStore(const QString& path = {});

    bool openKey(std::string_view key) override;
    bool createKey(std::string_view key) override;
    std::optional<std::string> readValue(std::string_view key, std::string_view name) override;
    bool writeValue(std::string_view key, std::string_view name, std::string_view value) override;

    // A value read when the store holds none (a stored value wins).
    void setDefault(std::string_view key, std::string_view name, std::string_view value);

private:
    static QString group(std::string_view key);
    bool usable();

    std::unique_ptr<QSettings> settings_;
    // Keys created during this run that hold no value yet (QSettings keeps
    // no empty groups).
    std::set<QString> created_;
    std::map<QString, std::string> defaults_;
};

} // namespace tolvaro::ui
