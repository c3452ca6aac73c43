// What a screen reader learns from every window through Qt's accessibility
// interface: each control it can stop at has a name of its own, radio
// buttons say they are radio buttons although their exclusivity is the
// program's, and a drop-down list is named by its label, not its value.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QComboBox>
#include <QRadioButton>

#include <map>
#include <string>

#include "ui/qt/qt_window.h"
#include "ui/template.h"

namespace tolvaro::ui {
namespace {

// The name the reader announces: the interface's own, or for a control that
// reports its value as its name, the label it is labelled by (whose colon
// the reader reads as a pause).
QString announcedName(QAccessibleInterface* iface) {
    for (const auto& [label, relation] : iface->relations(QAccessible::Label)) {
        QString name = label->text(QAccessible::Name).trimmed();
        if (name.endsWith(QLatin1Char(':'))) {
            name.chop(1);
        }
        if (!name.isEmpty()) {
            return name;
        }
    }
    return iface->text(QAccessible::Name);
}

TEST(Accessibility, EveryControlOfEveryWindowHasANameOfItsOwn) {
    for (const Template* t : allTemplates()) {
        SCOPED_TRACE(std::to_string(t->number) + " " + t->caption);
        QtWindow window(*t, nullptr, QtWindow::Role::Preview);
        std::map<QString, int> seen;
        for (QWidget* w : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w->focusPolicy() == Qt::NoFocus) {
                continue;
            }
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(iface, nullptr);
            const QString name = announcedName(iface);
            EXPECT_FALSE(name.trimmed().isEmpty()) << w->metaObject()->className();
            EXPECT_EQ(++seen[name], 1) << "\"" << name.toStdString() << "\" named twice";
            if (qobject_cast<QRadioButton*>(w)) {
                EXPECT_EQ(iface->role(), QAccessible::RadioButton) << name.toStdString();
            }
            if (auto* combo = qobject_cast<QComboBox*>(w)) {
                EXPECT_EQ(name.toStdString(), combo->accessibleName().toStdString())
                    << "announced by its value";
            }
        }
    }
}

// A radio button made a screen reader's radio button keeps the program's
// rules: the program may clear every button of a group.
TEST(Accessibility, RadioButtonsStayUnderTheProgramsControl) {
    const Template* t = findTemplate(149);
    ASSERT_NE(t, nullptr);
    QtWindow window(*t, nullptr, QtWindow::Role::Preview);
    constexpr int kDynamic = 1044;
    constexpr int kFixed = 1043;
    window.setCheckState(kDynamic, 1);
    window.setCheckState(kDynamic, 0);
    EXPECT_EQ(window.checkState(kDynamic), 0);
    window.setCheckState(kDynamic, 1);
    window.setCheckState(kFixed, 1);
    EXPECT_EQ(window.checkState(kDynamic) + window.checkState(kFixed), 2)
        << "exclusivity is the program's, not the toolkit's";
}

} // namespace
} // namespace tolvaro::ui
