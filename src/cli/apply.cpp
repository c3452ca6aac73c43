// apply: a router made to hold a desired state, by the settings sheet run
// without a screen; nothing happens when it holds it already.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <optional>
#include <set>

#include <toml++/toml.h>

#include "cli/named_settings.h"

namespace tolvaro::cli {
namespace {

namespace fs = std::filesystem;

// ---- apply ------------------------------------------------------------------------

// A desired state: settings by key, and rows of tables by table and row
// name; a row that must not be there is nothing.
struct State {
    std::map<std::string, std::string> settings;
    std::map<std::pair<const headless::TableControl*, std::string>,
             std::optional<std::map<std::string, std::string>>>
        rows;
};

constexpr std::string_view kAbsent = "absent";

std::string valueText(const toml::node& node, const fs::path& path, const std::string& key) {
    if (const auto* text = node.as_string())
        return text->get();
    if (const auto* number = node.as_integer())
        return std::to_string(number->get());
    if (const auto* flag = node.as_boolean())
        return flag->get() ? "on" : "off";
    throw Refusal{escaped(path.string()) + ": " + escaped(key) +
                  " takes a text, a number or true/false"};
}

// The rows of a table in a state file:
//     [lan.routes."10.7.0.0"]            # the row's name as its list shows it
//     mask = "255.255.0.0"
// or "10.1.0.0" = "absent" for a row that must not be there.
void readRows(const headless::TableControl& table, const toml::table& rows, const fs::path& path,
              State& out) {
    for (const auto& [name, node] : rows) {
        const std::string row(name.str());
        const std::string where = std::string(table.key) + "[" + row + "]";
        if (const auto* text = node.as_string(); text && text->get() == kAbsent) {
            out.rows[{&table, row}] = std::nullopt;
            continue;
        }
        const auto* fields = node.as_table();
        if (!fields)
            throw Refusal{escaped(path.string()) + ": " + escaped(where) +
                          " takes a table of fields or \"absent\""};
        std::map<std::string, std::string> values;
        for (const auto& [field, value] : *fields) {
            const std::string fieldName(field.str());
            const auto known =
                std::find_if(table.fields.begin(), table.fields.end(),
                             [&](const SettingControl& f) { return f.key == fieldName; });
            if (known == table.fields.end())
                throw Refusal{escaped(where) + " has no field " + escaped(fieldName)};
            values[fieldName] = valueText(value, path, where + "." + fieldName);
        }
        values[std::string(table.nameField)] = row;
        out.rows[{&table, row}] = values;
    }
}

// A state file as dotted keys; "include" names other state files (relative
// to this one) read first, so this file's values win. Every key is checked
// here, before any router is read.
void readState(const fs::path& path, State& out, std::set<fs::path>& seen) {
    const fs::path absolute = fs::weakly_canonical(fs::absolute(path));
    if (!seen.insert(absolute).second)
        throw Refusal{escaped(path.string()) + ": included twice (a loop?)"};
    toml::table table;
    try {
        table = toml::parse_file(absolute.string());
    } catch (const toml::parse_error& e) {
        throw Refusal{escaped(path.string()) + ":" + std::to_string(e.source().begin.line) + ": " +
                      std::string(e.description())};
    }
    if (const toml::node* include = table.get("include")) {
        std::vector<std::string> names;
        if (const auto* one = include->as_string())
            names.push_back(one->get());
        else if (const auto* list = include->as_array())
            for (const toml::node& item : *list)
                if (const auto* name = item.as_string())
                    names.push_back(name->get());
                else
                    throw Refusal{escaped(path.string()) + ": include takes file names"};
        else
            throw Refusal{escaped(path.string()) + ": include takes file names"};
        for (const std::string& name : names)
            readState(absolute.parent_path() / name, out, seen);
    }
    const std::function<void(const toml::table&, const std::string&)> walk =
        [&](const toml::table& t, const std::string& prefix) {
            for (const auto& [name, node] : t) {
                const std::string key = prefix + std::string(name.str());
                if (key == "include")
                    continue;
                const auto* inner = node.as_table();
                if (const headless::TableControl* rows = headless::tableControl(key);
                    rows && inner) {
                    readRows(*rows, *inner, path, out);
                } else if (inner) {
                    walk(*inner, key + ".");
                } else {
                    controlFor(key);
                    out.settings[key] = valueText(node, path, key);
                }
            }
        };
    walk(table, "");
}

State checkedState(const std::string& path) {
    State state;
    std::set<fs::path> seen;
    readState(path, state, seen);
    return state;
}

// One difference as the plan names it.
struct Difference {
    std::string key;
    std::string name;
    std::string before;
    std::string after;
};

Difference differenceOf(const Change& c) {
    return {std::string(c.control->key), c.control->name(), shown(*c.control, c.before),
            shown(*c.control, c.after)};
}

// What is compared of a field: hardware addresses in one spelling, and
// nothing of the blanks a list puts between octets.
std::string comparable(const SettingControl& field, std::string value) {
    std::erase(value, ' ');
    if (field.control == headless::Control::Hardware) {
        std::replace(value.begin(), value.end(), ':', '-');
        for (char& c : value)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return value;
}

// The row edits that make the tables as the state wants them, and their
// differences. A field the router's list does not show (a table without
// Edit) cannot be compared, so it does not make a difference by itself.
void planRows(headless::HeadlessSetup& setup, const State& state,
              std::vector<headless::RowEdit>& edits, std::vector<Difference>& differences) {
    std::map<const headless::TableControl*,
             std::map<std::string, std::map<std::string, std::string>>>
        current;
    for (const auto& [where, wanted] : state.rows) {
        const auto& [table, row] = where;
        if (!current.count(table)) {
            try {
                current[table] = setup.readRows(*table);
            } catch (const std::runtime_error& e) {
                throw Failure{e.what()};
            }
        }
        const auto& rows = current[table];
        const auto found = rows.find(row);
        const std::string key = std::string(table->key) + "[" + row + "]";
        if (!wanted) {
            if (found != rows.end()) {
                edits.push_back({table, row, true, {}});
                differences.push_back({key, key, "present", "absent"});
            }
            continue;
        }
        std::vector<headless::SettingEdit> fields;
        for (const auto& [name, value] : *wanted) {
            const SettingControl& field =
                *std::find_if(table->fields.begin(), table->fields.end(),
                              [&](const SettingControl& f) { return f.key == name; });
            std::string before;
            if (found != rows.end()) {
                const auto shownNow = found->second.find(name);
                if (shownNow == found->second.end())
                    continue;
                before = shownNow->second;
                if (comparable(field, before) == comparable(field, value))
                    continue;
            }
            fields.push_back({&field, value});
            differences.push_back({key + "." + name, headless::rowFieldName(*table, row, field),
                                   shown(field, before), shown(field, value)});
        }
        if (fields.empty())
            continue;
        if (found == rows.end()) {
            edits.push_back({table, "+", false, fields});
        } else if (table->edit != 0) {
            edits.push_back({table, row, false, fields});
        } else {
            // The window cannot edit such a row: it is deleted and added anew
            // with every field the state gives.
            std::vector<headless::SettingEdit> all;
            for (const auto& [name, value] : *wanted)
                all.push_back(
                    {&*std::find_if(table->fields.begin(), table->fields.end(),
                                    [&](const SettingControl& f) { return f.key == name; }),
                     value});
            edits.push_back({table, row, true, {}});
            edits.push_back({table, "+", false, all});
        }
    }
}

int apply(Context& context, const std::string& router, const std::string& statePath,
          const ApplyRun& run) {
    const State state = checkedState(statePath);
    std::vector<const SettingControl*> controls;
    for (const auto& [key, value] : state.settings)
        controls.push_back(&controlFor(key));

    DEVICE_INFO found = login(context, router, device::LoginFor::Setup);
    headless::HeadlessHost host = makeHost(context);
    headless::HeadlessSetup setup(host, context.link(), found);
    fetchOrFail(setup);
    const auto current = readOrFail(setup, controls);
    std::vector<Change> plan;
    std::vector<Difference> differences;
    for (const SettingControl* c : controls) {
        const std::string key(c->key);
        if (current.at(key) != state.settings.at(key)) {
            plan.push_back({c, current.at(key), state.settings.at(key)});
            differences.push_back(differenceOf(plan.back()));
        }
    }
    std::vector<headless::RowEdit> rowEdits;
    planRows(setup, state, rowEdits, differences);

    const auto report = [&](bool changed, const std::string& snapshot) {
        if (context.options.json) {
            auto list = nlohmann::ordered_json::array();
            for (const Difference& d : differences)
                list.push_back(
                    {{"key", d.key}, {"name", d.name}, {"before", d.before}, {"after", d.after}});
            printJson({{"changed", changed},
                       {"differences", list},
                       {"snapshot", snapshot.empty() ? nlohmann::ordered_json(nullptr)
                                                     : nlohmann::ordered_json(snapshot)}});
            return;
        }
        if (differences.empty())
            std::cout << "no changes\n";
        for (const Difference& d : differences)
            std::cout << escaped(d.name) << ": " << escaped(d.before) << " -> " << escaped(d.after)
                      << "\n";
    };
    if (differences.empty() || run.dryRun) {
        report(!differences.empty(), {});
        return differences.empty() ? kExitOk : kExitFailed;
    }
    if (!context.options.json)
        report(true, {});
    const std::string snapshot = write(context, setup, plan, rowEdits).snapshot;

    if (const Change* password = newPassword(plan))
        useNewPassword(context, found, password->after);
    // The router as it came back: every planned setting must read as asked,
    // and the tables must need nothing more.
    readBack(context, host, found, plan);
    if (!state.rows.empty()) {
        headless::HeadlessSetup after(host, context.link(), found);
        fetchOrFail(after);
        std::vector<headless::RowEdit> still;
        std::vector<Difference> left;
        planRows(after, state, still, left);
        if (!left.empty())
            throw Failure{"the router came back without " + left.front().key +
                          (left.size() > 1 ? " and " + std::to_string(left.size() - 1) + " more"
                                           : std::string())};
    }
    if (context.options.json)
        report(true, snapshot);
    else if (!snapshot.empty())
        std::cout << "snapshot: " << escaped(snapshot) << "\n";
    return kExitOk;
}

Runner setUpApply(CLI::App& command) {
    auto router = std::make_shared<std::string>();
    auto state = std::make_shared<std::string>();
    auto run = std::make_shared<ApplyRun>();
    command.add_option("ROUTER", *router, "The router (not with --inventory).");
    command.add_option("STATE", *state, "The state file (TOML).");
    command.add_flag("--dry-run", run->dryRun,
                     "Print the differences; write nothing. Status 1 when something would "
                     "change.");
    command
        .add_option("--inventory", run->inventory,
                    "Apply STATE to every router of this inventory (as backup reads it), "
                    "one summary line each.")
        ->type_name("FILE");
    command.add_option("--jobs", run->jobs, "With --inventory: routers at once (4).")
        ->type_name("N")
        ->check(CLI::Range(1, 64));
    return [router, state, run](Context& context) {
        if (!run->inventory.empty()) {
            // One argument given: it is the state file.
            const std::string path = state->empty() ? *router : *state;
            if (path.empty() || (!state->empty() && !router->empty()))
                throw UsageError{"apply --inventory needs STATE only"};
            return withRefusals(context, [&] { return applyInventory(context, path, *run); });
        }
        if (router->empty() || state->empty())
            throw UsageError{"apply needs ROUTER and STATE"};
        return withRefusals(context, [&] { return apply(context, *router, *state, *run); });
    };
}

const Registration kApply{
    82, "apply ROUTER STATE",
    "Make ROUTER hold the settings and table rows of the state file STATE (TOML, keys as for get; "
    "include = [\"base.toml\"] reads other state files first). Prints the differences; when there "
    "are none nothing is written. Otherwise writes them as set does and reads them back. With "
    "--inventory FILE (and STATE alone) every router of the inventory, --jobs at a time: one "
    "summary line each, status 1 naming those that failed.",
    setUpApply};

} // namespace

void checkState(const std::string& path) {
    checkedState(path);
}

} // namespace tolvaro::cli
