#include "ui/qt/qt_sheet.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/qt/qt_window.h"

namespace tolvaro::ui {

namespace {

// Holds one page. As large as its page where the screen allows it; it
// scrolls only when the sheet had to be made smaller than its pages.
class PageScroller : public QScrollArea {
public:
    PageScroller() {
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(true);
        viewport()->setAutoFillBackground(false);
    }
    QSize sizeHint() const override {
        return widget() ? widget()->minimumSize() : QScrollArea::sizeHint();
    }

protected:
    void showEvent(QShowEvent* event) override {
        QScrollArea::showEvent(event);
        // A page comes into sight from its top left corner.
        QTimer::singleShot(0, this, [this] {
            horizontalScrollBar()->setValue(0);
            verticalScrollBar()->setValue(0);
        });
    }
};

} // namespace

QtSheetWindow::QtSheetWindow(Host& host, PropertySheet& sheet, QWidget* parent)
    : QDialog(parent), host_(host), sheet_(sheet), tabs_(new QTabWidget(this)) {
    setWindowTitle(QString::fromStdString(sheet.caption()));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);

    // Every page gets the room of the largest one, as the platform's sheet does.
    const BaseUnits units = QtWindow::baseUnits(font());
    int width = 0;
    int height = 0;
    for (int i = 0; i < sheet.pageCount(); ++i) {
        const Template* t = findTemplate(sheet.page(i).templateNumber());
        auto* container = new QWidget;
        containers_.push_back(container);
        auto* scroller = new PageScroller;
        scroller->setWidget(container);
        tabs_->addTab(scroller, t ? QString::fromStdString(t->caption) : QString());
        if (t) {
            width = std::max(width, dialogUnitsToPixelsX(t->width, units));
            height = std::max(height, dialogUnitsToPixelsY(t->height, units));
        }
    }
    // Every tab stays in sight: the sheet is at least as wide as its tab
    // row, and a narrower page sits centred below it.
    tabs_->setUsesScrollButtons(false);
    width = std::max(width, tabs_->tabBar()->sizeHint().width());
    for (QWidget* c : containers_) {
        c->setMinimumSize(width, height);
        auto* centred = new QHBoxLayout(c);
        centred->setContentsMargins(0, 0, 0, 0);
    }

    auto* ok = new QPushButton(tr("OK"), this);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, [this] {
        const HandlerScope running;
        sheet_.pressOK();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        const HandlerScope running;
        sheet_.pressCancel();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);
    fitScreen();

    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        // The current page stays in sight until it agrees to be left (its
        // message must not stand over a blank new tab); the sheet shows the
        // new page once it is active.
        showPage(sheet_.activeIndex());
        const HandlerScope running;
        sheet_.activate(index);
    });
}

void QtSheetWindow::fitScreen() {
    const QSize natural = sizeHint();
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    // The frame's title bar and borders are not known before the window is
    // shown; this leaves room for the usual ones.
    const QSize room = screen ? screen->availableGeometry().size() - QSize(16, 48) : natural;
    if (natural.width() <= room.width() && natural.height() <= room.height()) {
        setFixedSize(natural);
        return;
    }
    // A screen smaller than the sheet: the pages scroll inside it, and the
    // tab row scrolls too, so that every page and both buttons stay reachable.
    tabs_->setUsesScrollButtons(true);
    // The layout keeps the tab row's old width as the tabs' minimum until
    // they tell it otherwise.
    tabs_->updateGeometry();
    layout()->activate();
    setMaximumSize(natural);
    resize(natural.boundedTo(room));
}

QtSheetWindow::~QtSheetWindow() {
    release();
}

void QtSheetWindow::release() {
    for (QtWindow* w : windows_) {
        w->disconnectDialog();
    }
}

int QtSheetWindow::run() {
    if (closed_) {
        return result();
    }
    const QScopedValueRollback running(running_, true);
    return exec();
}

void QtSheetWindow::createPage(PropertyPage& page) {
    const Template* t = findTemplate(page.templateNumber());
    int index = 0;
    while (index < sheet_.pageCount() && &sheet_.page(index) != &page) {
        ++index;
    }
    if (!t || index >= static_cast<int>(containers_.size())) {
        return;
    }
    QWidget* container = containers_[static_cast<std::size_t>(index)];
    auto* window = new QtWindow(*t, &page, QtWindow::Role::Page, container);
    container->layout()->addWidget(window);
    container->layout()->setAlignment(window, Qt::AlignHCenter | Qt::AlignTop);
    window->show();
    windows_.push_back(window);
    page.attach(host_, *window);
}

void QtSheetWindow::showPage(int index) {
    const QSignalBlocker quiet(tabs_);
    tabs_->setCurrentIndex(index);
}

void QtSheetWindow::close(int result) {
    closed_ = true;
    setResult(result);
    if (running_) {
        done(result);
    } else {
        hide();
    }
}

void QtSheetWindow::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const HandlerScope running;
    if (key == Qt::Key_F1 && sheet_.activeIndex() >= 0) {
        // Help for the page in sight, also while the tabs have the focus.
        sheet_.page(sheet_.activeIndex()).command(kIdHelp, Notify::Clicked);
        return;
    }
    if (key == Qt::Key_Escape) {
        sheet_.pressCancel();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
        } else {
            sheet_.pressOK();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void QtSheetWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    sheet_.pressCancel();
}

void QtSheetWindow::reject() {
    sheet_.pressCancel();
}

} // namespace tolvaro::ui
