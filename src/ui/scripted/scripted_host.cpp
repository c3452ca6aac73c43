#include "ui/scripted/scripted_host.h"

#include <algorithm>
#include <exception>

#include "ui/scripted/scripted_window.h"

namespace tolvaro::ui {

namespace {

std::string normaliseKey(std::string_view key) {
    std::string k(key);
    while (!k.empty() && k.back() == '\\') {
        k.pop_back();
    }
    return k;
}

} // namespace

// ---- sheet driver ----

class ScriptedHost::Frame : public SheetFrame {
public:
    Frame(ScriptedHost& host, PropertySheet& sheet) : host_(host), sheet_(sheet) {}
    void createPage(PropertyPage& page) override { host_.build(page, true); }
    void showPage(int) override {}
    void close(int) override { closed = true; }

    ScriptedHost& host_;
    PropertySheet& sheet_;
    bool closed = false;
};

bool ScriptedSheetDriver::selectPage(int index) {
    if (!sheet_->isOpen()) {
        throw ScriptError("select page " + std::to_string(index) + ": the sheet is closed");
    }
    if (index < 0 || index >= sheet_->pageCount()) {
        throw ScriptError("select page " + std::to_string(index) + ": the sheet has no such page");
    }
    return sheet_->activate(index);
}

bool ScriptedSheetDriver::pressOK() {
    if (!sheet_->isOpen()) {
        throw ScriptError("press OK: the sheet is closed");
    }
    return sheet_->pressOK();
}

void ScriptedSheetDriver::pressCancel() {
    if (!sheet_->isOpen()) {
        throw ScriptError("press Cancel: the sheet is closed");
    }
    sheet_->pressCancel();
}

ScriptedDialogDriver ScriptedSheetDriver::page() const {
    return page(sheet_->activeIndex());
}

ScriptedDialogDriver ScriptedSheetDriver::page(int index) const {
    if (!sheet_->isCreated(index)) {
        throw ScriptError("page " + std::to_string(index) + " has not been shown");
    }
    PropertyPage& p = sheet_->page(index);
    return ScriptedDialogDriver(p, host_->windowOf(p));
}

// ---- settings ----

bool MemorySettings::openKey(std::string_view key) {
    return !failOpen && keys.count(normaliseKey(key)) > 0;
}

bool MemorySettings::createKey(std::string_view key) {
    if (failCreate) {
        return false;
    }
    keys[normaliseKey(key)];
    return true;
}

std::optional<std::string> MemorySettings::readValue(std::string_view key, std::string_view name) {
    if (failOpen) {
        return std::nullopt;
    }
    auto k = keys.find(normaliseKey(key));
    if (k == keys.end()) {
        return std::nullopt;
    }
    auto v = k->second.find(std::string(name));
    if (v == k->second.end()) {
        return std::nullopt;
    }
    return v->second;
}

bool MemorySettings::writeValue(std::string_view key, std::string_view name,
                                std::string_view value) {
    auto k = keys.find(normaliseKey(key));
    if (failWrite || k == keys.end()) {
        return false;
    }
    k->second[std::string(name)] = value;
    return true;
}

// ---- host ----

namespace {

const char* answerName(Answer a) {
    switch (a) {
    case Answer::Ok:
        return "OK";
    case Answer::Cancel:
        return "Cancel";
    case Answer::Yes:
        return "Yes";
    case Answer::No:
        return "No";
    }
    return "?";
}

std::function<void(const std::string&)>& unusedHandler() {
    static std::function<void(const std::string&)> handler;
    return handler;
}

} // namespace

ScriptedHost::ScriptedHost() = default;

ScriptedHost::~ScriptedHost() {
    for (auto& [dialog, window] : windows_) {
        dialog->detach();
    }
    // A test that queued an answer nothing asked for expected a step that did
    // not happen. While an exception unwinds, the queue says nothing new.
    const std::vector<std::string> left = unused();
    if (!left.empty() && unusedHandler() && std::uncaught_exceptions() == 0) {
        std::string text = "scripted host ended with unused scripts or answers:";
        for (const std::string& line : left) {
            text += "\n  " + line;
        }
        unusedHandler()(text);
    }
}

void ScriptedHost::onUnused(std::function<void(const std::string&)> handler) {
    unusedHandler() = std::move(handler);
}

std::vector<std::string> ScriptedHost::unused() const {
    std::vector<std::string> left;
    for (const auto& [number, queue] : dialogScripts_) {
        for (std::size_t i = 0; i < queue.size(); ++i) {
            left.push_back("script for dialog " + std::to_string(number));
        }
    }
    for (std::size_t i = 0; i < sheetScripts_.size(); ++i) {
        left.emplace_back("script for a property sheet");
    }
    for (Answer a : answers_) {
        left.push_back(std::string("message answer ") + answerName(a));
    }
    for (const auto& path : fileAnswers_) {
        left.push_back("file dialog answer " +
                       (path ? "\"" + *path + "\"" : std::string("Cancel")));
    }
    for (const auto& index : menuAnswers_) {
        left.push_back(index ? "menu answer " + std::to_string(*index)
                             : std::string("menu dismissal"));
    }
    return left;
}

ScriptedWindow& ScriptedHost::build(Dialog& dialog, bool child) {
    const Template* t = findTemplate(dialog.templateNumber());
    if (!t) {
        throw ScriptError("no template " + std::to_string(dialog.templateNumber()));
    }
    auto window = std::make_unique<ScriptedWindow>(*t, dialog, child);
    ScriptedWindow& w = *window;
    release(dialog);
    windows_[&dialog] = std::move(window);
    dialog.attach(*this, w);
    return w;
}

void ScriptedHost::release(Dialog& dialog) {
    auto it = windows_.find(&dialog);
    if (it != windows_.end()) {
        dialog.detach();
        windows_.erase(it);
    }
}

ScriptedWindow& ScriptedHost::windowOf(Dialog& dialog) {
    auto it = windows_.find(&dialog);
    if (it == windows_.end()) {
        throw ScriptError("dialog " + std::to_string(dialog.templateNumber()) + " is not open");
    }
    return *it->second;
}

ScriptedDialogDriver ScriptedHost::open(Dialog& dialog) {
    ScriptedWindow& w = build(dialog, false);
    dialogsShown_.push_back(dialog.templateNumber());
    dialog.start();
    return ScriptedDialogDriver(dialog, w);
}

ScriptedSheetDriver ScriptedHost::open(PropertySheet& sheet) {
    frames_.push_back(std::make_unique<Frame>(*this, sheet));
    sheetsShown_.push_back(sheet.caption());
    sheet.begin(*frames_.back());
    return ScriptedSheetDriver(*this, sheet);
}

void ScriptedHost::expectDialog(int templateNumber,
                                std::function<void(ScriptedDialogDriver&)> script) {
    dialogScripts_[templateNumber].push_back(std::move(script));
}

void ScriptedHost::expectSheet(std::function<void(ScriptedSheetDriver&)> script) {
    sheetScripts_.push_back(std::move(script));
}

void ScriptedHost::answerMessage(Answer answer) {
    answers_.push_back(answer);
}

void ScriptedHost::onMessage(std::function<Answer(const MessageRecord&)> handler) {
    messageHandler_ = std::move(handler);
}

void ScriptedHost::answerFileDialog(std::optional<std::string> path) {
    fileAnswers_.push_back(std::move(path));
}

std::vector<std::string> ScriptedHost::messageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : messages_) {
        texts.push_back(m.text);
    }
    return texts;
}

