// The settings pages, their editor dialogs and the Remote Management dialog
// as the Qt backend builds them: every text must be readable in full with
// the real font (a label cut off at its right edge is the typical fault of a
// dialog laid out in dialog units), nothing may cover another control, and
// nothing may sit on a frame's title.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "ui/qt/qt_window.h"
#include "ui/template.h"

namespace tolvaro::ui {
namespace {

struct WindowRow {
    const char* name;
    int number;
};

const WindowRow kWindows[] = {
    {"QuickSetup", 149},
    {"Isdn", 157},
    {"LanToLan", 159},
    {"Option", 160},
    {"Status", 158},
    {"Lan", 152},
    {"InternetApplication", 156},
    {"DialIn", 142},
    {"AccessControl", 151},
    {"RoutingEntry", 163},
    {"DhcpLeaseStatus", 155},
    {"VirtualServer", 164},
    {"SpecialApplication", 166},
    {"User", 161},
    {"GroupSetup", 154},
    {"FilterPort", 168},
    {"WorkStation", 162},
    {"RemoteManagement", 180},
};

void PrintTo(const WindowRow& row, std::ostream* os) {
    *os << row.name;
}

std::string describe(const QWidget* w) {
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(w)) {
        text = label->text();
    } else if (auto* button = qobject_cast<const QAbstractButton*>(w)) {
        text = button->text();
    } else if (auto* group = qobject_cast<const QGroupBox*>(w)) {
        text = group->title();
    }
    return std::string(w->metaObject()->className()) + " \"" + text.toStdString() + "\"";
}

// A wrapping label fits when its wrapped text is no taller than the label
// and no single word is wider than it.
bool labelFits(const QLabel& label) {
    if (label.text().isEmpty()) {
        return true;
    }
    const QFontMetrics fm(label.font());
    for (const QString& word : label.text().split(' ', Qt::SkipEmptyParts)) {
        if (fm.horizontalAdvance(word) > label.width()) {
            return false;
        }
    }
    return label.heightForWidth(label.width()) <= label.height();
}

bool buttonFits(const QAbstractButton& button) {
    if (qobject_cast<const QCheckBox*>(&button) || qobject_cast<const QRadioButton*>(&button)) {
        return button.sizeHint().width() <= button.width();
    }
    // A push button's size hint has a minimum width of its own; the text
    // itself, with a little room on both sides, is what has to fit.
    const QFontMetrics fm(button.font());
    return fm.horizontalAdvance(button.text()) + fm.averageCharWidth() <= button.width();
}

// Controls that touch in dialog units may share a pixel after rounding, as
// they do on the platform the units come from; more than that is a fault.
bool covers(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.width() > 1 && common.height() > 1;
}

std::vector<QWidget*> controlsOf(QtWindow& window) {
    const QList<QWidget*> children = window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    return {children.begin(), children.end()};
}

class Rendered : public testing::TestWithParam<WindowRow> {
protected:
    void SetUp() override {
        const Template* t = findTemplate(GetParam().number);
        ASSERT_NE(t, nullptr);
        window_ = std::make_unique<QtWindow>(*t, nullptr, QtWindow::Role::Preview);
    }

    std::unique_ptr<QtWindow> window_;
};

TEST_P(Rendered, EveryTextFitsItsControl) {
    for (QWidget* w : controlsOf(*window_)) {
        if (auto* label = qobject_cast<QLabel*>(w)) {
            EXPECT_TRUE(labelFits(*label)) << describe(w);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            EXPECT_TRUE(buttonFits(*button)) << describe(w);
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            const QFontMetrics fm(group->font());
            EXPECT_LE(fm.horizontalAdvance(group->title()) + 2 * fm.averageCharWidth(),
                      group->width())
                << describe(w);
        }
    }
}

TEST_P(Rendered, ShownControlsDoNotCoverEachOther) {
    std::vector<QWidget*> shown;
    for (QWidget* w : controlsOf(*window_)) {
        if (!w->isHidden() && !qobject_cast<QGroupBox*>(w)) {
            shown.push_back(w);
        }
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_TRUE(window_->rect().contains(shown[i]->geometry())) << describe(shown[i]);
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            EXPECT_FALSE(covers(shown[i]->geometry(), shown[j]->geometry()))
                << describe(shown[i]) << " covers " << describe(shown[j]);
        }
    }
}

