// The Qt form as the logic sees it: texts, items, report lists, trees, events from the
// person's actions and from the program's own changes, and how a window ends.
#include "ui/form.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QLabel>
#include <QTableView>
#include <memory>
#include <string>
#include <vector>

#include "support/qt_app.h"
#include "support/scripted_shell.h"
#include "ui/qt/qt_form.h"

namespace {

using testing_support::ScriptedShell;
using ui::Event;

enum Id {
    kEdit = 1,
    kRich = 2,
    kCombo = 3,
    kDropList = 4,
    kListBox = 5,
    kReport = 6,
    kTree = 7,
    kCheck = 8,
    kButton = 9,
    kClickable = 10,
    kHiddenButton = 11,
    kDisabledButton = 12,
    kOk = 13,
    kGroup = 14,
};

class FormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::EnsureQtApplication();
        qt_ = ui::qt::QtForm::LoadFile(QITAI_SOURCE_DIR "/tests/ui/templates/controls.ui",
                                       "controls");
        ASSERT_NE(qt_, nullptr);
        form_ = qt_.get();
    }

    // Counts the events of (id, event) from now on.
    int& Count(int id, Event event) {
        auto counter = std::make_shared<int>(0);
        counters_.push_back(counter);
        form_->On(id, event, [counter] { ++*counter; });
        return *counter;
    }

    ScriptedShell shell_;
    std::unique_ptr<ui::qt::QtForm> qt_;
    ui::Form* form_ = nullptr;  // the window as the logic sees it
    std::vector<std::shared_ptr<int>> counters_;
};

TEST_F(FormTest, TextsRoundTripForEveryKindOfControl) {
    const std::vector<std::pair<int, std::string>> cases = {
        {kEdit, "启泰 10001"},    {kRich, "第一行"},       {kCombo, "100001"},
        {kButton, "发送(&S)"},    {kClickable, "编号<b>"}, {kCheck, "隐身登录"},
        {kGroup, "联系人资料 2"},
    };
    for (const auto& [id, text] : cases) {
        form_->SetText(id, text);
        EXPECT_EQ(form_->Text(id), text) << "control " << id;
    }
    // A label shows typed text as it is, never as markup.
    auto* label = qobject_cast<QLabel*>(qt_->Widget(kClickable));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
}

TEST_F(FormTest, UnknownIdsAreIgnoredAndReadEmpty) {
    form_->SetText(999, "x");
    form_->Enable(999, false);
    form_->Click(999);
    EXPECT_FALSE(form_->HasControl(999));
    EXPECT_EQ(form_->Text(999), "");
    EXPECT_FALSE(form_->Checked(999));
    EXPECT_EQ(form_->ItemCount(999), 0);
    EXPECT_EQ(form_->Selection(999), -1);
    EXPECT_EQ(form_->AddTreeItem(999, ui::kNoItem, "x"), ui::kNoItem);
}

TEST_F(FormTest, MultiLineTextsReadBackWithCrLf) {
    struct Case {
        std::string given;
        std::string read;
    };
    const std::vector<Case> cases = {
        {"a\r\nb", "a\r\nb"},         {"a\nb", "a\r\nb"},       {"a\rb", "a\r\nb"},
        {"a\n\rb", "a\r\n\r\nb"},  // LF then CR: two breaks, as the chat's offline marker has
        {"a\r\n\r\nb", "a\r\n\r\nb"}, {"末尾\r\n", "末尾\r\n"},
    };
    for (const auto& c : cases) {
        form_->SetText(kRich, c.given);
        EXPECT_EQ(form_->Text(kRich), c.read) << "given " << c.given;
    }
    form_->SetText(kRich, "客服一(10001) 9:5:7\r\n  ");
    form_->AppendText(kRich, "好\r\n");
    form_->AppendText(kRich, "[离线消息]");
    EXPECT_EQ(form_->Text(kRich), "客服一(10001) 9:5:7\r\n  好\r\n[离线消息]");
}

