// The settings sheet of Setup run without a screen: a router's configuration
// read as Setup reads it, the real pages opened on the scripted backend,
// values typed into the controls that edit them, the pages' own leave checks
// and the sheet's OK, commit and reset. Every message box the pages show is
// kept; the outcome says whether they refused, failed or wrote.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <ipslan/ipslan.h>

#include "device/config_store.h"
#include "device/fetch.h"
#include "headless/headless_host.h"
#include "headless/setting_controls.h"

namespace tolvaro::device {
class DeviceLink;
class SnapshotStore;
} // namespace tolvaro::device

namespace tolvaro::ui {
class ScriptedDialogDriver;
}

namespace tolvaro::headless {

struct SettingEdit {
    const SettingControl* control = nullptr;
    std::string value;
};

// A row of a table added ("+"), edited or deleted through the page's
// buttons and its editor dialog. Fields not given keep what the dialog
// shows.
struct RowEdit {
    const TableControl* table = nullptr;
    std::string row;
    bool remove = false;
    std::vector<SettingEdit> fields;
};

struct SheetOutcome {
    enum class Result {
        Written, // OK went through: written, reset, verified
        Refused, // a page refused or a question was declined: nothing written
        Failed,  // written, but a write, the reset or the verify went wrong
    };
    Result result = Result::Refused;
    // The texts of the message boxes, in order.
    std::vector<std::string> messages;
    // Why it was refused: the page's message, the declined question, or a
    // control the window did not let be used.
    std::string refusal;
    std::string snapshot; // where the router's configuration from before is kept
};

class HeadlessSetup {
public:
    // `router` is logged in (community and port set).
    HeadlessSetup(HeadlessHost& host, device::DeviceLink& link, const DEVICE_INFO& router);

    // Setup's reads; nothing else works before they succeed.
    device::FetchResult fetch();

    // The values the controls show, by key; secrets as they are (the caller
    // hides them). Throws std::runtime_error with the page's message when a
    // page cannot be left to reach the next.
    std::map<std::string, std::string> read(const std::vector<const SettingControl*>& controls);
    // The rows of a table as its list shows them: by row key ("lan.routes[10.1.0.0]"),
    // "Column: text" pairs joined by ", ".
    std::vector<std::pair<std::string, std::string>> readTable(const TableControl& table);
    // The rows of a table by name, each with its fields as the editor dialog
    // shows them (opened with Edit, then cancelled). A table without Edit
    // gives the fields its list shows, under the column of the field's name;
    // the others are missing.
    std::map<std::string, std::map<std::string, std::string>> readRows(const TableControl& table);

    // Types the edits into their pages in sheet order and presses OK.
    // `snapshots` (may be null) keeps the configuration from before; the
    // settings are read back after the restart when `verify` is set.
    SheetOutcome write(const std::vector<SettingEdit>& edits, const std::vector<RowEdit>& rows,
                       device::SnapshotStore* snapshots, bool verify);

private:
    // Opens the sheet on the table's page, hands the page to `read`, and
    // cancels; throws std::runtime_error with the messages when the page
    // cannot be reached.
    void onTablePage(const TableControl& table,
                     const std::function<void(ui::ScriptedDialogDriver&)>& read);
    HeadlessHost& host_;
    device::DeviceLink& link_;
    DEVICE_INFO router_;
    std::optional<device::ConfigStore> fetched_;
};

} // namespace tolvaro::headless
