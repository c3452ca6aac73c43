#include "ui/qt/qt_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QValidator>

#include <algorithm>

#include "ui/control_rules.h"

namespace tolvaro::ui {

namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ss(const QString& text) {
    return text.toStdString();
}

bool isEditKind(ControlKind kind) {
    return kind == ControlKind::Edit || kind == ControlKind::IpAddress;
}

} // namespace

// Refuses what the user may not type; text set by the program is not
// validated by QLineEdit, so it is never cut.
class TypingValidator : public QValidator {
public:
    TypingValidator(unsigned flags, QObject* parent) : QValidator(parent), flags_(flags) {}
    void setLimit(int limit) { limit_ = limit; }

    State validate(QString& input, int&) const override {
        if (flags_ & kLowerCase) {
            input = input.toLower();
        }
        if (flags_ & kDigitsOnly) {
            for (QChar c : input) {
                if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                    return Invalid;
                }
            }
        }
        if (limit_ > 0 && input.size() > limit_) {
            return Invalid;
        }
        return Acceptable;
    }

private:
    unsigned flags_;
    int limit_ = 0;
};

QIcon programIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x1f, 0x5f, 0x9f));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(2, 2, 28, 28, 6, 6);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(20);
    painter.setFont(font);
    painter.drawText(QRect(2, 2, 28, 28), Qt::AlignCenter, QStringLiteral("T"));
    painter.end();
    return QIcon(pixmap);
}

void DropDownCombo::showPopup() {
    emit aboutToDrop();
    QComboBox::showPopup();
}

BaseUnits QtWindow::baseUnits(const QFont& font) {
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return BaseUnits{(width / 26 + 1) / 2, fm.height()};
}

QtWindow::QtWindow(const Template& t, Dialog* dialog, Role role, QWidget* parent)
    : QDialog(parent), template_(&t), dialog_(dialog), role_(role), units_(baseUnits(font())) {
    Qt::WindowFlags flags = Qt::Dialog;
    if (role == Role::Page || role == Role::Preview) {
        flags = Qt::Widget;
    } else if (t.style & kCaptionless) {
        flags = Qt::Dialog | Qt::FramelessWindowHint;
    } else {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (t.style & kSystemMenu) {
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        }
        if (t.style & kMinimizeBox) {
            flags |= Qt::WindowMinimizeButtonHint;
        }
    }
    setWindowFlags(flags);
    setWindowTitle(qs(t.caption));
    setModal(role == Role::Modal);
    build();
}

QtWindow::~QtWindow() {
    dialog_ = nullptr;
}

void QtWindow::build() {
    setFixedSize(dialogUnitsToPixelsX(template_->width, units_),
                 dialogUnitsToPixelsY(template_->height, units_));
    for (const ControlSpec& spec : template_->controls) {
        TypingValidator* validator = nullptr;
        QWidget* w = makeControl(spec, &validator);
        const Rect& r = spec.rect;
        const int x = dialogUnitsToPixelsX(r.x, units_);
        const int y = dialogUnitsToPixelsY(r.y, units_);
        const int width = dialogUnitsToPixelsX(r.w, units_);
        int height = dialogUnitsToPixelsY(r.h, units_);
        if (spec.kind == ControlKind::ComboList || spec.kind == ControlKind::ComboEdit) {
            // The template's height is that of the opened list.
            height = std::min(height, w->sizeHint().height());
        }
        w->setGeometry(x, y, width, height);
        if (isInputControl(spec.kind)) {
            // Screen readers announce the field by its label; a check box or
            // radio button is named by its own text.
            const std::string own = stripMnemonics(spec.text);
            w->setAccessibleName(
                qs(own.empty() || isEditKind(spec.kind) ? accessibleLabel(*template_, spec) : own));
        }
        w->setEnabled(!(spec.flags & kDisabled));
        w->setVisible(!(spec.flags & kHidden));
        if (spec.kind == ControlKind::GroupBox) {
            w->lower();
        }
        ids_[w] = spec.id;
        if (spec.id != kNoId && !entries_.count(spec.id)) {
            entries_[spec.id] = Entry{&spec, w, validator, 0, -1};
        }
    }
}

