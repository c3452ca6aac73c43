// The backend side of a dialog or page window: what a backend implements so
// that Dialog can reach its controls by id. Dialog and page code never uses
// this interface directly; it goes through Dialog's accessors.
//
// Every call names a control by id. A call on an id the template lacks does
// nothing and reads as empty, 0 or -1, so id lists can be shared between
// templates.
#pragma once

#include <string>
#include <string_view>

#include "ui/template.h"

namespace tolvaro::ui {

class Window {
public:
    virtual ~Window() = default;

    virtual const Template& windowTemplate() const = 0;
    bool has(int id) const { return windowTemplate().find(id) != nullptr; }

    // Ends the modal run (or, for a page, nothing: pages close with the sheet).
    virtual void close(int result) = 0;
    virtual void setCaption(std::string_view caption) = 0;
    // Paints the window at once, before a blocking call starts.
    virtual void repaintNow() = 0;

    virtual std::string text(int id) const = 0;
    virtual void setText(int id, std::string_view text) = 0;
    virtual int checkState(int id) const = 0;
    virtual void setCheckState(int id, int state) = 0;
    virtual bool isEnabled(int id) const = 0;
    virtual void setEnabled(int id, bool enabled) = 0;
    virtual bool isVisible(int id) const = 0;
    virtual void setVisible(int id, bool visible) = 0;
    // Limits what the user can type; text set by the program is not cut.
    virtual void setTextLimit(int id, int characters) = 0;
    virtual void setFocus(int id) = 0;
    // Width of the control in pixels.
    virtual int pixelWidth(int id) const = 0;

    virtual void comboReset(int id) = 0;
    virtual int comboAdd(int id, std::string_view item) = 0;
    virtual int comboCount(int id) const = 0;
    virtual std::string comboItem(int id, int index) const = 0;
    virtual int comboSelection(int id) const = 0;
    // False (and the selection cleared) when the index is out of range.
    virtual bool comboSelect(int id, int index) = 0;

    virtual void listAddColumn(int id, std::string_view title, int widthPixels) = 0;
    virtual int listColumnCount(int id) const = 0;
    // Inserts a row at `row` (clamped to the end); returns its index or -1.
    virtual int listInsert(int id, int row, std::string_view text, bool selected) = 0;
    virtual bool listSetText(int id, int row, int column, std::string_view text) = 0;
    virtual std::string listText(int id, int row, int column) const = 0;
    virtual bool listDelete(int id, int row) = 0;
    virtual void listDeleteAll(int id) = 0;
    virtual int listCount(int id) const = 0;
    virtual int listSelectionMark(int id) const = 0;
    virtual void listSetSelectionMark(int id, int row) = 0;
    virtual bool listIsSelected(int id, int row) const = 0;
    // Row -1 means every row. The list allows one selected row: selecting a
    // row clears the selected state of the others.
    virtual void listSetSelected(int id, int row, bool selected) = 0;
};

} // namespace tolvaro::ui
