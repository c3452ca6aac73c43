#include "ui/dialog.h"

#include <stdexcept>

#include "ui/host.h"
#include "ui/text_rules.h"

namespace tolvaro::ui {

void ComboRef::reset() {
    if (window_) {
        window_->comboReset(id_);
    }
}

int ComboRef::add(std::string_view item) {
    return window_ ? window_->comboAdd(id_, item) : -1;
}

int ComboRef::count() const {
    return window_ ? window_->comboCount(id_) : 0;
}

std::string ComboRef::item(int index) const {
    return window_ ? window_->comboItem(id_, index) : std::string();
}

int ComboRef::selection() const {
    return window_ ? window_->comboSelection(id_) : -1;
}

bool ComboRef::select(int index) {
    return window_ && window_->comboSelect(id_, index);
}

std::string ComboRef::text() const {
    return window_ ? window_->text(id_) : std::string();
}

void ComboRef::setText(std::string_view text) {
    if (window_) {
        window_->setText(id_, text);
    }
}

void ListViewRef::addColumn(std::string_view title, int widthPixels) {
    if (window_) {
        window_->listAddColumn(id_, title, widthPixels);
    }
}

int ListViewRef::columnCount() const {
    return window_ ? window_->listColumnCount(id_) : 0;
}

int ListViewRef::insert(int row, std::string_view text, bool selected) {
    return window_ ? window_->listInsert(id_, row, text, selected) : -1;
}

bool ListViewRef::setText(int row, int column, std::string_view text) {
    return window_ && window_->listSetText(id_, row, column, text);
}

std::string ListViewRef::text(int row, int column) const {
    return window_ ? window_->listText(id_, row, column) : std::string();
}

bool ListViewRef::remove(int row) {
    return window_ && window_->listDelete(id_, row);
}

void ListViewRef::removeAll() {
    if (window_) {
        window_->listDeleteAll(id_);
    }
}

int ListViewRef::count() const {
    return window_ ? window_->listCount(id_) : 0;
}

int ListViewRef::selectionMark() const {
    return window_ ? window_->listSelectionMark(id_) : -1;
}

void ListViewRef::setSelectionMark(int row) {
    if (window_) {
        window_->listSetSelectionMark(id_, row);
    }
}

bool ListViewRef::isSelected(int row) const {
    return window_ && window_->listIsSelected(id_, row);
}

void ListViewRef::setSelected(int row, bool selected) {
    if (window_) {
        window_->listSetSelected(id_, row, selected);
    }
}

int ListViewRef::nextSelected(int start) const {
    const int rows = count();
    for (int row = start < 0 ? 0 : start + 1; row < rows; ++row) {
        if (isSelected(row)) {
            return row;
        }
    }
    return -1;
}

int ListViewRef::pixelWidth() const {
    return window_ ? window_->pixelWidth(id_) : 0;
}

Dialog::Dialog(int templateNumber) : templateNumber_(templateNumber) {}

Dialog::~Dialog() {
    // A window still attached (a modeless window, or a dialog a test opened)
    // goes with its dialog.
    if (window_ && host_) {
        host_->destroyModeless(*this);
    }
}

int Dialog::runModal(Host& host) {
    return host.runDialog(*this);
}

void Dialog::create(Host& host) {
    host.createModeless(*this);
}

void Dialog::destroy() {
    if (host_ && window_) {
        host_->destroyModeless(*this);
    }
}

void Dialog::endDialog(int result) {
    result_ = result;
    if (window_) {
        window_->close(result);
    }
}

Host& Dialog::host() const {
    if (!host_) {
        throw std::logic_error("dialog used before it was run");
    }
    return *host_;
}

std::string Dialog::text(int id) const {
    return window_ ? window_->text(id) : std::string();
}

void Dialog::setText(int id, std::string_view text) {
    if (window_) {
        window_->setText(id, text);
    }
}

unsigned Dialog::number(int id, bool* translated) const {
    return parseDialogNumber(text(id), translated);
}

void Dialog::setNumber(int id, unsigned value) {
    setText(id, std::to_string(value));
}

bool Dialog::isChecked(int id) const {
    return checkState(id) == 1;
}

int Dialog::checkState(int id) const {
    return window_ ? window_->checkState(id) : 0;
}

void Dialog::setChecked(int id, bool checked) {
    if (window_) {
        window_->setCheckState(id, checked ? 1 : 0);
    }
}

void Dialog::enable(int id, bool enabled) {
    if (window_) {
        window_->setEnabled(id, enabled);
    }
}

void Dialog::enable(std::initializer_list<int> ids, bool enabled) {
    for (int id : ids) {
        enable(id, enabled);
    }
}

bool Dialog::isEnabled(int id) const {
    return window_ && window_->isEnabled(id);
}

void Dialog::show(int id, bool visible) {
    if (window_) {
        window_->setVisible(id, visible);
    }
}

void Dialog::show(std::initializer_list<int> ids, bool visible) {
    for (int id : ids) {
        show(id, visible);
    }
}

bool Dialog::isVisible(int id) const {
    return window_ && window_->isVisible(id);
}

void Dialog::limitText(int id, int characters) {
    if (window_) {
        window_->setTextLimit(id, characters);
    }
}

void Dialog::focus(int id) {
    if (window_) {
        window_->setFocus(id);
    }
}

void Dialog::setCaption(std::string_view caption) {
    if (window_) {
        window_->setCaption(caption);
    }
}

void Dialog::repaintNow() {
    if (window_) {
        window_->repaintNow();
    }
}

void Dialog::attach(Host& host, Window& window) {
    host_ = &host;
    window_ = &window;
    result_ = 0;
}

void Dialog::detach() {
    window_ = nullptr;
}

void Dialog::command(int id, Notify notification) {
    if (notification == Notify::Clicked) {
        switch (id) {
        case kIdOk:
            onOK();
            return;
        case kIdCancel:
            onCancel();
            return;
        case kIdHelp:
            onHelp();
            return;
        default:
            break;
        }
    }
    onCommand(id, notification);
}

void Dialog::onHelp() {
    host().showHelp(kHelpTopicBase + templateNumber_);
}

} // namespace tolvaro::ui