QWidget* QtWindow::makeControl(const ControlSpec& spec, TypingValidator** validator) {
    const int id = spec.id;
    switch (spec.kind) {
    case ControlKind::Static: {
        auto* label = new QLabel(qs(stripMnemonics(spec.text)), this);
        // Labels carry router names from discovery replies: never markup.
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        Qt::Alignment align = Qt::AlignTop;
        align |= (spec.flags & kCentered)       ? Qt::AlignHCenter
                 : (spec.flags & kRightAligned) ? Qt::AlignRight
                                                : Qt::AlignLeft;
        label->setAlignment(align);
        if (spec.flags & kBorder) {
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        }
        return label;
    }
    case ControlKind::GroupBox:
        return new QGroupBox(qs(spec.text), this);
    case ControlKind::Icon: {
        auto* label = new QLabel(this);
        const QIcon icon =
            QApplication::windowIcon().isNull() ? programIcon() : QApplication::windowIcon();
        label->setPixmap(icon.pixmap(32, 32));
        return label;
    }
    case ControlKind::Edit:
    case ControlKind::IpAddress: {
        if (spec.flags & kMultiLine) {
            auto* edit = new QPlainTextEdit(this);
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
            edit->setReadOnly(spec.flags & kReadOnly);
            edit->setVerticalScrollBarPolicy((spec.flags & kVScroll) ? Qt::ScrollBarAlwaysOn
                                                                     : Qt::ScrollBarAsNeeded);
            edit->setPlainText(qs(spec.text));
            connect(edit, &QPlainTextEdit::textChanged, this,
                    [this, id] { notify(id, Notify::TextChanged); });
            edit->installEventFilter(this);
            return edit;
        }
        auto* edit = new QLineEdit(qs(spec.text), this);
        edit->setReadOnly(spec.flags & kReadOnly);
        if (spec.flags & kPassword) {
            edit->setEchoMode(QLineEdit::Password);
        }
        *validator = new TypingValidator(spec.flags, edit);
        edit->setValidator(*validator);
        connect(edit, &QLineEdit::textChanged, this,
                [this, id] { notify(id, Notify::TextChanged); });
        edit->installEventFilter(this);
        return edit;
    }
    case ControlKind::Button: {
        auto* button = new QPushButton(qs(spec.text), this);
        button->setAutoDefault(false);
        button->setDefault(spec.flags & kDefault);
        connect(button, &QPushButton::clicked, this, [this, id] { notify(id, Notify::Clicked); });
        return button;
    }
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(qs(spec.text), this);
        connect(box, &QCheckBox::clicked, this, [this, id] { notify(id, Notify::Clicked); });
        return box;
    }
    case ControlKind::RadioButton: {
        auto* radio = new QRadioButton(qs(spec.text), this);
        // Exclusivity follows the template's groups, not the parent widget.
        radio->setAutoExclusive(false);
        connect(radio, &QRadioButton::clicked, this, [this, id] { clickRadio(id); });
        return radio;
    }
    case ControlKind::ComboList:
    case ControlKind::ComboEdit: {
        auto* combo = new DropDownCombo(this);
        if (spec.kind == ControlKind::ComboEdit) {
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->lineEdit()->installEventFilter(this);
        }
        connect(combo, &DropDownCombo::aboutToDrop, this,
                [this, id] { notify(id, Notify::DropDown); });
        connect(combo, &QComboBox::activated, this,
                [this, id] { notify(id, Notify::SelectionChanged); });
        return combo;
    }
    case ControlKind::ListView: {
        auto* tree = new QTreeWidget(this);
        tree->setColumnCount(0);
        tree->setRootIsDecorated(false);
        tree->setUniformRowHeights(true);
        tree->setSelectionMode(QAbstractItemView::SingleSelection);
        tree->setSelectionBehavior(QAbstractItemView::SelectRows);
        tree->header()->setSectionsClickable(false);
        tree->header()->setStretchLastSection(false);
        tree->header()->setSectionsMovable(false);
        tree->viewport()->installEventFilter(this);
        ids_[tree->viewport()] = id;
        // Changes the program makes run with the tree's signals blocked.
        connect(tree, &QTreeWidget::currentItemChanged, this, [this, id, tree] {
            if (Entry* e = entry(id)) {
                e->mark = tree->currentItem() ? tree->indexOfTopLevelItem(tree->currentItem()) : -1;
            }
        });
        connect(tree, &QTreeWidget::itemSelectionChanged, this,
                [this, id] { notify(id, Notify::ListItemChanged); });
        return tree;
    }
    }
    return new QWidget(this);
}

