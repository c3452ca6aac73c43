// get and set: named settings, and table rows by key, read and changed
// through the settings sheet run without a screen, so every check, message
// and write is the window's own.
#include <algorithm>
#include <iostream>

#include "cli/named_settings.h"

namespace tolvaro::cli {
namespace {

// ---- get ----------------------------------------------------------------------

int get(Context& context, const std::string& router, const std::vector<std::string>& keys) {
    std::vector<const SettingControl*> controls;
    std::vector<const headless::TableControl*> tables;
    for (const std::string& key : keys) {
        if (const headless::TableControl* table = headless::tableControl(key))
            tables.push_back(table);
        else
            controls.push_back(&controlFor(key));
    }
    const DEVICE_INFO found = login(context, router, device::LoginFor::Setup);
    headless::HeadlessHost host = makeHost(context);
    headless::HeadlessSetup setup(host, context.link(), found);
    fetchOrFail(setup);
    const auto values = readOrFail(setup, controls);
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    const auto print = [&](const std::string& key, const std::string& value) {
        if (context.options.json)
            json[key] = value;
        else
            std::cout << escaped(key) << " = " << escaped(value) << "\n";
    };
    for (const SettingControl* c : controls)
        print(std::string(c->key), shown(*c, values.at(std::string(c->key))));
    for (const headless::TableControl* table : tables) {
        std::vector<std::pair<std::string, std::string>> rows;
        try {
            rows = setup.readTable(*table);
        } catch (const std::runtime_error& e) {
            throw Failure{e.what()};
        }
        for (const auto& [key, text] : rows)
            print(key, text);
    }
    if (context.options.json)
        printJson(json);
    return kExitOk;
}

// The "field=value" parts of a row's value, split at commas. "\," is a comma
// inside a value and "\\" a backslash; any other backslash stays as typed, so
// that values without commas never need escaping.
std::vector<std::string> rowFields(const std::string& value) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' && i + 1 < value.size() && (value[i + 1] == ',' || value[i + 1] == '\\'))
            parts.back() += value[++i];
        else if (c == ',')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// "field=value,field=value" for a row, or "delete".
headless::RowEdit rowEdit(const headless::RowKey& key, const std::string& value) {
    headless::RowEdit edit{key.table, key.row, value == "delete", {}};
    if (edit.remove) {
        if (key.row == "+")
            throw Refusal{"a new row cannot be deleted"};
        return edit;
    }
    for (const std::string& part : rowFields(value)) {
        if (part.empty())
            continue;
        const auto [name, fieldValue] = splitAssignment(part);
        const auto fields = key.table->fields;
        const auto field = std::find_if(fields.begin(), fields.end(),
                                        [&](const SettingControl& f) { return f.key == name; });
        if (field == fields.end()) {
            std::string known;
            for (const SettingControl& f : fields)
                known += " " + std::string(f.key);
            throw Refusal{std::string(key.table->key) + " rows have no field " + escaped(name) +
                          " (fields:" + known + ")"};
        }
        edit.fields.push_back({&*field, fieldValue});
    }
    return edit;
}

int set(Context& context, const std::string& router, const std::vector<std::string>& pairs) {
    std::vector<Change> changes;
    std::vector<headless::RowEdit> rows;
    for (const std::string& pair : pairs) {
        const auto [key, value] = splitAssignment(pair);
        if (const auto row = headless::parseRowKey(key))
            rows.push_back(rowEdit(*row, value));
        else
            changes.push_back({&controlFor(key), {}, value});
    }
    const DEVICE_INFO found = login(context, router, device::LoginFor::Setup);
    headless::HeadlessHost host = makeHost(context);
    headless::HeadlessSetup setup(host, context.link(), found);
    fetchOrFail(setup);
    const headless::SheetOutcome outcome = write(context, setup, changes, rows);
    if (context.options.json)
        printJson(
            {{"messages", outcome.messages},
             {"snapshot", outcome.snapshot.empty() ? nlohmann::ordered_json(nullptr)
                                                   : nlohmann::ordered_json(outcome.snapshot)}});
    else if (!outcome.snapshot.empty())
        std::cout << "snapshot: " << escaped(outcome.snapshot) << "\n";
    return kExitOk;
}

std::string keyList() {
    std::string out = "Keys:";
    for (const SettingControl& c : headless::allSettingControls())
        out += "\n  " + std::string(c.key) + "  (" + c.name() + ")";
    out += "\nTables (get TABLE lists the rows; set TABLE[ROW]=field=value,... edits a row, "
           "TABLE[+]=... adds one, TABLE[ROW]=delete deletes it; \\, is a comma inside a "
           "value):";
    for (const headless::TableControl& t : headless::allTableControls()) {
        out += "\n  " + std::string(t.key) + ":";
        for (const SettingControl& f : t.fields)
            out += " " + std::string(f.key);
    }
    return out;
}

Runner setUpGet(CLI::App& command) {
    auto router = std::make_shared<std::string>();
    auto keys = std::make_shared<std::vector<std::string>>();
    command.add_option("ROUTER", *router, "The router.");
    command.add_option("KEY", *keys, "Named settings.");
    command.footer(keyList());
    return [router, keys](Context& context) {
        if (router->empty() || keys->empty())
            throw UsageError{"get needs ROUTER and at least one KEY"};
        return withRefusals(context, [&] { return get(context, *router, *keys); });
    };
}

Runner setUpSet(CLI::App& command) {
    auto router = std::make_shared<std::string>();
    auto pairs = std::make_shared<std::vector<std::string>>();
    command.add_option("ROUTER", *router, "The router.");
    command.add_option("KEY=VALUE", *pairs, "Named settings and their new values.");
    command.footer(keyList());
    return [router, pairs](Context& context) {
        if (router->empty() || pairs->empty())
            throw UsageError{"set needs ROUTER and at least one KEY=VALUE"};
        return withRefusals(context, [&] { return set(context, *router, *pairs); });
    };
}

const Registration kGet{80, "get ROUTER KEY...",
                        "Print named settings as the settings sheet shows them (secrets as "
                        "\"set\" or \"empty\").",
                        setUpGet};
const Registration kSet{
    81, "set ROUTER KEY=VALUE...",
    "Change named settings as the settings sheet would: the values are typed into the page's "
    "controls, the page's checks and OK run, then the router is reset and read back. A page's "
    "refusal prints its message and writes nothing (status 2); a question (the ISDN link is in "
    "use) is answered by --yes, else refused (status 2). A snapshot is kept first.",
    setUpSet};

} // namespace
} // namespace tolvaro::cli
