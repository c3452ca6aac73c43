#include "ui/qt/qt_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTreeWidget>
#include <QValidator>

#include <algorithm>

#include "ui/control_rules.h"
#include "ui/qt/qt_convert.h"

namespace tolvaro::ui {

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

bool ListViewWidget::event(QEvent* event) {
    const bool handled = QTreeWidget::event(event);
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        update();
        break;
    case QEvent::Paint:
        if (hasFocus()) {
            QPainter painter(this);
            painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
        break;
    default:
        break;
    }
    return handled;
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

bool QtWindow::isEditKind(ControlKind kind) {
    return kind == ControlKind::Edit || kind == ControlKind::IpAddress;
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
    const std::vector<std::string> names = accessibleNames(*template_);
    for (std::size_t i = 0; i < template_->controls.size(); ++i) {
        const ControlSpec& spec = template_->controls[i];
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
        if (!names[i].empty()) {
            w->setAccessibleName(qs(names[i]));
        }
        w->setEnabled(!(spec.flags & kDisabled));
        w->setVisible(!(spec.flags & kHidden));
        if (spec.kind == ControlKind::GroupBox) {
            w->lower();
        }
        ids_[w] = spec.id;
        if (spec.id != kNoId && !entries_.count(spec.id)) {
            entries_[spec.id] = Entry{&spec, w, validator, 0, -1, {}, {}};
        }
    }
    // Once every label exists.
    for (std::size_t i = 0; i < template_->controls.size(); ++i) {
        const ControlSpec& spec = template_->controls[i];
        const bool combo =
            spec.kind == ControlKind::ComboList || spec.kind == ControlKind::ComboEdit;
        if (combo && spec.id != kNoId && !names[i].empty()) {
            labelCombo(widget(spec.id), qs(names[i]));
        }
    }
}

void QtWindow::labelCombo(QWidget* combo, const QString& name) {
    // On this platform a screen reader announces a drop-down list by its value
    // and takes its name from the label that names it as its buddy.
    for (QLabel* label : findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        QString text = label->text().trimmed();
        while (text.endsWith(QLatin1Char(':'))) {
            text.chop(1);
        }
        if (text == name && !label->buddy()) {
            label->setBuddy(combo);
            return;
        }
    }
    // No label of its own (named after its frame, or a repeated label): an
    // unseen one carries the name.
    auto* label = new QLabel(name, this);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(combo->geometry());
    label->hide();
    label->setBuddy(combo);
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
        // Exclusivity follows the template's groups, not the parent widget
        // (clickRadio): a button group of its own that is not exclusive
        // overrides the parent's, while the button stays auto-exclusive,
        // which is what makes screen readers call it a radio button.
        auto* own = new QButtonGroup(radio);
        own->setExclusive(false);
        own->addButton(radio);
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
        auto* tree = new ListViewWidget(this);
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
        // The menu key reaches the list's filter; Qt's own context-menu
        // events would repeat what the filter reports.
        tree->installEventFilter(this);
        tree->setContextMenuPolicy(Qt::PreventContextMenu);
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

void QtWindow::requestMenu(int id, QPoint global) {
    const PopupAnchor anchor(global);
    notify(id, Notify::ContextMenu);
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

} // namespace tolvaro::ui
