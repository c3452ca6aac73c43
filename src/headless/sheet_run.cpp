#include "headless/sheet_run.h"

#include <functional>

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "app/settings_sheet.h"
#include "app/write_safety.h"
#include "headless/address.h"
#include "operation/app_context.h"

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
    case Control::Hardware: {
        std::string out;
        for (std::size_t i = 0; i < 6; ++i)
            out += (i == 0 ? "" : "-") + page.text(c.ids[i]);
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
        return c.ids[1] == 0 ? std::string() : typeInto(page, c.ids[1], edit.value);
    case Control::Hardware: {
        std::vector<std::string> parts(1);
        for (const char ch : edit.value) {
            if (ch == '-' || ch == ':')
                parts.emplace_back();
            else
                parts.back() += ch;
        }
        if (parts.size() != 6)
            return "takes six pairs of hexadecimal digits, as 00-0A-95-9D-68-16";
        for (std::size_t i = 0; i < 6; ++i)
            if (std::string problem = typeInto(page, c.ids[i], parts[i]); !problem.empty())
                return problem;
        break;
    }
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

// The column that names a table's rows: "Name" where the list has one,
// else the first (routes: the destination).
int keyColumnOf(const std::vector<std::string>& columns) {
    const auto named = std::find(columns.begin(), columns.end(), "Name");
    return named == columns.end() ? 0 : static_cast<int>(named - columns.begin());
}

// A row's key as the list shows it, blanks left out.
std::string rowName(const ui::ScriptedDialogDriver& page, int list, int row, int column) {
    std::string name;
    for (const char c : page.listText(list, row, column))
        if (c != ' ')
            name += c;
    return name;
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
        // Named in the writer lock, so that a second writer is told who
        // holds the router.
        context.writerName = "tolvaro-cli";
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

namespace {

// Switches first, since they enable the fields that follow them.
std::vector<SettingEdit> switchesFirst(std::vector<SettingEdit> edits) {
    std::stable_sort(edits.begin(), edits.end(),
                     [](const auto& a, const auto& b) { return isChoice(a) && !isChoice(b); });
    return edits;
}

// The row of the list that `name` names; -1 when none does.
int findRow(const ui::ScriptedDialogDriver& page, const TableControl& table,
            const std::string& name) {
    const auto columns = page.listColumns(table.list);
    const auto named = std::find(columns.begin(), columns.end(), "Name");
    const int column = named == columns.end() ? 0 : static_cast<int>(named - columns.begin());
    for (int row = 0; row < page.listCount(table.list); ++row)
        if (sameRowName(page.listText(table.list, row, column), name))
            return row;
    return -1;
}

} // namespace

void HeadlessSetup::onTablePage(const TableControl& table,
                                const std::function<void(ui::ScriptedDialogDriver&)>& read) {
    if (!fetched_)
        throw std::logic_error("read before fetch");
    Session session(host_, link_, router_);
    session.state.firmwareLevel = fetched_->firmwareLevel;
    device::ConfigStore store = *fetched_;
    app::SettingsSheet sheet(session.context, store);
    std::string refused;
    host_.expectSheet([&](ui::ScriptedSheetDriver& driver) {
        if (driver.activePage() != table.page && !driver.selectPage(table.page)) {
            refused = joined(host_.takeMessages());
        } else {
            ui::ScriptedDialogDriver page = driver.page();
            read(page);
            host_.takeMessages();
        }
        driver.pressCancel();
    });
    sheet.run();
    if (!refused.empty())
        throw std::runtime_error(refused);
}

std::vector<std::pair<std::string, std::string>>
HeadlessSetup::readTable(const TableControl& table) {
    std::vector<std::pair<std::string, std::string>> out;
    onTablePage(table, [&](ui::ScriptedDialogDriver& page) {
        const auto columns = page.listColumns(table.list);
        const int keyColumn = keyColumnOf(columns);
        for (int row = 0; row < page.listCount(table.list); ++row) {
            const std::string name = rowName(page, table.list, row, keyColumn);
            std::string text;
            for (std::size_t c = 0; c < columns.size(); ++c)
                text += (c == 0 ? "" : ", ") + columns[c] + ": " +
                        page.listText(table.list, row, static_cast<int>(c));
            out.emplace_back(std::string(table.key) + "[" + name + "]", text);
        }
    });
    return out;
}

std::map<std::string, std::map<std::string, std::string>>
HeadlessSetup::readRows(const TableControl& table) {
    std::map<std::string, std::map<std::string, std::string>> out;
    onTablePage(table, [&](ui::ScriptedDialogDriver& page) {
        const auto columns = page.listColumns(table.list);
        const int keyColumn = keyColumnOf(columns);
        for (int row = 0; row < page.listCount(table.list); ++row) {
            const std::string name = rowName(page, table.list, row, keyColumn);
            auto& fields = out[name];
            if (table.edit == 0) {
                for (std::size_t c = 0; c < columns.size(); ++c) {
                    std::string header;
                    for (const char ch : columns[c])
                        header += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
                    fields[header] = rowName(page, table.list, row, static_cast<int>(c));
                }
                continue;
            }
            page.clickRow(table.list, row);
            host_.expectDialog(table.dialog, [&](ui::ScriptedDialogDriver& dialog) {
                for (const SettingControl& field : table.fields)
                    fields[std::string(field.key)] = readControl(dialog, field);
                dialog.click(ui::kIdCancel);
            });
            page.click(table.edit);
        }
    });
    return out;
}

SheetOutcome HeadlessSetup::write(const std::vector<SettingEdit>& edits,
                                  const std::vector<RowEdit>& rows,
                                  device::SnapshotStore* snapshots, bool verify) {
    if (!fetched_)
        throw std::logic_error("write before fetch");
    std::vector<int> pages;
    for (const SettingEdit& edit : edits)
        pages.push_back(edit.control->page);
    for (const RowEdit& row : rows)
        pages.push_back(row.table->page);
    std::sort(pages.begin(), pages.end());
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());

    Session session(host_, link_, router_);
    session.state.firmwareLevel = fetched_->firmwareLevel;
    session.context.snapshots = snapshots;
    session.context.verifyAfterReset = verify;
    session.context.writerName = "tolvaro-cli";
    device::ConfigStore store = *fetched_;
    app::WriteSafety safety(session.context, store, device::SnapshotReason::Setup);
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
            return false;
        };
        const auto settled = [&] {
            const auto boxes = take();
            return std::any_of(boxes.begin(), boxes.end(), refuses) ? refuse(joined(boxes)) : true;
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
            if (!left || std::any_of(boxes.begin(), boxes.end(), refuses))
                return refuse(joined(boxes));
            return true;
        };
        // Types values into a page or dialog; the problem that stops it, or
        // nothing. It leaves the sheet open, since a dialog may be on it.
        const auto typeAll = [&](ui::ScriptedDialogDriver& window,
                                 const std::vector<SettingEdit>& values,
                                 const std::string& where) -> std::string {
            for (const SettingEdit& edit : switchesFirst(values)) {
                std::string problem;
                try {
                    problem = typeValue(window, edit);
                } catch (const ui::ScriptError&) {
                    problem = "cannot be changed while the window has its control switched off";
                }
                if (!problem.empty())
                    return where + std::string(edit.control->key) + " " + problem;
                const auto boxes = take();
                if (std::any_of(boxes.begin(), boxes.end(), refuses))
                    return joined(boxes);
            }
            return {};
        };
        // A row through the page's buttons and the editor dialog; the dialog
        // stays open on a failed check, and its message is the refusal.
        const auto editRow = [&](ui::ScriptedDialogDriver& page, const RowEdit& edit) {
            const TableControl& table = *edit.table;
            const std::string where = std::string(table.key) + "[" + edit.row + "]";
            const bool adding = edit.row == "+";
            const int row = adding ? -1 : findRow(page, table, edit.row);
            if (!adding && row < 0)
                return refuse(where + ": no such row");
            if (!adding)
                page.clickRow(table.list, row);
            if (edit.remove) {
                page.click(table.remove);
                return settled();
            }
            if (!adding && table.edit == 0)
                return refuse(where + ": the window cannot edit this row; delete it and add "
                                      "it anew");
            std::string problem;
            host_.expectDialog(table.dialog, [&](ui::ScriptedDialogDriver& dialog) {
                problem = typeAll(dialog, edit.fields, where + ".");
                if (problem.empty()) {
                    dialog.click(ui::kIdOk);
                    if (dialog.isOpen())
                        problem = joined(take());
                }
                if (dialog.isOpen())
                    dialog.click(ui::kIdCancel);
            });
            page.click(adding ? table.add : table.edit);
            if (!problem.empty())
                return refuse(problem);
            return settled();
        };
        for (const int number : pages) {
            if (!leaveFor(number))
                return;
            ui::ScriptedDialogDriver page = driver.page();
            std::vector<SettingEdit> here;
            for (const SettingEdit& edit : edits)
                if (edit.control->page == number)
                    here.push_back(edit);
            if (const std::string problem = typeAll(page, here, {}); !problem.empty())
                return (void)refuse(problem);
            for (const RowEdit& row : rows) {
                if (row.table->page != number)
                    continue;
                // A button or list the page has switched off (Add on a full
                // table, a list with dial-in off) cannot be used by a user.
                try {
                    if (!editRow(page, row))
                        return;
                } catch (const ui::ScriptError& e) {
                    return (void)refuse(std::string(row.table->key) + "[" + row.row +
                                        "]: the window does not let this be done now (" + e.what() +
                                        ")");
                }
            }
            page.leave();
            if (!settled())
                return;
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
        // Nothing sent: the safety net stopped it before the first write
        // (another writer holds the router); its message says why.
        if (safety.sent().empty()) {
            outcome.refusal = boxes.empty() ? std::string("nothing was written") : joined(boxes);
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
