// Text conversion between the windowing model (UTF-8) and Qt. Internal to the
// Qt backend.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace tolvaro::ui {

inline QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ss(const QString& text) {
    return text.toStdString();
}

} // namespace tolvaro::ui
