// Every window template of the program: it loads as a dialog, each control has an accessible
// name (its caption or the label whose buddy it is), and the tab order follows the layout,
// row by row from the top, left to right within a row.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <cctype>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "support/qt_app.h"
#include "ui/qt/qt_form.h"
#include "ui/qt/resources.h"

namespace {

struct Template {
    QString path;
    std::string name;
};

void PrintTo(const Template& t, std::ostream* os) {
    *os << t.name;
}

std::vector<Template> AllTemplates() {
    testing_support::EnsureQtApplication();
    ui::qt::EnsureResources();
    std::vector<Template> templates;
    for (const QString& file : QDir(":/ui").entryList({"*.ui"})) {
        templates.push_back({":/ui/" + file, QFileInfo(file).completeBaseName().toStdString()});
    }
    templates.push_back({QITAI_SOURCE_DIR "/tests/ui/templates/controls.ui", "controls"});
    return templates;
}

// The widgets a person works with; the parts Qt builds inside them (a combo box's line edit,
// a list's viewport and scroll bars) belong to them.
bool IsControl(const QWidget* widget) {
    for (const QWidget* p = widget->parentWidget(); p != nullptr; p = p->parentWidget()) {
        if (qobject_cast<const QComboBox*>(p) != nullptr ||
            qobject_cast<const QAbstractSpinBox*>(p) != nullptr ||
            qobject_cast<const QAbstractItemView*>(p) != nullptr ||
            qobject_cast<const QTextEdit*>(p) != nullptr ||
            qobject_cast<const QPlainTextEdit*>(p) != nullptr) {
            return false;
        }
    }
    return qobject_cast<const QAbstractButton*>(widget) != nullptr ||
           qobject_cast<const QLineEdit*>(widget) != nullptr ||
           qobject_cast<const QComboBox*>(widget) != nullptr ||
           qobject_cast<const QTextEdit*>(widget) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(widget) != nullptr ||
           qobject_cast<const QAbstractItemView*>(widget) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(widget) != nullptr;
}

// The control a focus-chain widget belongs to (a combo box for its line edit), or nullptr.
QWidget* ControlOf(QWidget* widget) {
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (IsControl(w)) {
            return w;
        }
    }
    return nullptr;
}

class TemplateTest : public ::testing::TestWithParam<Template> {
  protected:
    void SetUp() override {
        form_ = ui::qt::QtForm::LoadFile(GetParam().path, GetParam().name);
        ASSERT_NE(form_, nullptr) << GetParam().path.toStdString() << " is not a dialog";
        form_->ShowWindow(true);  // lays out every nested layout
    }

    std::unique_ptr<ui::qt::QtForm> form_;
};

TEST_P(TemplateTest, EveryControlHasAnAccessibleName) {
    for (QWidget* widget : form_->Dialog().findChildren<QWidget*>()) {
        if (!IsControl(widget)) {
            continue;
        }
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(accessible, nullptr);
        EXPECT_FALSE(accessible->text(QAccessible::Name).trimmed().isEmpty())
            << widget->metaObject()->className() << " " << widget->objectName().toStdString()
            << " has no accessible name";
    }
}

TEST_P(TemplateTest, TabOrderFollowsTheLayout) {
    QDialog& dialog = form_->Dialog();
    std::vector<QWidget*> order;
    for (QWidget* w = dialog.nextInFocusChain(); w != &dialog; w = w->nextInFocusChain()) {
        QWidget* control = ControlOf(w);
        if (control == nullptr || (control->focusPolicy() & Qt::TabFocus) == 0 ||
            !control->isVisibleTo(&dialog)) {
            continue;
        }
        if (order.empty() || order.back() != control) {
            order.push_back(control);
        }
    }
    for (std::size_t i = 1; i < order.size(); ++i) {
        const QRect a(order[i - 1]->mapTo(&dialog, QPoint(0, 0)), order[i - 1]->size());
        const QRect b(order[i]->mapTo(&dialog, QPoint(0, 0)), order[i]->size());
        const bool same_row = b.center().y() >= a.top() && b.center().y() <= a.bottom();
        const bool next_row = b.center().y() > a.bottom();
        EXPECT_TRUE(next_row || (same_row && b.left() > a.left()))
            << GetParam().name << ": " << order[i - 1]->objectName().toStdString() << " -> "
            << order[i]->objectName().toStdString() << " goes back against the layout";
    }
}

INSTANTIATE_TEST_SUITE_P(AllWindows, TemplateTest, ::testing::ValuesIn(AllTemplates()),
                         [](const ::testing::TestParamInfo<Template>& param) {
                             std::string name;
                             for (const char c : param.param.name) {
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

}  // namespace
