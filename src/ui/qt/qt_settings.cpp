#include "ui/qt/qt_settings.h"

namespace tolvaro::ui {

QtSettingsStore::QtSettingsStore(const QString& path)
    : settings_(path.isEmpty() ? std::make_unique<QSettings>(
                                     QSettings::IniFormat, QSettings::UserScope,
                                     QStringLiteral("Karvel"), QStringLiteral("Tolvaro"))
                               : std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

QString QtSettingsStore::group(std::string_view key) {
    QString g = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
    g.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (g.endsWith(QLatin1Char('/'))) {
        g.chop(1);
    }
    return g;
}

bool QtSettingsStore::usable() {
    return settings_->status() == QSettings::NoError;
}

bool QtSettingsStore::openKey(std::string_view key) {
    if (!usable()) {
        return false;
    }
    const QString g = group(key);
    if (created_.count(g)) {
        return true;
    }
    settings_->beginGroup(g);
    const bool exists = !settings_->childKeys().isEmpty() || !settings_->childGroups().isEmpty();
    settings_->endGroup();
    return exists;
}

bool QtSettingsStore::createKey(std::string_view key) {
    if (!usable() || !settings_->isWritable()) {
        return false;
    }
    created_.insert(group(key));
    return true;
}

std::optional<std::string> QtSettingsStore::readValue(std::string_view key, std::string_view name) {
    const QString path = group(key) + QLatin1Char('/') +
                         QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    if (usable() && settings_->contains(path)) {
        return settings_->value(path).toString().toStdString();
    }
    auto fallback = defaults_.find(path);
    if (fallback != defaults_.end()) {
        return fallback->second;
    }
    return std::nullopt;
}

bool QtSettingsStore::writeValue(std::string_view key, std::string_view name,
                                 std::string_view value) {
    if (!usable() || !settings_->isWritable() || !openKey(key)) {
        return false;
    }
    const QString path = group(key) + QLatin1Char('/') +
                         QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    settings_->setValue(path,
                        QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

void QtSettingsStore::setDefault(std::string_view key, std::string_view name,
                                 std::string_view value) {
    defaults_[group(key) + QLatin1Char('/') +
              QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))] = value;
}

} // namespace tolvaro::ui