TEST_P(Rendered, NothingSitsOnAFrameTitle) {
    for (QWidget* w : controlsOf(*window_)) {
        auto* group = qobject_cast<QGroupBox*>(w);
        if (group == nullptr) {
            continue;
        }
        const QRect title(group->x(), group->y(), group->width(),
                          QFontMetrics(group->font()).height());
        for (QWidget* other : controlsOf(*window_)) {
            if (other != group && !other->isHidden() && !qobject_cast<QGroupBox*>(other)) {
                EXPECT_FALSE(other->geometry().intersects(title))
                    << describe(other) << " on " << describe(group);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, Rendered, testing::ValuesIn(kWindows),
                         [](const testing::TestParamInfo<WindowRow>& info) {
                             return std::string(info.param.name);
                         });

// Labels whose text the pages replace must hold the replacement too.
struct ReplacedTextRow {
    const char* name;
    int number;
    int id;
    const char* text;
};

const ReplacedTextRow kReplacedTexts[] = {
    {"QuickSetupIdleUnitInSeconds", 149, 1203, "second  (0 = Unlimited)"},
    {"LanToLanTimeoutUnitInSeconds", 159, 1206, "second  (0 = Unlimited)"},
    {"StatusHardwareAddress", 158, 1079, "00-0A-95-9D-68-16"},
    {"RemoteStatusNoResponse", 180, 1227, "Error - no response"},
    {"QuickSetupDeviceIp", 149, 1017, "192.168.100.100"},
    {"QuickSetupMask", 149, 1054, "255.255.255.0"},
};

void PrintTo(const ReplacedTextRow& row, std::ostream* os) {
    *os << row.name;
}

class ReplacedText : public testing::TestWithParam<ReplacedTextRow> {};

TEST_P(ReplacedText, FitsTheLabel) {
    const ReplacedTextRow& row = GetParam();
    const Template* t = findTemplate(row.number);
    ASSERT_NE(t, nullptr);
    QtWindow window(*t, nullptr, QtWindow::Role::Preview);
    window.setText(row.id, row.text);
    auto* label = qobject_cast<QLabel*>(window.widget(row.id));
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(labelFits(*label)) << describe(label);
}

INSTANTIATE_TEST_SUITE_P(Windows, ReplacedText, testing::ValuesIn(kReplacedTexts),
                         [](const testing::TestParamInfo<ReplacedTextRow>& info) {
                             return std::string(info.param.name);
                         });

// The router's connection status runs to four lines once a call is up; all
// of them show without scrolling.
TEST(StatusPage, ConnectionStatusShowsFourLines) {
    const Template* t = findTemplate(158);
    ASSERT_NE(t, nullptr);
    QtWindow window(*t, nullptr, QtWindow::Role::Preview);
    constexpr int kConnectionStatus = 1133;
    window.setText(kConnectionStatus, "Line 1\r\nLine 2\r\nLine 3\r\nLine 4");
    window.show();
    QApplication::processEvents();
    auto* edit = qobject_cast<QPlainTextEdit*>(window.widget(kConnectionStatus));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->verticalScrollBar()->maximum(), 0);
}

// A label next to a one-line field stays on one line.
TEST(RemoteDialog, WanAddressLabelTakesOneLine) {
    const Template* t = findTemplate(180);
    ASSERT_NE(t, nullptr);
    QtWindow window(*t, nullptr, QtWindow::Role::Preview);
    for (QWidget* w : controlsOf(window)) {
        auto* label = qobject_cast<QLabel*>(w);
        if (label && label->text() == QStringLiteral("IP Address (WAN port)")) {
            EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width());
            return;
        }
    }
    ADD_FAILURE() << "no label \"IP Address (WAN port)\"";
}

} // namespace
} // namespace tolvaro::ui