void ScriptedHost::clearRecords() {
    messages_.clear();
    waits_.clear();
    // An open progress window stays, without the waits it has shown so far.
    if (progressDepth_ > 0) {
        ProgressWindow open = std::move(progress_.back());
        open.waits.clear();
        progress_.assign(1, std::move(open));
    } else {
        progress_.clear();
    }
    cursorChanges_.clear();
    fileDialogs_.clear();
    menus_.clear();
    helpTopics_.clear();
    urls_.clear();
    dialogsShown_.clear();
    sheetsShown_.clear();
    unmatchedEnds_ = 0;
}

Answer ScriptedHost::showMessage(std::string_view text, Buttons buttons, Icon icon,
                                 std::string_view caption) {
    MessageRecord record{std::string(text), std::string(caption), buttons, icon, Answer::Ok,
                         waitDepth_};
    if (!answers_.empty()) {
        record.answer = answers_.front();
        answers_.pop_front();
    } else if (messageHandler_) {
        record.answer = messageHandler_(record);
    } else if (buttons != Buttons::Ok) {
        throw ScriptError("unanswered message box: " + record.text);
    }
    const bool fits = buttons == Buttons::Ok ? record.answer == Answer::Ok
                      : buttons == Buttons::YesNo
                          ? (record.answer == Answer::Yes || record.answer == Answer::No)
                          : (record.answer == Answer::Ok || record.answer == Answer::Cancel);
    if (!fits) {
        throw ScriptError("answer does not match the buttons of: " + record.text);
    }
    messages_.push_back(record);
    return record.answer;
}