QtWindow::Entry* QtWindow::entry(int id) {
    auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : &it->second;
}

const QtWindow::Entry* QtWindow::entry(int id) const {
    auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : &it->second;
}

QWidget* QtWindow::widget(int id) const {
    const Entry* e = entry(id);
    return e ? e->widget : nullptr;
}

QTreeWidget* QtWindow::list(int id) const {
    return qobject_cast<QTreeWidget*>(widget(id));
}

void QtWindow::notify(int id, Notify notification) {
    if (dialog_ && !closing_ && id != kNoId) {
        const HandlerScope running;
        dialog_->command(id, notification);
    }
}

void QtWindow::clickRadio(int id) {
    for (int sibling : template_->radioSiblings(id)) {
        setCheckState(sibling, 0);
    }
    setCheckState(id, 1);
    notify(id, Notify::Clicked);
}

int QtWindow::runModal() {
    if (closing_) {
        return result();
    }
    const QScopedValueRollback running(running_, true);
    return exec();
}

void QtWindow::close(int result) {
    if (role_ == Role::Page || role_ == Role::Preview) {
        return;
    }
    closing_ = true;
    setResult(result);
    if (role_ == Role::Modal && running_) {
        done(result);
    } else {
        hide();
    }
}

void QtWindow::setCaption(std::string_view caption) {
    setWindowTitle(qs(caption));
}

void QtWindow::repaintNow() {
    repaint();
}

std::string QtWindow::text(int id) const {
    QWidget* w = widget(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        return ss(edit->text());
    }
    if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
        // A multi-line edit's lines end in CR LF, as the program wrote them.
        return ss(edit->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    }
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        return ss(combo->currentText());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        return ss(button->text());
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
        return ss(label->text());
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
        return ss(group->title());
    }
    return {};
}

void QtWindow::setText(int id, std::string_view text) {
    QWidget* w = widget(id);
    const QString t = qs(text);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(t);
        // A filled field shows the start of its text, as the platform's does.
        edit->setCursorPosition(0);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
        QString plain = t;
        plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (plain != edit->toPlainText()) {
            edit->setPlainText(plain);
        }
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable()) {
            combo->setEditText(t);
        }
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(t);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(qs(stripMnemonics(text)));
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(t);
    }
}

int QtWindow::checkState(int id) const {
    auto* button = qobject_cast<QAbstractButton*>(widget(id));
    return button && button->isCheckable() && button->isChecked() ? 1 : 0;
}

void QtWindow::setCheckState(int id, int state) {
    auto* button = qobject_cast<QAbstractButton*>(widget(id));
    if (button && button->isCheckable()) {
        button->setChecked(state != 0);
    }
}

bool QtWindow::isEnabled(int id) const {
    QWidget* w = widget(id);
    return w && w->isEnabled();
}

void QtWindow::setEnabled(int id, bool enabled) {
    if (QWidget* w = widget(id)) {
        w->setEnabled(enabled);
    }
}

bool QtWindow::isVisible(int id) const {
    QWidget* w = widget(id);
    return w && !w->isHidden();
}

void QtWindow::setVisible(int id, bool visible) {
    if (QWidget* w = widget(id)) {
        w->setVisible(visible);
    }
}

void QtWindow::setTextLimit(int id, int characters) {
    Entry* e = entry(id);
    if (!e) {
        return;
    }
    e->limit = characters;
    if (e->validator) {
        e->validator->setLimit(characters);
    } else if (auto* combo = qobject_cast<QComboBox*>(e->widget); combo && combo->lineEdit()) {
        combo->lineEdit()->setMaxLength(characters > 0 ? characters : 32767);
    }
}

void QtWindow::setFocus(int id) {
    if (QWidget* w = widget(id)) {
        w->setFocus(Qt::OtherFocusReason);
    }
}

int QtWindow::pixelWidth(int id) const {
    QWidget* w = widget(id);
    return w ? w->width() : 0;
}

void QtWindow::comboReset(int id) {
    if (auto* combo = qobject_cast<QComboBox*>(widget(id))) {
        const QString typed = combo->isEditable() ? combo->currentText() : QString();
        combo->clear();
        if (combo->isEditable()) {
            // Emptying the list leaves the field's text alone.
            combo->setEditText(typed);
        }
    }
}

