#include "headless/sheet_run.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "app/settings_sheet.h"
#include "app/write_safety.h"
#include "device/app_context.h"
#include "headless/address.h"

namespace tolvaro::headless {
namespace {

bool isChoice(const SettingEdit& edit) {
    return edit.control->control == Control::Check || edit.control->control == Control::Radio;
}

std::string readControl(const ui::ScriptedDialogDriver& page, const SettingControl& c) {
    switch (c.control) {
    case Control::Edit:
    case Control::Secret:
        return page.text(c.ids[0]);
    case Control::Octets: {
        std::string out;
        for (std::size_t i = 0; i < 4; ++i)
            out += (i == 0 ? "" : ".") + page.text(c.ids[i]);
        return out;
    }
    case Control::Check:
        return page.isChecked(c.ids[0]) ? "on" : "off";
    case Control::Combo: {
        const int at = page.comboSelection(c.ids[0]);
        const auto items = page.comboItems(c.ids[0]);
        return at >= 0 && static_cast<std::size_t>(at) < items.size()
                   ? items[static_cast<std::size_t>(at)]
                   : std::string();
    }
    case Control::Radio: {
        const auto choices = c.choices();
        for (std::size_t i = 0; i < choices.size(); ++i)
            if (page.isChecked(c.ids[i]))
                return choices[i];
        return {};
    }
    }
    return {};
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// An edit refuses what does not fit it (too long, not digits) without a
// word; a value that went in cut would be written as something not asked
// for. Letters an edit makes lower case are its own rule and pass.
std::string typeInto(ui::ScriptedDialogDriver& page, int id, const std::string& value) {
    page.type(id, value);
    const std::string held = page.text(id);
    if (sameIgnoringCase(held, value))
        return {};
    const int limit = page.textLimit(id);
    return "does not take \"" + value + "\"" +
           (limit > 0 && value.size() > static_cast<std::size_t>(limit)
                ? " (at most " + std::to_string(limit) + " characters)"
                : " (the field holds \"" + held + "\")");
}

// Types one value as a user would; an empty result means done, else why the
// value could not be given.
std::string typeValue(ui::ScriptedDialogDriver& page, const SettingEdit& edit) {
    const SettingControl& c = *edit.control;
    switch (c.control) {
    case Control::Edit:
        return typeInto(page, c.ids[0], edit.value);
    case Control::Secret:
        if (std::string problem = typeInto(page, c.ids[0], edit.value); !problem.empty())
            return problem;
        return typeInto(page, c.ids[1], edit.value);
    case Control::Octets: {
        const auto parts = octetTexts(edit.value);
        for (std::size_t i = 0; i < 4; ++i)
            if (std::string problem = typeInto(page, c.ids[i], parts[i]); !problem.empty())
                return problem;
        break;
    }
    case Control::Check: {
        bool on = false;
        if (!parseOnOff(edit.value, on))
            return "takes on or off";
        if (page.isChecked(c.ids[0]) != on)
            page.click(c.ids[0]);
        break;
    }
    case Control::Combo: {
        const auto items = page.comboItems(c.ids[0]);
        if (std::find(items.begin(), items.end(), edit.value) == items.end())
            return "is not one of the list's items";
        page.select(c.ids[0], edit.value);
        break;
    }
    case Control::Radio: {
        const auto choices = c.choices();
        const auto it = std::find(choices.begin(), choices.end(), edit.value);
        if (it == choices.end())
            return "is not one of the choices";
        page.click(c.ids[static_cast<std::size_t>(it - choices.begin())]);
        break;
    }
    }
    return {};
}

std::string joined(const std::vector<ui::MessageRecord>& boxes) {
    std::string out;
    for (const ui::MessageRecord& box : boxes)
        out += (out.empty() ? "" : "\n") + box.text;
    return out;
}

// A box that only informs, shown while values are typed or a page is left,
// says the value did not go in as given (a range, a clamp).
bool refuses(const ui::MessageRecord& box) {
    return box.buttons == ui::Buttons::Ok || box.answer == ui::Answer::Cancel ||
           box.answer == ui::Answer::No;
}

struct Session {
    Session(HeadlessHost& host, device::DeviceLink& link, const DEVICE_INFO& router)
        : context(state, host, link) {
        state.devices[0] = router;
        state.deviceCount = 1;
        state.selectedIndex = 0;
    }
    AppState state;
    AppContext context;
};

} // namespace

HeadlessSetup::HeadlessSetup(HeadlessHost& host, device::DeviceLink& link,
                             const DEVICE_INFO& router)
    : host_(host), link_(link), router_(router) {}

device::FetchResult HeadlessSetup::fetch() {
    device::ConfigStore store(device::familyOf(router_));
    const device::FetchResult result = device::fetchConfiguration(link_, router_.ipAddress, store);
    if (result == device::FetchResult::Ok)
        fetched_ = std::move(store);
    return result;
}

std::map<std::string, std::string>
HeadlessSetup::read(const std::vector<const SettingControl*>& controls) {
    if (!fetched_)
        throw std::logic_error("read before fetch");
    std::vector<const SettingControl*> byPage = controls;
    std::stable_sort(byPage.begin(), byPage.end(),
                     [](const auto* a, const auto* b) { return a->page < b->page; });
    Session session(host_, link_, router_);
    session.state.firmwareLevel = fetched_->firmwareLevel;
    device::ConfigStore store = *fetched_;
    app::SettingsSheet sheet(session.context, store);
    std::map<std::string, std::string> out;
    std::string refused;
    host_.expectSheet([&](ui::ScriptedSheetDriver& driver) {
        for (const SettingControl* c : byPage) {
            if (driver.activePage() != c->page && !driver.selectPage(c->page)) {
                refused = joined(host_.takeMessages());
                break;
            }
            out[std::string(c->key)] = readControl(driver.page(), *c);
        }
        driver.pressCancel();
    });
    sheet.run();
    if (!refused.empty())
        throw std::runtime_error(refused);
    return out;
}

SheetOutcome HeadlessSetup::write(const std::vector<SettingEdit>& edits,
                                  device::SnapshotStore* snapshots, bool verify) {
    if (!fetched_)
        throw std::logic_error("write before fetch");
    std::vector<SettingEdit> ordered = edits;
    // Page by page in sheet order; on a page the switches first, since they
    // enable the fields that follow them.
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
        if (a.control->page != b.control->page)
            return a.control->page < b.control->page;
        return isChoice(a) && !isChoice(b);
    });

