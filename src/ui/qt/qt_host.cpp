#include "ui/qt/qt_host.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <unistd.h>

#include <climits>

#include "ui/dialog.h"
#include "ui/property_sheet.h"
#include "ui/qt/qt_convert.h"
#include "ui/qt/qt_settings.h"
#include "ui/qt/qt_sheet.h"
#include "ui/qt/qt_window.h"

// Resources of a static library must be initialised by name.
static void initHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace tolvaro::ui {

namespace {

// A wait begun before a modal window opens (Setup keeps one begun while the
// settings sheet is up) must not cover that window: it shows the normal
// cursor, and waits begun inside it show the wait cursor again.
class ArrowWhileModal {
public:
    explicit ArrowWhileModal(int waitDepth) : active_(waitDepth > 0) {
        if (active_) {
            QApplication::setOverrideCursor(Qt::ArrowCursor);
        }
    }
    ~ArrowWhileModal() {
        if (active_) {
            QApplication::restoreOverrideCursor();
        }
    }
    ArrowWhileModal(const ArrowWhileModal&) = delete;
    ArrowWhileModal& operator=(const ArrowWhileModal&) = delete;

private:
    bool active_;
};

QString qtFilter(const std::string& filter) {
    QStringList parts;
    for (const auto& [description, pattern] : parseFileFilter(filter)) {
        QString d = qs(description);
        const QString p = qs(pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (!d.contains(QLatin1Char('(') + p + QLatin1Char(')'))) {
            d += QStringLiteral(" (") + p + QLatin1Char(')');
        }
        parts << d;
    }
    return parts.join(QStringLiteral(";;"));
}

} // namespace

QtHost::QtHost() : settings_(std::make_unique<QtSettingsStore>()) {
    initHelpResources();
    if (QApplication::windowIcon().isNull()) {
        QApplication::setWindowIcon(programIcon());
    }
}

QtHost::~QtHost() {
    while (waitDepth_ > 0) {
        endWaitCursor();
    }
    delete progress_.data();
}

void QtHost::setSettingsDefault(std::string_view key, std::string_view name,
                                std::string_view value) {
    settings_->setDefault(key, name, value);
}

void QtHost::useSettingsFile(const QString& path) {
    settings_ = std::make_unique<QtSettingsStore>(path);
}

QWidget* QtHost::activeWindow() const {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    QWidget* active = QApplication::activeWindow();
    return active == helpWindow_.get() ? nullptr : active;
}

int QtHost::runModal(QDialog& dialog, const std::function<int()>& run) {
    // Window-modal blocks the owner chain and nothing else: the program's
    // own windows all descend from the main window, and the help window
    // stays outside.
    dialog.setWindowModality(Qt::WindowModal);
    if (modalHook_) {
        QTimer::singleShot(0, &dialog, [this, &dialog] { modalHook_(&dialog); });
    }
    const ArrowWhileModal arrow(waitDepth_);
    return run ? run() : dialog.exec();
}

Answer QtHost::showMessage(std::string_view text, Buttons buttons, Icon icon,
                           std::string_view caption) {
    QMessageBox box(activeWindow());
    box.setWindowTitle(qs(caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(qs(text));
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    }
    // The box is at least as wide as its caption plus the title bar's
    // buttons, so that a window manager does not cut the caption short
    // (after the icon and buttons: setting them lays the box out anew).
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int room =
            box.fontMetrics().horizontalAdvance(box.windowTitle()) + 8 * box.fontMetrics().height();
        grid->addItem(new QSpacerItem(room, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    const int pressed = runModal(box);
    switch (pressed) {
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return buttons == Buttons::YesNo    ? Answer::No
               : pressed == QMessageBox::Ok ? Answer::Ok
               : buttons == Buttons::Ok     ? Answer::Ok
                                            : Answer::Cancel;
    }
}

void QtHost::beginWaitCursor() {
    ++waitDepth_;
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtHost::endWaitCursor() {
    if (waitDepth_ == 0) {
        return;
    }
    --waitDepth_;
    QApplication::restoreOverrideCursor();
}

void QtHost::sleep(int ms) {
    if (sleeper_) {
        sleeper_(ms);
        return;
    }
    // Keep painting while the wait runs; user input waits until it is over.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        const int left = ms - static_cast<int>(timer.elapsed());
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, std::min(left, 20));
        QThread::msleep(static_cast<unsigned long>(std::clamp(left, 0, 10)));
    }
}

namespace {

// Bar steps per wait: the wait runs in these steps through sleep(), so an
// injected clock drives the bar exactly as it drives the wait.
constexpr int kProgressSteps = 20;

QProgressDialog* openProgress(const QString& text, int maximum, QWidget* parent) {
    auto* progress = new QProgressDialog(text, QString(), 0, maximum, parent);
    // The text counts an operation's waits ("2 of 10") while the bar moves
    // through each wait: a percentage beside it would say something else.
    auto* bar = new QProgressBar(progress);
    bar->setTextVisible(false);
    progress->setBar(bar);
    progress->setRange(0, maximum);
    progress->setWindowTitle(QApplication::applicationName());
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(0);
    progress->setCancelButton(nullptr);
    // A full bar must not close or rewind a window that has more waits to show.
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    progress->setValue(0);
    progress->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return progress;
}

} // namespace

void QtHost::sleepWithProgress(std::string_view what, int ms) {
    const QString text = QString::fromStdString(std::string(what));
    // A wait outside an operation's progress has a window of its own. Both
    // kinds are watched: a window goes with its parent if that closes first.
    const bool own = !(progressDepth_ > 0 && progress_);
    QPointer<QProgressDialog> progress;
    int from = 0;
    int to = kProgressSteps;
    if (own) {
        progress = openProgress(text, kProgressSteps, activeWindow());
    } else {
        progress = progress_;
        // Wait k of n moves the bar from (k-1)/n to k/n; waits beyond the
        // last part leave it full.
        from = std::min(progressDone_, progressParts_) * kProgressSteps;
        to = std::min(progressDone_ + 1, progressParts_) * kProgressSteps;
        ++progressDone_;
        progress->setLabelText(text);
    }
    int done = 0;
    for (int step = 1; step <= kProgressSteps; ++step) {
        const int until = static_cast<int>(static_cast<long long>(ms) * step / kProgressSteps);
        sleep(until - done);
        done = until;
        if (progress) {
            progress->setValue(from + (to - from) * step / kProgressSteps);
        }
    }
    if (own) {
        delete progress.data();
    }
}

void QtHost::beginProgress(std::string_view what, int parts) {
    if (progressDepth_++ > 0) {
        return;
    }
    progressParts_ = std::clamp(parts, 1, INT_MAX / kProgressSteps);
    progressDone_ = 0;
    progress_ = openProgress(QString::fromStdString(std::string(what)),
                             progressParts_ * kProgressSteps, activeWindow());
}

void QtHost::endProgress() {
    if (progressDepth_ > 0 && --progressDepth_ == 0) {
        delete progress_.data();
    }
}

int QtHost::runDialog(Dialog& dialog) {
    const Template* t = findTemplate(dialog.templateNumber());
    if (!t) {
        return -1;
    }
    QtWindow window(*t, &dialog, QtWindow::Role::Modal, activeWindow());
    dialog.attach(*this, window);
    dialog.start();
    if (!window.isClosed()) {
        runModal(window, [&window] { return window.runModal(); });
    }
    const int result = dialog.result();
    window.disconnectDialog();
    dialog.detach();
    return result;
}

int QtHost::runSheet(PropertySheet& sheet) {
    QtSheetWindow window(*this, sheet, activeWindow());
    sheet.begin(window);
    if (sheet.isOpen()) {
        runModal(window, [&window] { return window.run(); });
    }
    const int result = sheet.result();
    window.release();
    sheet.end();
    return result;
}

void QtHost::createModeless(Dialog& dialog) {
    const Template* t = findTemplate(dialog.templateNumber());
    if (!t) {
        return;
    }
    auto& owned = modelessWindows_[&dialog];
    owned = std::make_unique<QtWindow>(*t, &dialog, QtWindow::Role::Modeless, activeWindow());
    QtWindow* window = owned.get();
    dialog.attach(*this, *window);
    dialog.start();
    if (!window->isClosed()) {
        window->show();
        if (QWidget* parent = window->parentWidget()) {
            window->move(parent->geometry().center() - window->rect().center());
        }
        // Painted before the blocking call that usually follows.
        window->repaint();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void QtHost::destroyModeless(Dialog& dialog) {
    auto it = modelessWindows_.find(&dialog);
    if (it == modelessWindows_.end()) {
        return;
    }
    const std::unique_ptr<QtWindow> window = std::move(it->second);
    modelessWindows_.erase(it);
    window->disconnectDialog();
    dialog.detach();
}

std::optional<std::string> QtHost::openFileName(const FileDialogOptions& options) {
    QFileDialog dialog(activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(qtFilter(options.filter));
    dialog.setDefaultSuffix(qs(options.defaultExtension));
    if (runModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtHost::saveFileName(const FileDialogOptions& options) {
    QFileDialog dialog(activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(qtFilter(options.filter));
    dialog.setDefaultSuffix(qs(options.defaultExtension));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.overwritePrompt);
    if (runModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first().toStdString();
}

std::optional<int> QtHost::popupMenu(const std::vector<std::string>& items) {
    QMenu menu(activeWindow());
    for (std::size_t i = 0; i < items.size(); ++i) {
        menu.addAction(qs(items[i]))->setData(static_cast<int>(i));
    }
    if (modalHook_) {
        QTimer::singleShot(0, &menu, [this, &menu] { modalHook_(&menu); });
    }
    const ArrowWhileModal arrow(waitDepth_);
    const QAction* chosen = menu.exec(PopupAnchor::current().value_or(QCursor::pos()));
    if (!chosen) {
        return std::nullopt;
    }
    return chosen->data().toInt();
}

SettingsStore& QtHost::settings() {
    return *settings_;
}

void QtHost::openUrl(std::string_view url) {
    QDesktopServices::openUrl(QUrl(qs(url)));
}

QString QtHost::helpPagePath(int topic) {
    const QString page = QStringLiteral(":/help/%1.html").arg(topic);
    return QFile::exists(page) ? page : QStringLiteral(":/help/index.html");
}

void QtHost::showHelp(int topic) {
    if (!helpWindow_) {
        // A window of its own, owned by no dialog: the modal windows block
        // only their owners, so help stays usable while any of them runs,
        // and it outlives the dialog that opened it.
        helpWindow_ = std::make_unique<QTextBrowser>();
        QTextBrowser* browser = helpWindow_.get();
        browser->setWindowFlag(Qt::Window);
        browser->setWindowTitle(QStringLiteral("Tolvaro Help"));
        browser->setOpenExternalLinks(true);
        browser->setSearchPaths({QStringLiteral(":/help")});
        browser->resize(560, 480);
        auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), browser);
        QObject::connect(close, &QShortcut::activated, browser, &QWidget::close);
    }
    QTextBrowser* browser = helpWindow_.get();
    browser->setSource(QUrl(QStringLiteral("qrc") + helpPagePath(topic)));
    browser->show();
    browser->raise();
    browser->activateWindow();
}

std::string QtHost::hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return {};
    }
    return name;
}

std::vector<std::string> QtHost::hostAddresses() {
    std::vector<std::string> addresses;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return addresses;
    }
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        char text[INET_ADDRSTRLEN] = {};
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
        if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) {
            addresses.emplace_back(text);
        }
    }
    freeifaddrs(list);
    return addresses;
}

QWidget* QtHost::buildTemplate(const Template& t, QWidget* parent) {
    return new QtWindow(t, nullptr, QtWindow::Role::Preview, parent);
}

QString QtHost::renderTemplate(const Template& t, const QString& dir) {
    std::unique_ptr<QWidget> window(buildTemplate(t));
    QString caption = QString::fromStdString(t.caption);
    for (QChar& c : caption) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':')) {
            c = QLatin1Char('_');
        }
    }
    const QString name = caption.isEmpty() ? QString::number(t.number)
                                           : QStringLiteral("%1-%2").arg(t.number).arg(caption);
    const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
    window->ensurePolished();
    return window->grab().save(path) ? path : QString();
}

} // namespace tolvaro::ui
