// What get, set and apply share: keys to controls, the settings sheet run
// without a screen with the tool's waits and answers, the write with its
// outcomes as exit statuses, and the read-back.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "headless/sheet_run.h"

namespace tolvaro::cli {

using headless::SettingControl;

// Exit status 2 with the text, on standard error (and as {"error": ...}
// on standard output with --json).
struct Refusal {
    std::string text;
};

// Runs a command, turning a Refusal into its output and status 2.
int withRefusals(const Context& context, const std::function<int()>& run);

// The control of a key; a Refusal for a key no control edits.
const SettingControl& controlFor(const std::string& key);
// A value as output shows it: a secret only as "set" or "empty".
std::string shown(const SettingControl& control, const std::string& value);
// "KEY=VALUE" split at the first "="; a Refusal without one.
std::pair<std::string, std::string> splitAssignment(const std::string& text);

// The windows' host: the reset's wait as --reset-wait says, questions
// answered as --yes says.
headless::HeadlessHost makeHost(const Context& context);
// Setup's reads; Failure with its message.
void fetchOrFail(headless::HeadlessSetup& setup);
std::map<std::string, std::string> readOrFail(headless::HeadlessSetup& setup,
                                              const std::vector<const SettingControl*>& keys);

struct Change {
    const SettingControl* control;
    std::string before;
    std::string after;
};

// Writes through the sheet, with a snapshot first and the sheet's read-back
// after; a page's refusal is a Refusal, a failed write or read-back a
// Failure. Prints the pages' messages unless --json.
headless::SheetOutcome write(Context& context, headless::HeadlessSetup& setup,
                             const std::vector<Change>& changes,
                             const std::vector<headless::RowEdit>& rows = {});

// The change of the administrator password among `changes`, if any.
const Change* newPassword(const std::vector<Change>& changes);
// Talks to the router with its new password from now on.
void useNewPassword(Context& context, DEVICE_INFO& router, const std::string& password);
// The changed settings as the router holds them after its restart; throws
// Failure naming those that did not take.
void readBack(Context& context, headless::HeadlessHost& host, const DEVICE_INFO& router,
              const std::vector<Change>& changes);

struct ApplyRun {
    bool dryRun = false;
    std::string inventory;
    int jobs = 4;
};
// Reads a state file and checks every key in it (a Refusal names the
// first that is wrong), before any router is read.
void checkState(const std::string& path);
// apply --inventory: one run of this program per router.
int applyInventory(Context& context, const std::string& statePath, const ApplyRun& run);

} // namespace tolvaro::cli
