// A window of the scripted backend: the controls of a template held in
// memory. Internal to the scripted backend; tests use the drivers.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ui/text_rules.h"
#include "ui/window.h"

namespace tolvaro::ui {

class Dialog;

class ScriptedWindow : public Window {
public:
    struct Row {
        std::vector<std::string> texts;
        bool selected = false;
    };
    struct Control {
        const ControlSpec* spec = nullptr;
        std::string text;
        int check = 0;
        bool enabled = true;
        bool visible = true;
        int limit = 0;
        std::vector<std::string> items;
        int selection = -1;
        std::vector<std::string> columns;
        std::vector<int> columnWidths;
        std::vector<Row> rows;
        int mark = -1;
    };

    // The pixel metrics of the scripted font (the platform's classic dialog font).
    static constexpr BaseUnits kBaseUnits{6, 13};

    ScriptedWindow(const Template& t, Dialog& dialog, bool page = false);

    Control* control(int id);
    const Control* control(int id) const;
    int focused() const { return focused_; }
    // Moves the focus; the edit or list that had it gets FocusLost.
    void moveFocus(int id);
    bool isClosed() const { return closed_; }
    const std::string& caption() const { return caption_; }
    Dialog& dialog() const { return *dialog_; }

    const Template& windowTemplate() const override { return *template_; }
    void close(int result) override;
    void setCaption(std::string_view caption) override { caption_ = caption; }
    void repaintNow() override {}
    std::string text(int id) const override;
    void setText(int id, std::string_view text) override;
    int checkState(int id) const override;
    void setCheckState(int id, int state) override;
    bool isEnabled(int id) const override;
    void setEnabled(int id, bool enabled) override;
    bool isVisible(int id) const override;
    void setVisible(int id, bool visible) override;
    void setTextLimit(int id, int characters) override;
    void setFocus(int id) override;
    int pixelWidth(int id) const override;
    void comboReset(int id) override;
    int comboAdd(int id, std::string_view item) override;
    int comboCount(int id) const override;
    std::string comboItem(int id, int index) const override;
    int comboSelection(int id) const override;
    bool comboSelect(int id, int index) override;
    void listAddColumn(int id, std::string_view title, int widthPixels) override;
    int listColumnCount(int id) const override;
    int listInsert(int id, int row, std::string_view text, bool selected) override;
    bool listSetText(int id, int row, int column, std::string_view text) override;
    std::string listText(int id, int row, int column) const override;
    bool listDelete(int id, int row) override;
    void listDeleteAll(int id) override;
    int listCount(int id) const override;
    int listSelectionMark(int id) const override;
    void listSetSelectionMark(int id, int row) override;
    bool listIsSelected(int id, int row) const override;
    void listSetSelected(int id, int row, bool selected) override;

private:
    const Template* template_;
    Dialog* dialog_;
    std::map<int, Control> controls_;
    std::string caption_;
    int focused_ = kNoId;
    bool closed_ = false;
    bool page_ = false;
};

} // namespace tolvaro::ui
