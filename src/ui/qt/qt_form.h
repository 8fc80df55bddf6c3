// The Qt form: a window loaded from a Qt Designer template built into the program
// (":/ui/<name>.ui"), whose widgets are found by their dynamic property `ctrlId`. Both shells,
// the Qt one and the scripted one of the tests, make their windows here.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QPointer>
#include <QStandardItemModel>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/form.h"

class QAbstractItemView;
class QComboBox;
class QStandardItem;

namespace ui::qt {

class QtForm;
class TwoLineDelegate;

// The top-level dialog of every template: its close command, Escape, the end of a run and
// showing and hiding go to the form.
class FormDialog : public QDialog {
    Q_OBJECT

  public:
    explicit FormDialog(QWidget* parent = nullptr);
    void SetForm(QtForm* form) { form_ = form; }

    void done(int result) override;
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QtForm* form_ = nullptr;
};

class QtForm final : public QObject, public ui::Form {
    struct Key {
        explicit Key() = default;
    };

  public:
    // The window of template `name`; nullptr when the template does not exist or is not a
    // dialog. A QApplication must exist.
    static std::unique_ptr<QtForm> Load(const std::string& name);
    // The same from a template file of that name, anywhere (tests bring their own).
    static std::unique_ptr<QtForm> LoadFile(const QString& path, const std::string& name);
    // For Load only: Key cannot be made outside this class.
    QtForm(Key, std::string name, std::unique_ptr<FormDialog> dialog);
    // The existing window with exactly this title, or nullptr.
    static QtForm* FindByTitle(const std::string& title);

    ~QtForm() override;
    QtForm(const QtForm&) = delete;
    QtForm& operator=(const QtForm&) = delete;

    QDialog& Dialog() { return *dialog_; }
    // The widget of a control id, nullptr when there is none.
    QWidget* Widget(int id) const;
    // Runs the window modally and returns its End result.
    int Exec();

    const std::string& TemplateName() const override { return name_; }
    bool HasControl(int id) const override;
    std::string Text(int id) const override;
    void SetText(int id, std::string_view text) override;
    void AppendText(int id, std::string_view text) override;
    std::string SelectedText(int id) const override;
    void EditCommand(int id, EditAction action) override;
    void SetFont(int id, const Font& font) override;
    void ScrollToEnd(int id) override;
    bool Checked(int id) const override;
    void SetChecked(int id, bool checked) override;
    void Enable(int id, bool enabled) override;
    bool IsEnabled(int id) const override;
    void Show(int id, bool shown) override;
    bool IsShown(int id) const override;
    void SetFocus(int id) override;

    int AddItem(int id, std::string_view text, long long data) override;
    int InsertItem(int id, int index, std::string_view text, long long data) override;
    void DeleteItem(int id, int index) override;
    void ClearItems(int id) override;
    int ItemCount(int id) const override;
    std::string ItemText(int id, int index) const override;
    long long ItemData(int id, int index) const override;
    void SetItemData(int id, int index, long long data) override;
    int FindItem(int id, std::string_view text) const override;
    int Selection(int id) const override;
    void Select(int id, int index) override;
    void SetItemImage(int id, int index, int image) override;
    int ItemImage(int id, int index) const override;
    void SetItemRemark(int id, int index, std::string_view remark) override;
    std::string ItemRemark(int id, int index) const override;
    void SetItemHeight(int id, int pixels) override;

    void InsertColumn(int id, int column, std::string_view title, int width) override;
    int ColumnCount(int id) const override;
    std::string ColumnTitle(int id, int column) const override;
    int ColumnWidth(int id, int column) const override;
    void DeleteAllColumns(int id) override;
    std::string Cell(int id, int row, int column) const override;
    void SetCell(int id, int row, int column, std::string_view text) override;

    bool SetImageList(int id, const std::string& bitmap, int cell_width, int cell_height) override;

    TreeItem AddTreeItem(int id, TreeItem parent, std::string_view text, int image,
                         long long data) override;
    void DeleteTreeItem(int id, TreeItem item) override;
    std::vector<TreeItem> TreeChildren(int id, TreeItem parent) const override;
    TreeItem TreeParent(int id, TreeItem item) const override;
    std::string TreeText(int id, TreeItem item) const override;
    void SetTreeText(int id, TreeItem item, std::string_view text) override;
    long long TreeData(int id, TreeItem item) const override;
    void SetTreeData(int id, TreeItem item, long long data) override;
    int TreeImage(int id, TreeItem item) const override;
    void SetTreeImage(int id, TreeItem item, int image) override;
    std::string TreeRemark(int id, TreeItem item) const override;
    void SetTreeRemark(int id, TreeItem item, std::string_view remark) override;
    void Expand(int id, TreeItem item, bool expanded) override;
    bool IsExpanded(int id, TreeItem item) const override;
    TreeItem CurrentTreeItem(int id) const override;
    void SelectTreeItem(int id, TreeItem item) override;

    void SetTitle(std::string_view title) override;
    std::string Title() const override;
    void ShowWindow(bool shown) override;
    bool IsWindowShown() const override;
    void BringToFront() override;
    void End(int result) override;
    std::optional<int> EndResult() const override { return end_result_; }
    void On(int id, Event event, Handler handler) override;

    void Click(int id) override;
    void Type(int id, std::string_view text) override;
    void Choose(int id, int index) override;
    void DoubleClickItem(int id, int index) override;
    void ChooseTreeItem(int id, TreeItem item) override;
    void DoubleClickTreeItem(int id, TreeItem item) override;
    void RightClick(int id) override;
    void PressEnter() override;
    void PressEscape() override;
    void Close() override;

    // From the dialog.
    void OnDone(int result);
    void OnCloseCommand();
    void OnCancelCommand();
    void OnShown();
    void OnHidden();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // A list box, report list or tree: its view, its model and what is drawn from it.
    struct ItemControl {
        QAbstractItemView* view = nullptr;
        std::unique_ptr<QStandardItemModel> model;
        std::unique_ptr<TwoLineDelegate> delegate;
        std::vector<QPixmap> images;
    };
    // Changes the program makes raise no SelectionChanged: they run inside this guard.
    class ProgramChange {
      public:
        explicit ProgramChange(QtForm& form) : form_(form) { ++form_.program_changes_; }
        ~ProgramChange() { --form_.program_changes_; }
        ProgramChange(const ProgramChange&) = delete;
        ProgramChange& operator=(const ProgramChange&) = delete;

      private:
        QtForm& form_;
    };

    void BindControls();
    void BindItemView(int id, QAbstractItemView* view);
    void Fire(int id, Event event);
    bool Reachable(int id) const;  // shown and enabled: a person can use it

    QComboBox* Combo(int id) const;
    ItemControl* Items(int id);
    const ItemControl* Items(int id) const;
    QStandardItem* Row(int id, int index) const;
    QStandardItem* TreeNode(int id, TreeItem item) const;
    QModelIndex TreeIndex(int id, TreeItem item) const;
    void Forget(QStandardItem* item);
    void ApplyImage(const ItemControl& control, QStandardItem& item) const;

    std::string name_;
    std::unique_ptr<FormDialog> dialog_;
    std::map<int, QPointer<QWidget>> widgets_;
    std::map<int, ItemControl> item_controls_;
    std::map<std::pair<int, Event>, Handler> handlers_;
    std::map<TreeItem, QStandardItem*> tree_items_;
    TreeItem next_tree_item_ = 1;
    std::optional<int> end_result_;
    int program_changes_ = 0;
};

}  // namespace ui::qt