void ScriptedHost::beginWaitCursor() {
    ++waitDepth_;
    cursorChanges_.push_back(CursorChange::Begin);
}

void ScriptedHost::endWaitCursor() {
    cursorChanges_.push_back(CursorChange::End);
    if (waitDepth_ == 0) {
        ++unmatchedEnds_;
        return;
    }
    --waitDepth_;
}

void ScriptedHost::sleep(int ms) {
    waits_.push_back({ms, waitDepth_});
    elapsedMs_ += ms;
    if (sleepHook_) {
        sleepHook_(ms);
    }
}

void ScriptedHost::sleepWithProgress(std::string_view what, int ms) {
    if (progressDepth_ > 0) {
        progress_.back().waits.push_back({std::string(what), ms});
    } else {
        progress_.push_back({std::string(what), 1, {{std::string(what), ms}}, false});
    }
    sleep(ms);
}

void ScriptedHost::beginProgress(std::string_view what, int parts) {
    if (progressDepth_++ == 0) {
        progress_.push_back({std::string(what), parts, {}, true});
    }
}

void ScriptedHost::endProgress() {
    if (progressDepth_ > 0 && --progressDepth_ == 0) {
        progress_.back().open = false;
    }
}

int ScriptedHost::runDialog(Dialog& dialog) {
    auto& queue = dialogScripts_[dialog.templateNumber()];
    if (queue.empty()) {
        throw ScriptError("unexpected dialog " + std::to_string(dialog.templateNumber()));
    }
    auto script = std::move(queue.front());
    queue.pop_front();
    ScriptedDialogDriver driver = open(dialog);
    if (driver.isOpen()) {
        try {
            script(driver);
        } catch (...) {
            release(dialog);
            throw;
        }
    }
    const bool stillOpen = driver.isOpen();
    const int result = dialog.result();
    release(dialog);
    if (stillOpen) {
        throw ScriptError("script left dialog " + std::to_string(dialog.templateNumber()) +
                          " open");
    }
    return result;
}

int ScriptedHost::runSheet(PropertySheet& sheet) {
    if (sheetScripts_.empty()) {
        throw ScriptError("unexpected property sheet " + sheet.caption());
    }
    auto script = std::move(sheetScripts_.front());
    sheetScripts_.pop_front();
    Frame frame(*this, sheet);
    sheetsShown_.push_back(sheet.caption());
    sheet.begin(frame);
    ScriptedSheetDriver driver(*this, sheet);
    auto releasePages = [&] {
        for (int i = 0; i < sheet.pageCount(); ++i) {
            release(sheet.page(i));
        }
        sheet.end();
    };
    if (sheet.isOpen()) {
        try {
            script(driver);
        } catch (...) {
            releasePages();
            throw;
        }
    }
    const bool stillOpen = sheet.isOpen();
    const int result = sheet.result();
    releasePages();
    if (stillOpen) {
        throw ScriptError("script left sheet " + sheet.caption() + " open");
    }
    return result;
}

void ScriptedHost::createModeless(Dialog& dialog) {
    build(dialog, false);
    dialogsShown_.push_back(dialog.templateNumber());
    dialog.start();
}

void ScriptedHost::destroyModeless(Dialog& dialog) {
    release(dialog);
}

std::optional<std::string> ScriptedHost::fileDialog(bool save, const FileDialogOptions& options) {
    fileDialogs_.push_back({save, options});
    if (fileAnswers_.empty()) {
        throw ScriptError("unanswered file dialog");
    }
    auto answer = std::move(fileAnswers_.front());
    fileAnswers_.pop_front();
    return answer;
}

std::optional<std::string> ScriptedHost::openFileName(const FileDialogOptions& options) {
    return fileDialog(false, options);
}

std::optional<std::string> ScriptedHost::saveFileName(const FileDialogOptions& options) {
    return fileDialog(true, options);
}

std::optional<int> ScriptedHost::popupMenu(const std::vector<std::string>& items) {
    menus_.push_back(items);
    if (menuAnswers_.empty()) {
        throw ScriptError("unanswered popup menu");
    }
    const std::optional<int> answer = menuAnswers_.front();
    menuAnswers_.pop_front();
    if (answer && (*answer < 0 || *answer >= static_cast<int>(items.size()))) {
        throw ScriptError("the popup menu has no item " + std::to_string(*answer));
    }
    return answer;
}

} // namespace tolvaro::ui