TEST_F(FormTest, EditTextChangesReachTheLogicFromProgramAndPerson) {
    int& edit_changes = Count(kEdit, Event::TextChanged);
    int& combo_changes = Count(kCombo, Event::TextChanged);
    form_->SetText(kEdit, "1");
    form_->Type(kEdit, "12");
    form_->SetText(kCombo, "100001");
    form_->Type(kCombo, "100002");
    EXPECT_EQ(edit_changes, 2);
    EXPECT_EQ(combo_changes, 2);
    EXPECT_EQ(form_->Text(kEdit), "12");
    EXPECT_EQ(form_->Text(kCombo), "100002");
}

TEST_F(FormTest, ComboSetTextSelectsOnlyTheExactItem) {
    for (const char* account : {"10001", "1000", "100010"}) {
        form_->AddItem(kCombo, account);
    }
    struct Case {
        std::string text;
        int selection;
    };
    // "1000" is a prefix of the first item: only the item with exactly the text is selected.
    const std::vector<Case> cases = {{"1000", 1}, {"10001", 0}, {"100", -1}, {"", -1}};
    for (const auto& c : cases) {
        form_->SetText(kCombo, c.text);
        EXPECT_EQ(form_->Selection(kCombo), c.selection) << c.text;
        EXPECT_EQ(form_->Text(kCombo), c.text);
    }
}

TEST_F(FormTest, AddingAndClearingItemsKeepsTheComboText) {
    form_->SetText(kCombo, "88888");
    form_->AddItem(kCombo, "10001", 10001);
    form_->AddItem(kCombo, "10002", 10002);
    EXPECT_EQ(form_->Selection(kCombo), -1);
    EXPECT_EQ(form_->Text(kCombo), "88888");
    EXPECT_EQ(form_->ItemData(kCombo, 1), 10002);
    form_->Select(kCombo, 1);
    EXPECT_EQ(form_->InsertItem(kCombo, 0, "10000", 10000), 0);
    EXPECT_EQ(form_->Selection(kCombo), 2) << "the selected item moved down with the insert";
    form_->ClearItems(kCombo);
    EXPECT_EQ(form_->ItemCount(kCombo), 0);
    EXPECT_EQ(form_->Text(kCombo), "10002");
}

TEST_F(FormTest, SelectionChangedComesOnlyFromThePerson) {
    for (const int id : {kDropList, kListBox, kReport}) {
        int& changes = Count(id, Event::SelectionChanged);
        form_->AddItem(id, "男", 1);
        form_->AddItem(id, "女", 2);
        form_->Select(id, 1);
        form_->Select(id, -1);
        form_->ClearItems(id);
        EXPECT_EQ(changes, 0) << "program changes of control " << id;
        form_->AddItem(id, "男", 1);
        form_->AddItem(id, "女", 2);
        form_->Choose(id, 1);
        EXPECT_EQ(changes, 1) << "the person's choice in control " << id;
        EXPECT_EQ(form_->Selection(id), 1);
        EXPECT_EQ(form_->ItemData(id, form_->Selection(id)), 2);
    }
}

TEST_F(FormTest, HiddenOrDisabledControlsDoNotAnswerThePerson) {
    int& hidden = Count(kHiddenButton, Event::Clicked);
    int& disabled = Count(kDisabledButton, Event::Clicked);
    int& edits = Count(kEdit, Event::TextChanged);
    form_->Click(kHiddenButton);
    form_->Click(kDisabledButton);
    form_->Enable(kEdit, false);
    form_->Type(kEdit, "x");
    EXPECT_EQ(hidden + disabled + edits, 0);
    EXPECT_FALSE(form_->IsShown(kHiddenButton));
    EXPECT_FALSE(form_->IsEnabled(kDisabledButton));

    form_->Show(kHiddenButton, true);
    form_->Enable(kDisabledButton, true);
    form_->Enable(kEdit, true);
    form_->Click(kHiddenButton);
    form_->Click(kDisabledButton);
    form_->Type(kEdit, "x");
    EXPECT_EQ(hidden, 1);
    EXPECT_EQ(disabled, 1);
    EXPECT_EQ(edits, 1);
}