int QtWindow::comboAdd(int id, std::string_view item) {
    auto* combo = qobject_cast<QComboBox*>(widget(id));
    if (!combo) {
        return -1;
    }
    int at = combo->count();
    if (entry(id)->spec->flags & kSorted) {
        std::vector<std::string> items;
        for (int i = 0; i < combo->count(); ++i) {
            items.push_back(ss(combo->itemText(i)));
        }
        at = sortedInsertPosition(items, item);
    }
    const QString typed = combo->isEditable() ? combo->currentText() : QString();
    const int before = combo->currentIndex();
    combo->insertItem(at, qs(item));
    // The selection stays on its item; a list without one shows nothing
    // until an item is chosen.
    combo->setCurrentIndex(indexAfterInsert(before, at));
    if (combo->isEditable()) {
        combo->setEditText(typed);
    }
    return at;
}

int QtWindow::comboCount(int id) const {
    auto* combo = qobject_cast<QComboBox*>(widget(id));
    return combo ? combo->count() : 0;
}

std::string QtWindow::comboItem(int id, int index) const {
    auto* combo = qobject_cast<QComboBox*>(widget(id));
    return combo && index >= 0 && index < combo->count() ? ss(combo->itemText(index))
                                                         : std::string();
}

int QtWindow::comboSelection(int id) const {
    auto* combo = qobject_cast<QComboBox*>(widget(id));
    return combo ? combo->currentIndex() : -1;
}

bool QtWindow::comboSelect(int id, int index) {
    auto* combo = qobject_cast<QComboBox*>(widget(id));
    if (!combo) {
        return false;
    }
    if (index < 0 || index >= combo->count()) {
        combo->setCurrentIndex(-1);
        return false;
    }
    combo->setCurrentIndex(index);
    return true;
}

void QtWindow::listAddColumn(int id, std::string_view title, int widthPixels) {
    QTreeWidget* tree = list(id);
    if (!tree) {
        return;
    }
    const int column = tree->columnCount();
    tree->setColumnCount(column + 1);
    tree->headerItem()->setText(column, qs(title));
    // The widths the pages ask for share out the list's width; a header or
    // value that needs more widens its column (the list then scrolls).
    tree->header()->resizeSection(column, std::max(0, widthPixels));
    fitColumn(tree, column, qs(title));
}

void QtWindow::fitColumn(QTreeWidget* tree, int column, const QString& text) const {
    const QFontMetrics fm(tree->font());
    const int needed = fm.horizontalAdvance(text) + 2 * fm.averageCharWidth();
    if (tree->header()->sectionSize(column) < needed) {
        tree->header()->resizeSection(column, needed);
    }
}

int QtWindow::listColumnCount(int id) const {
    QTreeWidget* tree = list(id);
    return tree ? tree->columnCount() : 0;
}

int QtWindow::listInsert(int id, int row, std::string_view text, bool selected) {
    QTreeWidget* tree = list(id);
    if (!tree) {
        return -1;
    }
    const int at = std::clamp(row, 0, tree->topLevelItemCount());
    auto* item = new QTreeWidgetItem;
    item->setText(0, qs(text));
    {
        const QSignalBlocker quiet(tree);
        tree->insertTopLevelItem(at, item);
    }
    if (tree->columnCount() > 0) {
        fitColumn(tree, 0, item->text(0));
    }
    Entry* e = entry(id);
    e->mark = indexAfterInsert(e->mark, at);
    if (selected) {
        listSetSelected(id, at, true);
    }
    return at;
}

bool QtWindow::listSetText(int id, int row, int column, std::string_view text) {
    QTreeWidget* tree = list(id);
    QTreeWidgetItem* item = tree ? tree->topLevelItem(row) : nullptr;
    if (!item || column < 0) {
        return false;
    }
    item->setText(column, qs(text));
    if (column < tree->columnCount()) {
        fitColumn(tree, column, item->text(column));
    }
    return true;
}

std::string QtWindow::listText(int id, int row, int column) const {
    QTreeWidget* tree = list(id);
    QTreeWidgetItem* item = tree ? tree->topLevelItem(row) : nullptr;
    return item && column >= 0 ? ss(item->text(column)) : std::string();
}

bool QtWindow::listDelete(int id, int row) {
    QTreeWidget* tree = list(id);
    if (!tree || row < 0 || row >= tree->topLevelItemCount()) {
        return false;
    }
    {
        const QSignalBlocker quiet(tree);
        delete tree->takeTopLevelItem(row);
    }
    Entry* e = entry(id);
    e->mark = indexAfterRemove(e->mark, row);
    return true;
}