    Session session(host_, link_, router_);
    session.state.firmwareLevel = fetched_->firmwareLevel;
    session.context.snapshots = snapshots;
    session.context.verifyAfterReset = verify;
    device::ConfigStore store = *fetched_;
    // What the router held, untouched by the pages, for the snapshot.
    device::ConfigStore asRead = *fetched_;
    app::WriteSafety safety(session.context, asRead, device::SnapshotReason::Setup);
    safety.watchCommits();
    app::SettingsSheet sheet(session.context, store);

    SheetOutcome outcome;
    host_.takeMessages();
    host_.expectSheet([&](ui::ScriptedSheetDriver& driver) {
        // Every box becomes output, the questions answered on the way too.
        const auto take = [&] {
            auto boxes = host_.takeMessages();
            for (const ui::MessageRecord& box : boxes)
                outcome.messages.push_back(box.text);
            return boxes;
        };
        const auto refuse = [&](std::string why) {
            outcome.refusal = std::move(why);
            driver.pressCancel();
        };
        // Each page is left for the next as a user clicks the next tab, the
        // last one for the Status page, which has nothing to apply: so its
        // leave checks run, and any message they show (a refusal, a clamp)
        // comes before OK, where it can still stop the write.
        const auto leaveFor = [&](int next) {
            if (driver.activePage() == next)
                return true;
            const bool left = driver.selectPage(next);
            const auto boxes = take();
            if (!left || std::any_of(boxes.begin(), boxes.end(), refuses)) {
                refuse(joined(boxes));
                return false;
            }
            return true;
        };
        for (std::size_t i = 0; i < ordered.size(); ++i) {
            const SettingEdit& edit = ordered[i];
            if (!leaveFor(edit.control->page))
                return;
            ui::ScriptedDialogDriver page = driver.page();
            std::string problem;
            try {
                problem = typeValue(page, edit);
            } catch (const ui::ScriptError&) {
                problem = "cannot be changed while the page has its control switched off";
            }
            if (!problem.empty())
                return refuse(std::string(edit.control->key) + " " + problem);
            page.leave();
            const auto boxes = take();
            if (std::any_of(boxes.begin(), boxes.end(), refuses))
                return refuse(joined(boxes));
        }
        if (!leaveFor(kStatus))
            return;
        if (!driver.pressOK()) {
            refuse(joined(take()));
            return;
        }
        const auto boxes = take();
        if (!host_.declined().empty()) {
            outcome.refusal = host_.declined();
            return;
        }
        // A sound OK shows one box: the reset's. More is a failed write or a
        // verify that found a setting that did not take.
        std::size_t notes = 0;
        for (const ui::MessageRecord& box : boxes)
            notes += box.buttons == ui::Buttons::Ok ? 1 : 0;
        outcome.result = notes == 1 ? SheetOutcome::Result::Written : SheetOutcome::Result::Failed;
    });
    sheet.run();
    if (!outcome.refusal.empty())
        outcome.result = SheetOutcome::Result::Refused;
    outcome.snapshot = safety.snapshotPath();
    return outcome;
}

} // namespace tolvaro::headless