TEST_F(FormTest, ClicksOnButtonsCheckBoxesAndLabels) {
    int& button = Count(kButton, Event::Clicked);
    int& label = Count(kClickable, Event::Clicked);
    form_->Click(kButton);
    form_->Click(kClickable);
    form_->Click(kCheck);
    EXPECT_EQ(button, 1);
    EXPECT_EQ(label, 1);
    EXPECT_TRUE(form_->Checked(kCheck));
    form_->SetChecked(kCheck, false);
    EXPECT_FALSE(form_->Checked(kCheck));
}

TEST_F(FormTest, ReportListKeepsHiddenColumnsAndRowData) {
    form_->InsertColumn(kReport, 0, "名称", 120);
    form_->InsertColumn(kReport, 1, "数量", 60);
    form_->InsertColumn(kReport, 2, "id", 0);  // a hidden column with the row id
    const int row = form_->AddItem(kReport, "主板", 42);
    form_->SetCell(kReport, row, 1, "2");
    form_->SetCell(kReport, row, 2, "7001");
    // A column inserted in front moves the others, hidden one included.
    form_->InsertColumn(kReport, 0, "序号", 40);

    EXPECT_EQ(form_->ColumnCount(kReport), 4);
    EXPECT_EQ(form_->ColumnTitle(kReport, 3), "id");
    EXPECT_EQ(form_->ColumnWidth(kReport, 3), 0);
    EXPECT_EQ(form_->Cell(kReport, row, 1), "主板");
    EXPECT_EQ(form_->Cell(kReport, row, 3), "7001");
    EXPECT_EQ(form_->Cell(kReport, row, 0), "");
    EXPECT_EQ(form_->ItemData(kReport, row), 42);
    auto* table = qobject_cast<QTableView*>(qt_->Widget(kReport));
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->isColumnHidden(3));
    EXPECT_FALSE(table->isColumnHidden(1));
    EXPECT_FALSE(table->isColumnHidden(0));

    // Rows added after the columns have a cell in each.
    const int second = form_->InsertItem(kReport, 0, "", 43);
    form_->SetCell(kReport, second, 3, "7002");
    EXPECT_EQ(form_->Cell(kReport, 0, 3), "7002");
    EXPECT_EQ(form_->Cell(kReport, 1, 3), "7001");
    EXPECT_EQ(form_->FindItem(kReport, "主板"), -1) << "the text of a row is its first cell";
}

TEST_F(FormTest, ListBoxItemsCarryImagesAndRemarks) {
    EXPECT_TRUE(form_->SetImageList(kListBox, "3280", 23, 23));
    const int line = form_->AddItem(kListBox, "260101093000_张三");
    form_->SetItemImage(kListBox, line, 4);
    form_->SetItemRemark(kListBox, line, "已接单: 李四 ");
    form_->SetItemHeight(kListBox, 40);
    EXPECT_EQ(form_->ItemImage(kListBox, line), 4);
    EXPECT_EQ(form_->ItemRemark(kListBox, line), "已接单: 李四 ");
    EXPECT_EQ(form_->ItemText(kListBox, line), "260101093000_张三");
    EXPECT_FALSE(form_->SetImageList(kListBox, "no-such-bitmap", 23, 23));
}

