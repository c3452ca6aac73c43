// Host: the services that dialogs and pages reach outside their own window.
// One Host serves the whole run; the Qt backend implements it with real
// widgets, the scripted backend records every call for the tests.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvaro::ui {

class Dialog;
class PropertySheet;

enum class Buttons { Ok, OkCancel, YesNo };
enum class Icon { None, Information, Question, Warning, Stop };
// The button that closed a message box (the platform's numbers).
enum class Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct FileDialogOptions {
    std::string defaultExtension; // "cfg": added when the typed name has none
    // Pairs of description and pattern separated by "|", e.g.
    // "Config Files (*.cfg)|*.cfg|"; an incomplete last pair is ignored.
    std::string filter;
    bool overwritePrompt = false; // save: ask before replacing a file
    bool hideReadOnly = false;    // open: no read-only check box
};

// The settings store that replaces the registry. Keys are backslash paths
// such as "Software\\Karvel\\ISDN Tolvaro"; values are texts. Every
// operation can fail, so callers keep their own failure messages.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Opens an existing key for reading and writing; false when it is absent
    // or the store cannot be used.
    virtual bool openKey(std::string_view key) = 0;
    // Creates the key (or opens it when it exists); false on failure.
    virtual bool createKey(std::string_view key) = 0;
    // The value's text, or nothing when the key or value is missing.
    virtual std::optional<std::string> readValue(std::string_view key, std::string_view name) = 0;
    virtual bool writeValue(std::string_view key, std::string_view name,
                            std::string_view value) = 0;
};

// The caption of a message box that names none.
inline constexpr std::string_view kProgramCaption = "Tolvaro";

class Host {
public:
    virtual ~Host() = default;

    // Shows a message box and returns the button that closed it. An empty
    // caption gives the program's name.
    Answer messageBox(std::string_view text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
                      std::string_view caption = {}) {
        return showMessage(text, buttons, icon, caption.empty() ? kProgramCaption : caption);
    }

    // Wait cursor; calls nest, the cursor shows while any begin is open.
    virtual void beginWaitCursor() = 0;
    virtual void endWaitCursor() = 0;
    // Blocks for `ms` milliseconds; the windows keep painting, input is held.
    virtual void sleep(int ms) = 0;
    // A long wait the user should see (a restart, a poll): a small window
    // says `what` and a bar moves with the wait. Blocks like sleep() and
    // goes through it, so an injected clock drives both.
    virtual void sleepWithProgress(std::string_view what, int ms) {
        (void)what;
        sleep(ms);
    }
    // One window for the waits of one operation (a poll of up to `parts`
    // waits), so it neither flickers nor restarts its bar: inside it, wait k
    // of sleepWithProgress() shows its own text and moves the bar from
    // (k-1)/parts to k/parts. Use Progress rather than these two. A begin
    // inside an open progress joins it; the outermost end closes the window.
    virtual void beginProgress(std::string_view what, int parts) {
        (void)what;
        (void)parts;
    }
    virtual void endProgress() {}

    virtual int runDialog(Dialog& dialog) = 0;
    virtual int runSheet(PropertySheet& sheet) = 0;
    virtual void createModeless(Dialog& dialog) = 0;
    virtual void destroyModeless(Dialog& dialog) = 0;

    // A popup menu of `items`, at the pointer after a right click or under the
    // list's current row after the menu key: the index chosen, or nothing
    // when the menu was dismissed. Call it from a ContextMenu handler.
    virtual std::optional<int> popupMenu(const std::vector<std::string>& items) = 0;

    // File dialogs: the chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> openFileName(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> saveFileName(const FileDialogOptions& options) = 0;

    virtual SettingsStore& settings() = 0;
    virtual void openUrl(std::string_view url) = 0;
    // Opens the help page of a topic (kHelpTopicBase + template number).
    virtual void showHelp(int topic) = 0;

    // This computer's host name and its IPv4 addresses as dotted text.
    virtual std::string hostName() = 0;
    virtual std::vector<std::string> hostAddresses() = 0;

protected:
    // `caption` is never empty here.
    virtual Answer showMessage(std::string_view text, Buttons buttons, Icon icon,
                               std::string_view caption) = 0;
};

// Begins the wait cursor for a scope.
class WaitCursor {
public:
    explicit WaitCursor(Host& host) : host_(host) { host_.beginWaitCursor(); }
    ~WaitCursor() { host_.endWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    Host& host_;
};

// Keeps one progress window open for a scope; it closes when the scope is
// left, early or by an exception.
class Progress {
public:
    Progress(Host& host, std::string_view what, int parts) : host_(host) {
        host_.beginProgress(what, parts);
    }
    ~Progress() { host_.endProgress(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

private:
    Host& host_;
};

} // namespace tolvaro::ui
