// apply --inventory: one desired state on every router of an inventory,
// several at once.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/inventory.h"
#include "cli/named_settings.h"

namespace tolvaro::cli {
namespace {

namespace fs = std::filesystem;

// ---- apply --inventory ---------------------------------------------------------------

// One router's apply in a forked copy of this program, so routers do not
// share the device library's state beyond the one discovery they all use;
// its output goes to files.
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

void start(Child& child, Context& context, const std::vector<DEVICE_INFO>& lan,
           const std::string& statePath, bool dryRun, const fs::path& folder, std::size_t number) {
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
    const std::optional<std::string> password = passwordOf(r);

    child.out = folder / (std::to_string(number) + ".out");
    child.err = folder / (std::to_string(number) + ".err");
    const int out = ::open(child.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int err = ::open(child.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    // What is buffered now is the parent's, not the child's to print again.
    std::cout.flush();
    std::cerr.flush();
    child.pid = out < 0 || err < 0 || in < 0 ? -1 : ::fork();
    if (child.pid == 0) {
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        if (password)
            ::setenv("TOLVARO_PASSWORD", password->c_str(), 1);
        else
            ::unsetenv("TOLVARO_PASSWORD");
        seedDiscovery(lan);
        std::vector<char*> argv;
        for (std::string& a : arguments)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        // Nothing may unwind into the parent's frames, which would remove
        // the parent's folder.
        int status = kExitFailed;
        try {
            status = runCommandLine(static_cast<int>(arguments.size()), argv.data(), context.clock);
        } catch (...) {
        }
        std::cout.flush();
        std::cerr.flush();
        const int interrupted = pendingInterruptStatus();
        // No exit handlers: they belong to the parent.
        ::_exit(interrupted != 0 ? interrupted : status);
    }
    for (const int fd : {out, err, in})
        if (fd >= 0)
            ::close(fd);
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

} // namespace

int applyInventory(Context& context, const std::string& statePath, const ApplyRun& run) {
    checkState(statePath);
    std::vector<InventoryRouter> routers;
    try {
        routers = readInventory(run.inventory);
    } catch (const InventoryError& e) {
        throw Refusal{e.text};
    }
    // The children's output waits in a folder only this user can enter, made
    // under a name nobody could plant beforehand.
    std::string pattern = (fs::temp_directory_path() / "tolvaro-apply-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw Failure{"cannot make a temporary folder " + escaped(pattern) + ": " +
                      std::strerror(errno)};
    const fs::path folder = pattern;
    const struct RemoveFolder {
        const fs::path& path;
        ~RemoveFolder() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } removeFolder{folder};
    // One discovery for all: every child would otherwise wait out its own.
    std::vector<DEVICE_INFO> lan;
    if (std::any_of(routers.begin(), routers.end(),
                    [](const InventoryRouter& r) { return !r.remote; }))
        lan = discover(context.link());
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
                start(child, context, lan, statePath, run.dryRun, folder, next);
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
    if (!failed.empty()) {
        std::string names;
        for (const std::string& name : failed)
            names += (names.empty() ? "" : ", ") + name;
        throw Failure{"failed: " + names};
    }
    return run.dryRun && changes ? kExitFailed : kExitOk;
}

} // namespace tolvaro::cli
