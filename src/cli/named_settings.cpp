#include "cli/named_settings.h"

#include <algorithm>
#include <chrono>
#include <iostream>

#include "device/fetch.h"

namespace tolvaro::cli {

const SettingControl& controlFor(const std::string& key) {
    const SettingControl* control = headless::settingControl(key);
    if (!control)
        throw Refusal{"unknown key " + escaped(key) + " (tolvaro-cli get --help lists the keys)"};
    return *control;
}

namespace {

bool isSecret(const SettingControl& control) {
    return control.control == headless::Control::Secret;
}

} // namespace

std::string shown(const SettingControl& control, const std::string& value) {
    if (isSecret(control))
        return value.empty() ? "empty" : "set";
    return value;
}

// The windows' waits: the reset's as --reset-wait says, the rest as asked.
headless::HeadlessHost makeHost(const Context& context) {
    const int resetWait = context.options.resetWaitMs;
    device::WaitClock& clock = context.clock;
    return headless::HeadlessHost(
        [resetWait, &clock](int ms) {
            clock.sleepFor(
                std::chrono::milliseconds(ms == headless::kResetWaitMs ? resetWait : ms));
        },
        context.options.yes);
}

void fetchOrFail(headless::HeadlessSetup& setup) {
    const device::FetchResult fetched = setup.fetch();
    if (fetched != device::FetchResult::Ok)
        throw Failure{std::string(device::fetchFailureMessage(fetched))};
}

std::map<std::string, std::string> readOrFail(headless::HeadlessSetup& setup,
                                              const std::vector<const SettingControl*>& keys) {
    try {
        return setup.read(keys);
    } catch (const std::runtime_error& e) {
        throw Failure{e.what()};
    }
}

int withRefusals(const Context& context, const std::function<int()>& run) {
    try {
        return run();
    } catch (const Refusal& refusal) {
        if (context.options.json)
            printJson({{"error", refusal.text}});
        std::cerr << "tolvaro-cli: " << refusal.text << "\n";
        return kExitUsage;
    }
}

// The changed settings as the router holds them after its restart; throws
// Failure naming those that did not take.
void readBack(Context& context, headless::HeadlessHost& host, const DEVICE_INFO& router,
              const std::vector<Change>& changes) {
    if (changes.empty())
        return;
    std::vector<const SettingControl*> controls;
    for (const Change& c : changes)
        controls.push_back(c.control);
    headless::HeadlessSetup after(host, context.link(), router);
    fetchOrFail(after);
    const auto now = readOrFail(after, controls);
    std::string missed;
    for (const Change& c : changes)
        if (now.at(std::string(c.control->key)) != c.after)
            missed += (missed.empty() ? "" : ", ") + std::string(c.control->key);
    if (!missed.empty())
        throw Failure{"the router came back without " + missed};
}

// Writes the changes through the sheet; the messages it showed and the
// snapshot's path.
headless::SheetOutcome write(Context& context, headless::HeadlessSetup& setup,
                             const std::vector<Change>& changes,
                             const std::vector<headless::RowEdit>& rows) {
    std::vector<headless::SettingEdit> edits;
    for (const Change& change : changes)
        edits.push_back({change.control, change.after});
    device::SnapshotStore snapshots = snapshotStore();
    const headless::SheetOutcome outcome = setup.write(edits, rows, &snapshots, true);
    switch (outcome.result) {
    case headless::SheetOutcome::Result::Refused:
        throw Refusal{outcome.refusal};
    case headless::SheetOutcome::Result::Failed: {
        std::string text;
        for (const std::string& message : outcome.messages)
            text += (text.empty() ? "" : "\n") + message;
        throw Failure{text};
    }
    case headless::SheetOutcome::Result::Written:
        break;
    }
    if (!context.options.json)
        for (const std::string& message : outcome.messages)
            std::cout << message << "\n";
    return outcome;
}

std::pair<std::string, std::string> splitAssignment(const std::string& text) {
    const auto at = text.find('=');
    if (at == std::string::npos || at == 0)
        throw Refusal{"set takes KEY=VALUE, not " + escaped(text)};
    return {text.substr(0, at), text.substr(at + 1)};
}

} // namespace tolvaro::cli
