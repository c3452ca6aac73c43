// get, set, apply: named settings read and written through the settings
// sheet run without a screen (headless/), so every check, message and write
// is the window's own; this file only maps keys, values and outcomes.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <toml++/toml.h>

#include "cli/cli.h"
#include "cli/inventory.h"
#include "device/device_record.h"
#include "device/fetch.h"
#include "device/login_rule.h"
#include "headless/sheet_run.h"

namespace tolvaro::cli {
namespace {

namespace fs = std::filesystem;
using headless::SettingControl;

// Exit status 2 with the text, on standard error (and as {"error": ...}
// on standard output with --json).
struct Refusal {
    std::string text;
};

const SettingControl& controlFor(const std::string& key) {
    const SettingControl* control = headless::settingControl(key);
    if (!control)
        throw Refusal{"unknown key " + escaped(key) + " (tolvaro-cli get --help lists the keys)"};
    return *control;
}

bool isSecret(const SettingControl& control) {
    return control.control == headless::Control::Secret;
}

std::string shown(const SettingControl& control, const std::string& value) {
    if (isSecret(control))
        return value.empty() ? "empty" : "set";
    return value;
}

// The windows' waits: the reset's as --reset-wait says, the rest as asked.
headless::HeadlessHost makeHost(const Context& context) {
    const int resetWait = context.options.resetWaitMs;
    return headless::HeadlessHost(
        [resetWait](int ms) {
            std::this_thread::sleep_for(
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

// ---- set and apply: the write ---------------------------------------------------

struct Change {
    const SettingControl* control;
    std::string before;
    std::string after;
};

// The administrator password is the router's community: once it changes the
// router answers only the new one, so the sheet's read-back, made with the
// old one, gives way to one made here with the new.
const Change* newPassword(const std::vector<Change>& changes) {
    const auto it = std::find_if(changes.begin(), changes.end(), [](const Change& c) {
        return c.control->key == "option.administrator_password";
    });
    return it == changes.end() ? nullptr : &*it;
}

void useNewPassword(Context& context, DEVICE_INFO& router, const std::string& password) {
    device::setField(router.password, password);
    if (const auto community = device::loginCommunity(router, device::LoginFor::Setup))
        context.link().setCommunity(community->c_str());
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
                             const std::vector<headless::RowEdit>& rows = {}) {
    std::vector<headless::SettingEdit> edits;
    for (const Change& change : changes)
        edits.push_back({change.control, change.after});
    device::SnapshotStore snapshots = snapshotStore();
    const headless::SheetOutcome outcome =
        setup.write(edits, rows, &snapshots, newPassword(changes) == nullptr);
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

// "field=value,field=value" for a row, or "delete".
headless::RowEdit rowEdit(const headless::RowKey& key, const std::string& value) {
    headless::RowEdit edit{key.table, key.row, value == "delete", {}};
    if (edit.remove) {
        if (key.row == "+")
            throw Refusal{"a new row cannot be deleted"};
        return edit;
    }
    std::size_t at = 0;
    while (at <= value.size()) {
        const std::size_t end = std::min(value.find(',', at), value.size());
        const std::string part = value.substr(at, end - at);
        at = end + 1;
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
    DEVICE_INFO found = login(context, router, device::LoginFor::Setup);
    headless::HeadlessHost host = makeHost(context);
    headless::HeadlessSetup setup(host, context.link(), found);
    fetchOrFail(setup);
    const headless::SheetOutcome outcome = write(context, setup, changes, rows);
    if (const Change* password = newPassword(changes)) {
        useNewPassword(context, found, password->after);
        readBack(context, host, found, changes);
    }
    if (context.options.json)
        printJson(
            {{"messages", outcome.messages},
             {"snapshot", outcome.snapshot.empty() ? nlohmann::ordered_json(nullptr)
                                                   : nlohmann::ordered_json(outcome.snapshot)}});
    else if (!outcome.snapshot.empty())
        std::cout << "snapshot: " << escaped(outcome.snapshot) << "\n";
    return kExitOk;
}

// ---- apply ------------------------------------------------------------------------

// A state file's settings as dotted keys; "include" names other state files
// (relative to this one) read first, so this file's values win.
void readState(const fs::path& path, std::map<std::string, std::string>& out,
               std::set<fs::path>& seen) {
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
                if (const auto* inner = node.as_table()) {
                    walk(*inner, key + ".");
                } else if (const auto* text = node.as_string()) {
                    out[key] = text->get();
                } else if (const auto* number = node.as_integer()) {
                    out[key] = std::to_string(number->get());
                } else if (const auto* flag = node.as_boolean()) {
                    out[key] = flag->get() ? "on" : "off";
                } else {
                    throw Refusal{escaped(path.string()) + ": " + escaped(key) +
                                  " takes a text, a number or true/false"};
                }
            }
        };
    walk(table, "");
}

struct ApplyRun {
    bool dryRun = false;
    std::string inventory;
    int jobs = 4;
};

// Every key of a state file, checked before any router is read.
std::map<std::string, std::string> checkedState(const std::string& path) {
    std::map<std::string, std::string> desired;
    std::set<fs::path> seen;
    readState(path, desired, seen);
    for (const auto& [key, value] : desired)
        controlFor(key);
    return desired;
}

nlohmann::ordered_json differencesJson(const std::vector<Change>& changes) {
    auto list = nlohmann::ordered_json::array();
    for (const Change& c : changes)
        list.push_back({{"key", c.control->key},
                        {"name", c.control->name()},
                        {"before", shown(*c.control, c.before)},
                        {"after", shown(*c.control, c.after)}});
    return list;
}

int apply(Context& context, const std::string& router, const std::string& statePath,
          const ApplyRun& run) {
    const std::map<std::string, std::string> desired = checkedState(statePath);
    std::vector<const SettingControl*> controls;
    for (const auto& [key, value] : desired)
        controls.push_back(&controlFor(key));

    DEVICE_INFO found = login(context, router, device::LoginFor::Setup);
    headless::HeadlessHost host = makeHost(context);
    headless::HeadlessSetup setup(host, context.link(), found);
    fetchOrFail(setup);
    const auto current = readOrFail(setup, controls);
    std::vector<Change> plan;
    for (const SettingControl* c : controls) {
        const std::string key(c->key);
        if (current.at(key) != desired.at(key))
            plan.push_back({c, current.at(key), desired.at(key)});
    }

    const auto report = [&](bool changed, const std::string& snapshot) {
        if (context.options.json) {
            printJson({{"changed", changed},
                       {"differences", differencesJson(plan)},
                       {"snapshot", snapshot.empty() ? nlohmann::ordered_json(nullptr)
                                                     : nlohmann::ordered_json(snapshot)}});
            return;
        }
        if (plan.empty())
            std::cout << "no changes\n";
        for (const Change& c : plan)
            std::cout << escaped(c.control->name()) << ": " << escaped(shown(*c.control, c.before))
                      << " -> " << escaped(shown(*c.control, c.after)) << "\n";
    };
    if (plan.empty() || run.dryRun) {
        report(!plan.empty(), {});
        return plan.empty() ? kExitOk : kExitFailed;
    }
    if (!context.options.json)
        report(true, {});
    const std::string snapshot = write(context, setup, plan).snapshot;

    if (const Change* password = newPassword(plan))
        useNewPassword(context, found, password->after);
    // The router as it came back: every planned setting must read as asked.
    readBack(context, host, found, plan);
    if (context.options.json)
        report(true, snapshot);
    else if (!snapshot.empty())
        std::cout << "snapshot: " << escaped(snapshot) << "\n";
    return kExitOk;
}

// ---- apply --inventory ---------------------------------------------------------------

// One router's apply as a run of this program of its own, so routers do
// not share the device library's state, with its output in files.
struct Child {
    const InventoryRouter* router = nullptr;
    pid_t pid = -1;
    fs::path out;
    fs::path err;
    int status = -1;
};

std::string readAll(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void start(Child& child, const Context& context, const std::string& statePath, bool dryRun,
           const fs::path& folder, std::size_t number) {
    const InventoryRouter& r = *child.router;
    const std::string target =
        r.remote ? "remote:" + r.remote->address + ":" + r.remote->port : r.hardware;
    std::vector<std::string> arguments{"tolvaro-cli"};
    for (const std::string& option : context.options.given)
        if (option != "--json")
            arguments.push_back(option);
    for (const char* item : {"--json", "apply"})
        arguments.emplace_back(item);
    arguments.push_back(target);
    arguments.push_back(fs::absolute(statePath).string());
    if (dryRun)
        arguments.emplace_back("--dry-run");
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e)
        if (std::string_view(*e).rfind("TOLVARO_PASSWORD=", 0) != 0)
            environment.emplace_back(*e);
    if (const auto password = passwordOf(r))
        environment.push_back("TOLVARO_PASSWORD=" + *password);
    std::vector<char*> envp;
    for (std::string& e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    child.out = folder / (std::to_string(number) + ".out");
    child.err = folder / (std::to_string(number) + ".err");
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, child.out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, child.err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (posix_spawn(&child.pid, "/proc/self/exe", &files, nullptr, argv.data(), envp.data()) != 0)
        child.pid = -1;
    posix_spawn_file_actions_destroy(&files);
}

// "NAME: what happened"; false when the router failed.
bool summarise(const Child& child, bool dryRun, std::string& line) {
    const std::string name = escaped(child.router->name);
    nlohmann::json result;
    try {
        result = nlohmann::json::parse(readAll(child.out));
    } catch (const nlohmann::json::exception&) {
        result = nullptr;
    }
    if (result.is_object() && result.contains("changed")) {
        const auto count = result["differences"].size();
        const bool changed = result["changed"].get<bool>();
        line = name + ": " +
               (!changed ? std::string("no changes")
                : dryRun ? "would change " + std::to_string(count) + " setting(s)"
                         : "changed " + std::to_string(count) + " setting(s)");
        if (child.status == kExitOk || (dryRun && child.status == kExitFailed))
            return true;
    }
    std::string why = result.is_object() && result.contains("error")
                          ? result["error"].get<std::string>()
                          : readAll(child.err);
    while (!why.empty() && why.back() == '\n')
        why.pop_back();
    const auto lastLine = why.rfind('\n');
    line = name +
           ": failed: " + escaped(lastLine == std::string::npos ? why : why.substr(lastLine + 1));
    return false;
}

int applyInventory(Context& context, const std::string& statePath, const ApplyRun& run) {
    checkedState(statePath);
    std::vector<InventoryRouter> routers;
    try {
        routers = readInventory(run.inventory);
    } catch (const InventoryError& e) {
        throw Refusal{e.text};
    }
    const fs::path folder =
        fs::temp_directory_path() / ("tolvaro-apply-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace);
    std::vector<Child> children(routers.size());
    std::size_t next = 0;
    std::size_t running = 0;
    std::vector<std::string> failed;
    bool changes = false;
    const auto finish = [&](Child& child) {
        std::string line;
        if (!summarise(child, run.dryRun, line))
            failed.push_back(escaped(child.router->name));
        else if (line.find(": no changes") == std::string::npos)
            changes = true;
        std::cout << line << std::endl;
    };
    while (next < children.size() || running > 0) {
        while (next < children.size() && running < static_cast<std::size_t>(run.jobs)) {
            Child& child = children[next];
            child.router = &routers[next];
            try {
                start(child, context, statePath, run.dryRun, folder, next);
            } catch (const Failure& f) {
                std::cout << escaped(child.router->name) << ": failed: " << f.text << std::endl;
                failed.push_back(escaped(child.router->name));
                ++next;
                continue;
            }
            ++next;
            if (child.pid > 0)
                ++running;
            else
                finish(child);
        }
        if (running == 0)
            continue;
        int status = 0;
        const pid_t done = ::waitpid(-1, &status, 0);
        if (done < 0)
            break;
        for (Child& child : children)
            if (child.pid == done) {
                child.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                --running;
                finish(child);
            }
    }
    fs::remove_all(folder);
    if (!failed.empty()) {
        std::string names;
        for (const std::string& name : failed)
            names += (names.empty() ? "" : ", ") + name;
        throw Failure{"failed: " + names};
    }
    return run.dryRun && changes ? kExitFailed : kExitOk;
}

// ---- arguments ----------------------------------------------------------------------

std::string keyList() {
    std::string out = "Keys:";
    for (const SettingControl& c : headless::allSettingControls())
        out += "\n  " + std::string(c.key) + "  (" + c.name() + ")";
    out += "\nTables (get TABLE lists the rows; set TABLE[ROW]=field=value,... edits a row, "
           "TABLE[+]=... adds one, TABLE[ROW]=delete deletes it):";
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
const Registration kApply{
    82, "apply ROUTER STATE",
    "Make ROUTER hold the settings of the state file STATE (TOML, keys as for get; "
    "include = [\"base.toml\"] reads other state files first). Prints the differences; when there "
    "are none nothing is written. Otherwise writes them as set does and reads them back. With "
    "--inventory FILE (and STATE alone) every router of the inventory, --jobs at a time: one "
    "summary line each, status 1 naming those that failed.",
    setUpApply};

} // namespace
} // namespace tolvaro::cli
