#include "ui/property_sheet.h"

#include "ui/host.h"

namespace tolvaro::ui {

int PropertySheet::runModal(Host& host) {
    return host.runSheet(*this);
}

bool PropertySheet::isCreated(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < created_.size() &&
           created_[static_cast<std::size_t>(index)];
}

void PropertySheet::begin(SheetFrame& frame) {
    frame_ = &frame;
    closed_ = false;
    created_.assign(pages_.size(), false);
    active_ = -1;
    result_ = kIdCancel;
    for (PropertyPage* page : pages_) {
        page->setModified(false);
    }
    if (!pages_.empty()) {
        activate(0);
    }
}

bool PropertySheet::activate(int index) {
    if (!isOpen() || index < 0 || index >= pageCount()) {
        return false;
    }
    if (index == active_) {
        return true;
    }
    if (active_ >= 0 && !page(active_).onKillActive()) {
        return false;
    }
    PropertyPage& next = page(index);
    active_ = index;
    if (!created_[static_cast<std::size_t>(index)]) {
        created_[static_cast<std::size_t>(index)] = true;
        frame_->createPage(next);
        next.start();
    }
    // Page start may have ended the sheet (a page that closes it at once).
    if (!isOpen()) {
        return false;
    }
    next.onSetActive();
    if (isOpen()) {
        frame_->showPage(index);
    }
    return true;
}

bool PropertySheet::pressOK() {
    if (!isOpen()) {
        return false;
    }
    if (active_ >= 0 && !page(active_).onKillActive()) {
        return false;
    }
    for (int i = 0; i < pageCount() && isOpen(); ++i) {
        if (created_[static_cast<std::size_t>(i)]) {
            page(i).onApply();
        }
    }
    close(kIdOk);
    return true;
}

void PropertySheet::pressCancel() {
    close(kIdCancel);
}

void PropertySheet::close(int result) {
    if (!isOpen()) {
        return;
    }
    result_ = result;
    closed_ = true;
    frame_->close(result);
}

void PropertySheet::end() {
    for (int i = 0; i < pageCount(); ++i) {
        if (isCreated(i)) {
            page(i).detach();
        }
    }
    frame_ = nullptr;
}

} // namespace tolvaro::ui
