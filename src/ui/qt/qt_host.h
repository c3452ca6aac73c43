// The Qt backend: real widgets built from templates, QMessageBox, the
// override cursor, QFileDialog, QSettings and QDesktopServices. Needs a
// QApplication.
#pragma once

#include <QPointer>
#include <QString>

#include <functional>
#include <map>
#include <memory>

#include "ui/host.h"
#include "ui/template.h"

class QDialog;
class QProgressDialog;
class QTextBrowser;
class QWidget;

namespace tolvaro::ui {

class QtSettingsStore;
class QtWindow;

class QtHost : public Host {
public:
    QtHost();
    ~QtHost() override;

    // Replaces the real sleep (tests): called with the milliseconds to wait.
    void setSleepFunction(std::function<void(int ms)> sleeper) { sleeper_ = std::move(sleeper); }
    // Called whenever a modal dialog, message box, sheet or popup menu is about to block
    // (tests use it to drive the window; the argument is the top window).
    void setModalHook(std::function<void(QWidget*)> hook) { modalHook_ = std::move(hook); }

    void beginWaitCursor() override;
    void endWaitCursor() override;
    void sleep(int ms) override;
    void sleepWithProgress(std::string_view what, int ms) override;
    void beginProgress(std::string_view what, int parts) override;
    void endProgress() override;
    int runDialog(Dialog& dialog) override;
    int runSheet(PropertySheet& sheet) override;
    void createModeless(Dialog& dialog) override;
    void destroyModeless(Dialog& dialog) override;
    std::optional<std::string> openFileName(const FileDialogOptions& options) override;
    std::optional<std::string> saveFileName(const FileDialogOptions& options) override;
    std::optional<int> popupMenu(const std::vector<std::string>& items) override;
    SettingsStore& settings() override;
    void openUrl(std::string_view url) override;
    void showHelp(int topic) override;
    std::string hostName() override;
    std::vector<std::string> hostAddresses() override;

    // A settings value read when the user's store holds none.
    void setSettingsDefault(std::string_view key, std::string_view name, std::string_view value);
    // Uses an INI file instead of the user's configuration (tests).
    void useSettingsFile(const QString& path);

    // Builds a template's window with its static texts, unattached to any
    // dialog class (the window is owned by the caller).
    static QWidget* buildTemplate(const Template& t, QWidget* parent = nullptr);
    // Renders a template to DIR/<number>-<caption>.png; returns the path, or
    // an empty string when the file could not be written.
    static QString renderTemplate(const Template& t, const QString& dir);

    // The help page for a topic, or the index when there is none.
    static QString helpPagePath(int topic);
    // The help window once help has been shown (tests), else null.
    QTextBrowser* helpWindow() const { return helpWindow_.get(); }

protected:
    Answer showMessage(std::string_view text, Buttons buttons, Icon icon,
                       std::string_view caption) override;

private:
    // The window a new dialog or box belongs to: the top modal window, else
    // the active one; never the help window, which stands outside the
    // modal chain.
    QWidget* activeWindow() const;
    // Every modal run goes through here: it blocks only the windows the
    // dialog belongs to (the help window stays usable), hands the window to
    // the test hook and shows the arrow over a wait begun outside it.
    // `run` runs the event loop (the dialog's exec() when empty).
    int runModal(QDialog& dialog, const std::function<int()>& run = {});

    std::unique_ptr<QtSettingsStore> settings_;
    std::function<void(int)> sleeper_;
    std::function<void(QWidget*)> modalHook_;
    std::unique_ptr<QTextBrowser> helpWindow_;
    // The windows of modeless dialogs (the search-wait window), by dialog.
    std::map<Dialog*, std::unique_ptr<QtWindow>> modelessWindows_;
    int waitDepth_ = 0;
    // The window of an open progress: its parts, the waits shown so far and
    // the open begins. Guarded, since its parent may close first.
    QPointer<QProgressDialog> progress_;
    int progressParts_ = 1;
    int progressDone_ = 0;
    int progressDepth_ = 0;
};

} // namespace tolvaro::ui