void QtWindow::listDeleteAll(int id) {
    if (QTreeWidget* tree = list(id)) {
        const QSignalBlocker quiet(tree);
        tree->clear();
        entry(id)->mark = -1;
    }
}

int QtWindow::listCount(int id) const {
    QTreeWidget* tree = list(id);
    return tree ? tree->topLevelItemCount() : 0;
}

int QtWindow::listSelectionMark(int id) const {
    const Entry* e = entry(id);
    return e && list(id) ? e->mark : -1;
}

void QtWindow::listSetSelectionMark(int id, int row) {
    Entry* e = entry(id);
    QTreeWidget* tree = list(id);
    if (!e || !tree) {
        return;
    }
    e->mark = row;
    if (QTreeWidgetItem* item = tree->topLevelItem(row)) {
        const QSignalBlocker quiet(tree);
        tree->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    }
}

bool QtWindow::listIsSelected(int id, int row) const {
    QTreeWidget* tree = list(id);
    QTreeWidgetItem* item = tree ? tree->topLevelItem(row) : nullptr;
    return item && item->isSelected();
}

void QtWindow::listSetSelected(int id, int row, bool selected) {
    QTreeWidget* tree = list(id);
    if (!tree) {
        return;
    }
    const QSignalBlocker quiet(tree);
    if (row == -1) {
        tree->clearSelection();
        if (selected && tree->topLevelItemCount() > 0) {
            tree->topLevelItem(tree->topLevelItemCount() - 1)->setSelected(true);
        }
    } else if (QTreeWidgetItem* item = tree->topLevelItem(row)) {
        if (selected) {
            tree->clearSelection();
        }
        item->setSelected(selected);
    }
}

void QtWindow::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_F1 && dialog_) {
        // F1 opens this window's help topic, as its Help button would.
        event->accept();
        notify(kIdHelp, Notify::Clicked);
        return;
    }
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (role_ == Role::Page || (!enter && key != Qt::Key_Escape)) {
        // Pages leave Enter and Escape to their sheet.
        if (role_ == Role::Page && (enter || key == Qt::Key_Escape)) {
            event->ignore();
            return;
        }
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (key == Qt::Key_Escape) {
        notify(kIdCancel, Notify::Clicked);
        return;
    }
    const auto focused = ids_.find(focusWidget());
    notify(enterCommand(*template_, focused == ids_.end() ? kNoId : focused->second,
                        [this](int id) { return isEnabled(id) && isVisible(id); }),
           Notify::Clicked);
}

void QtWindow::closeEvent(QCloseEvent* event) {
    // The close box is the Cancel command; the dialog decides whether to end.
    event->ignore();
    if (role_ == Role::Modal || role_ == Role::Modeless) {
        notify(kIdCancel, Notify::Clicked);
    }
}

void QtWindow::reject() {
    notify(kIdCancel, Notify::Clicked);
}

bool QtWindow::eventFilter(QObject* watched, QEvent* event) {
    auto it = ids_.find(watched);
    int id = it == ids_.end() ? kNoId : it->second;
    if (id == kNoId && watched->parent()) {
        // An editable drop-down list's field.
        auto parent = ids_.find(watched->parent());
        id = parent == ids_.end() ? kNoId : parent->second;
    }
    if (id == kNoId) {
        return QDialog::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        const Entry* e = entry(id);
        const bool deactivatedByHandler =
            reason == Qt::ActiveWindowFocusReason && HandlerScope::active();
        if (e && isEditKind(e->spec->kind) && reason != Qt::PopupFocusReason &&
            !deactivatedByHandler) {
            notify(id, Notify::FocusLost);
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto* tree = list(id);
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (tree && watched == tree->viewport() && mouse->button() == Qt::LeftButton) {
            QTreeWidgetItem* item = tree->itemAt(mouse->position().toPoint());
            const int row = item ? tree->indexOfTopLevelItem(item) : -1;
            if (row < 0) {
                listSetSelected(id, -1, false);
            }
            entry(id)->mark = row;
            notify(id, Notify::ListClick);
        }
        break;
    }
    case QEvent::MouseButtonDblClick: {
        auto* tree = list(id);
        if (tree && watched == tree->viewport()) {
            notify(id, Notify::ListDoubleClick);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tolvaro::ui
