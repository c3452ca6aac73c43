// The property sheet window of the Qt backend: tabs, OK and Cancel.
// Internal to the backend.
#pragma once

#include <QDialog>

#include <vector>

#include "ui/property_sheet.h"

class QTabWidget;

namespace tolvaro::ui {

class Host;
class QtWindow;

class QtSheetWindow : public QDialog, public SheetFrame {
    Q_OBJECT
public:
    QtSheetWindow(Host& host, PropertySheet& sheet, QWidget* parent);
    ~QtSheetWindow() override;

    int run();
    // Detaches every page window from its page.
    void release();

    void createPage(PropertyPage& page) override;
    void showPage(int index) override;
    void close(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    // The sheet's size: its pages' where the screen has room for it, else
    // as much as the screen allows, with pages that scroll.
    void fitScreen();

    Host& host_;
    PropertySheet& sheet_;
    QTabWidget* tabs_;
    std::vector<QWidget*> containers_;
    std::vector<QtWindow*> windows_;
    bool running_ = false;
    bool closed_ = false;
};

} // namespace tolvaro::ui
