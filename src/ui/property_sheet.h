// Property pages and the property sheet that holds them.
//
// The sheet has OK and Cancel and no Apply button. A page's window is created
// the first time the page is shown (page start, onInitDialog), and each time
// it becomes current it gets onSetActive(). Leaving a page, to another page
// or through OK, asks onKillActive(); false keeps the page current and stops
// the OK. OK then runs onApply() of every created page, in sheet order, once,
// and closes the sheet; Cancel closes it and applies nothing. Pages are not
// owned by the sheet and outlive it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ui/dialog.h"

namespace tolvaro::ui {

class PropertyPage : public Dialog {
public:
    explicit PropertyPage(int templateNumber) : Dialog(templateNumber) {}

    // The shared modified-mark handler: tells the sheet that the page has
    // changes. With no Apply button the mark has no visible effect.
    void setModified(bool modified = true) { modified_ = modified; }
    bool isModified() const { return modified_; }

protected:
    // OK and Cancel belong to the sheet; a page never ends by itself.
    void onOK() override {}
    void onCancel() override {}
    // Page shown: each time the page becomes current, also the first time.
    virtual void onSetActive() {}
    // Page left: before another page is shown and before the apply.
    virtual bool onKillActive() { return true; }
    // Apply: OK on the sheet, for every created page in sheet order.
    virtual void onApply() {}

private:
    friend class PropertySheet;
    bool modified_ = false;
};

// What a backend provides to show a sheet.
class SheetFrame {
public:
    virtual ~SheetFrame() = default;
    // Builds the page's window inside the sheet and attaches it to the page.
    virtual void createPage(PropertyPage& page) = 0;
    virtual void showPage(int index) = 0;
    virtual void close(int result) = 0;
};

class PropertySheet {
public:
    explicit PropertySheet(std::string caption) : caption_(std::move(caption)) {}
    PropertySheet(const PropertySheet&) = delete;
    PropertySheet& operator=(const PropertySheet&) = delete;

    void addPage(PropertyPage& page) { pages_.push_back(&page); }
    // Runs the sheet modally with the first page current; returns kIdOk or
    // kIdCancel.
    int runModal(Host& host);

    const std::string& caption() const { return caption_; }
    int pageCount() const { return static_cast<int>(pages_.size()); }
    PropertyPage& page(int index) const { return *pages_.at(static_cast<std::size_t>(index)); }
    int activeIndex() const { return active_; }
    bool isCreated(int index) const;
    bool isOpen() const { return frame_ != nullptr && !closed_; }
    int result() const { return result_; }

    // Backend entry points, one per user action.
    void begin(SheetFrame& frame); // shows the first page
    bool activate(int index);      // tab chosen; false when the current page refuses
    bool pressOK();                // false when the current page refuses to be left
    void pressCancel();            // Cancel, Escape or the close box
    void end();                    // the frame is gone: detach created pages

private:
    void close(int result);

    std::string caption_;
    std::vector<PropertyPage*> pages_;
    std::vector<bool> created_;
    SheetFrame* frame_ = nullptr;
    int active_ = -1;
    int result_ = kIdCancel;
    bool closed_ = false;
};

} // namespace tolvaro::ui