TEST_F(FormTest, TreesHoldItemsWithDataImagesAndRemarks) {
    form_->SetImageList(kTree, "3280", 23, 23);
    const ui::TreeItem group = form_->AddTreeItem(kTree, ui::kNoItem, "综合业务_即时通讯");
    const ui::TreeItem second_group = form_->AddTreeItem(kTree, ui::kNoItem, "工程技术_即时通讯");
    const ui::TreeItem a = form_->AddTreeItem(kTree, group, "经理 王_100001", 0, 100001);
    const ui::TreeItem b = form_->AddTreeItem(kTree, group, "客服 李_100002", 2, 100002);
    form_->SetTreeRemark(kTree, b, "客服部_老客户");

    EXPECT_EQ(form_->TreeChildren(kTree, ui::kNoItem),
              (std::vector<ui::TreeItem>{group, second_group}));
    EXPECT_EQ(form_->TreeChildren(kTree, group), (std::vector<ui::TreeItem>{a, b}));
    EXPECT_EQ(form_->TreeParent(kTree, b), group);
    EXPECT_EQ(form_->TreeParent(kTree, group), ui::kNoItem);
    EXPECT_EQ(form_->TreeData(kTree, b), 100002);
    EXPECT_EQ(form_->TreeImage(kTree, group), -1);
    EXPECT_EQ(form_->TreeRemark(kTree, b), "客服部_老客户");
    form_->SetTreeImage(kTree, b, 6);
    EXPECT_EQ(form_->TreeImage(kTree, b), 6);

    form_->DeleteTreeItem(kTree, a);
    EXPECT_EQ(form_->TreeChildren(kTree, group), (std::vector<ui::TreeItem>{b}));
    EXPECT_EQ(form_->TreeText(kTree, a), "") << "a deleted item reads empty";

    // Emptying the tree forgets every item: old handles are safe and read as nothing.
    form_->ClearItems(kTree);
    EXPECT_TRUE(form_->TreeChildren(kTree, ui::kNoItem).empty());
    EXPECT_EQ(form_->TreeData(kTree, b), 0);
    EXPECT_EQ(form_->AddTreeItem(kTree, b, "orphan"), ui::kNoItem);
    form_->SetTreeImage(kTree, b, 1);
    form_->Expand(kTree, group, true);
}

TEST_F(FormTest, TreeClicksReportTheItemAndLeaveExpansionToTheLogic) {
    const ui::TreeItem group = form_->AddTreeItem(kTree, ui::kNoItem, "经理岗位");
    const ui::TreeItem item = form_->AddTreeItem(kTree, group, "人力资源管理", 7, 11);
    form_->Expand(kTree, group, true);
    int& selections = Count(kTree, Event::SelectionChanged);
    int& clicks = Count(kTree, Event::Clicked);
    int& double_clicks = Count(kTree, Event::DoubleClicked);
    form_->SelectTreeItem(kTree, group);
    EXPECT_EQ(selections, 0);

    form_->ChooseTreeItem(kTree, item);
    EXPECT_EQ(form_->CurrentTreeItem(kTree), item);
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(clicks, 1);

    // A double click on a group reports it and does not open or close the group by itself.
    form_->DoubleClickTreeItem(kTree, group);
    EXPECT_EQ(double_clicks, 1);
    EXPECT_EQ(form_->CurrentTreeItem(kTree), group);
    EXPECT_TRUE(form_->IsExpanded(kTree, group));
    form_->Expand(kTree, group, false);
    EXPECT_FALSE(form_->IsExpanded(kTree, group));
}

TEST_F(FormTest, ListDoubleClickSelectsTheLineFirst) {
    form_->AddItem(kListBox, "260101093000_张三");
    form_->AddItem(kListBox, "260101093100_李四");
    int selected_at_double_click = -2;
    form_->On(kListBox, Event::DoubleClicked,
              [&] { selected_at_double_click = form_->Selection(kListBox); });
    form_->DoubleClickItem(kListBox, 1);
    EXPECT_EQ(selected_at_double_click, 1);
}

TEST_F(FormTest, ContextMenuAndEditCommands) {
    int& menus = Count(kRich, Event::ContextMenu);
    form_->RightClick(kRich);
    EXPECT_EQ(menus, 1);
    form_->SetText(kRich, "  www.example.com  ");
    EXPECT_EQ(form_->SelectedText(kRich), "");
    form_->EditCommand(kRich, ui::EditAction::Copy);  // nothing selected: nothing happens
    EXPECT_EQ(form_->Text(kRich), "  www.example.com  ");
}

TEST_F(FormTest, FontsApplyToRichEdits) {
    ui::Font font;
    font.face = "WenQuanYi Micro Hei";
    font.point_size = 14;
    font.bold = true;
    font.color = 0x0000FF;  // red as 0x00BBGGRR
    form_->SetText(kRich, "已有的文字");
    form_->SetFont(kRich, font);
    form_->AppendText(kRich, "新的");
    EXPECT_EQ(form_->Text(kRich), "已有的文字新的");
}

// --- the window ---

TEST_F(FormTest, CloseCommandEndsAsCancelledUnlessTheLogicHandlesIt) {
    form_->ShowWindow(true);
    form_->Close();
    EXPECT_EQ(form_->EndResult(), ui::kResultCancel);
    EXPECT_FALSE(form_->IsWindowShown());

    form_->ShowWindow(true);
    EXPECT_EQ(form_->EndResult(), std::nullopt) << "showing a window opens it again";
    int& closes = Count(ui::kWindow, Event::Close);
    form_->Close();
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(form_->EndResult(), std::nullopt);
    EXPECT_TRUE(form_->IsWindowShown());
}

TEST_F(FormTest, EscapeIsTheCloseCommandUnlessBound) {
    form_->ShowWindow(true);
    int& closes = Count(ui::kWindow, Event::Close);
    form_->PressEscape();
    EXPECT_EQ(closes, 1);

    form_->On(ui::kWindow, Event::Cancel, [] {});  // swallowed, as the main window does
    form_->PressEscape();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(form_->IsWindowShown());
}

TEST_F(FormTest, EnterPressesTheDefaultButton) {
    int& ok = Count(kOk, Event::Clicked);
    form_->ShowWindow(true);
    form_->SetFocus(kEdit);
    form_->PressEnter();
    EXPECT_EQ(ok, 1);
}

TEST_F(FormTest, TheFirstEndCountsAndShownHiddenAreReported) {
    int& shown = Count(ui::kWindow, Event::Shown);
    int& hidden = Count(ui::kWindow, Event::Hidden);
    form_->ShowWindow(true);
    form_->End(ui::kResultOk);
    form_->End(ui::kResultCancel);
    EXPECT_EQ(form_->EndResult(), ui::kResultOk);
    EXPECT_FALSE(form_->IsWindowShown()) << "a window that runs on its own is hidden by End";
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(hidden, 1);
}

TEST_F(FormTest, WindowsAreFoundByTheirExactTitle) {
    form_->SetTitle("与 100002 聊天中");
    EXPECT_EQ(shell_.FindWindow("与 100002 聊天中"), form_);
    EXPECT_EQ(shell_.FindWindow("与 10000 聊天中"), nullptr);
    form_->ShowWindow(false);
    EXPECT_EQ(shell_.FindWindow("与 100002 聊天中"), form_) << "hidden windows count";
    qt_.reset();
    EXPECT_EQ(shell_.FindWindow("与 100002 聊天中"), nullptr);
}

// --- modal runs in the scripted shell ---

TEST_F(FormTest, ModalRunCallsTheScriptedInteraction) {
    shell_.OnModal("controls", [](ui::Form& form) {
        EXPECT_TRUE(form.IsWindowShown());
        form.Type(kEdit, "typed");
        form.End(ui::kResultOk);
    });
    EXPECT_EQ(shell_.RunModal(*form_), ui::kResultOk);
    EXPECT_EQ(form_->Text(kEdit), "typed");
    EXPECT_FALSE(form_->IsWindowShown());
    EXPECT_EQ(shell_.modal_runs(), std::vector<std::string>{"controls"});
}

TEST_F(FormTest, ModalRunOfAWindowEndedInItsSetUpReturnsAtOnce) {
    bool called = false;
    shell_.OnModal("controls", [&](ui::Form&) { called = true; });
    form_->End(ui::kResultCancel);
    EXPECT_EQ(shell_.RunModal(*form_), ui::kResultCancel);
    EXPECT_FALSE(called);
}

TEST_F(FormTest, ModalRunWithoutAnEndFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(shell_.RunModal(*form_), "no scripted interaction");
    shell_.OnModal("controls", [](ui::Form&) {});
    EXPECT_NONFATAL_FAILURE(shell_.RunModal(*form_), "left the window");
}

TEST_F(FormTest, ScriptedShellMakesFormsFromTheBuiltInTemplates) {
    EXPECT_NE(shell_.CreateForm("login"), nullptr);
    EXPECT_THROW(shell_.CreateForm("no-such-window"), std::runtime_error);
}

}  // namespace
