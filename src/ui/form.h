// An open window, seen by the logic through the ids of its controls. The logic sets and reads
// texts, check marks, items and rows, binds handlers to (control id, event), and ends the window
// with a result; it never sees the toolkit. Texts are UTF-8. Line breaks of multi-line edits
// read back as "\r\n"; given to them, "\r\n" makes one line break and so does any other "\r"
// or "\n".
//
// The kinds of control and what they answer to:
//   edit, password edit, multi-line edit, rich edit: Text/SetText, AppendText, SelectedText
//   label, button, check box, clickable text:        Text/SetText (the caption), Checked
//   drop-down combo (editable) and drop list:        Text/SetText, items, selection
//   list box (one column, optional icon and a grey second line per item): items, selection
//   report list (columns, rows of cells):            columns, items (rows), cells, selection
//   tree (items with icon, grey second line, data):  tree items
// Every control answers Enable/Show/SetFocus. An id the window does not have is ignored by the
// setters and reads as empty, unchecked, no items.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// The results a window ends with, as dialogs return them.
inline constexpr int kResultOk = 1;
inline constexpr int kResultCancel = 2;

// The id that stands for the window itself when binding Close, Cancel, Shown and Hidden.
inline constexpr int kWindow = 0;

enum class Event {
    Clicked,           // a button or clickable text pressed; a single click on a list or tree
    DoubleClicked,     // a double click on an item of a list box, report list or tree
    SelectionChanged,  // the person chose another item; never raised by the program's own changes
    TextChanged,       // the text of an edit or editable combo changed, by the person or program
    ContextMenu,       // the right button went down on the control
    Close,             // kWindow: the close command; without a handler: End(kResultCancel)
    Cancel,            // kWindow: the Escape key; without a handler it is the close command
    Shown,             // kWindow: the window became visible
    Hidden,            // kWindow: the window was hidden
};

enum class EditAction { Cut, Copy, Paste };

// A tree item. kNoItem is "none", and as a parent it stands for the top level.
using TreeItem = std::uint64_t;
inline constexpr TreeItem kNoItem = 0;

// The character format of rich edits and the font dialog. Colour as 0x00BBGGRR.
struct Font {
    std::string face;
    int point_size = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike_out = false;
    std::uint32_t color = 0;

    bool operator==(const Font&) const = default;
};

class Form {
  public:
    using Handler = std::function<void()>;

    virtual ~Form() = default;

    // The template the window was made from ("login", "main" ...).
    virtual const std::string& TemplateName() const = 0;
    virtual bool HasControl(int id) const = 0;

    // --- texts and states ---
    virtual std::string Text(int id) const = 0;
    // For a combo box the text also selects the item whose text is exactly the same, or none.
    virtual void SetText(int id, std::string_view text) = 0;
    // Adds text at the end of a multi-line or rich edit and keeps the end in view.
    virtual void AppendText(int id, std::string_view text) = 0;
    virtual std::string SelectedText(int id) const = 0;
    virtual void EditCommand(int id, EditAction action) = 0;
    virtual void SetFont(int id, const Font& font) = 0;
    virtual void ScrollToEnd(int id) = 0;
    virtual bool Checked(int id) const = 0;
    virtual void SetChecked(int id, bool checked) = 0;
    virtual void Enable(int id, bool enabled) = 0;
    virtual bool IsEnabled(int id) const = 0;
    // Whether the control itself is shown (not hidden), whether or not the window is visible.
    virtual void Show(int id, bool shown) = 0;
    virtual bool IsShown(int id) const = 0;
    virtual void SetFocus(int id) = 0;

    // --- items of combo boxes, list boxes and report lists (a row's first cell is its text) ---
    virtual int AddItem(int id, std::string_view text, long long data = 0) = 0;
    // Inserts before `index`; an index past the end adds at the end. Returns the new index.
    virtual int InsertItem(int id, int index, std::string_view text, long long data = 0) = 0;
    virtual void DeleteItem(int id, int index) = 0;
    // Removes every item (for a tree: every tree item).
    virtual void ClearItems(int id) = 0;
    virtual int ItemCount(int id) const = 0;
    virtual std::string ItemText(int id, int index) const = 0;
    virtual long long ItemData(int id, int index) const = 0;
    virtual void SetItemData(int id, int index, long long data) = 0;
    // The index of the item with exactly this text, or -1.
    virtual int FindItem(int id, std::string_view text) const = 0;
    // The selected item, -1 when none.
    virtual int Selection(int id) const = 0;
    // Selects an item (-1 clears the selection) without raising SelectionChanged.
    virtual void Select(int id, int index) = 0;
    // List boxes: an icon from the image list and a grey line under the text; the line height.
    virtual void SetItemImage(int id, int index, int image) = 0;
    virtual int ItemImage(int id, int index) const = 0;
    virtual void SetItemRemark(int id, int index, std::string_view remark) = 0;
    virtual std::string ItemRemark(int id, int index) const = 0;
    virtual void SetItemHeight(int id, int pixels) = 0;

    // --- report lists: columns and cells ---
    // Inserts a column before `column`; a width of 0 hides it (its cells still hold texts).
    virtual void InsertColumn(int id, int column, std::string_view title, int width) = 0;
    virtual int ColumnCount(int id) const = 0;
    virtual std::string ColumnTitle(int id, int column) const = 0;
    virtual int ColumnWidth(int id, int column) const = 0;
    virtual void DeleteAllColumns(int id) = 0;
    virtual std::string Cell(int id, int row, int column) const = 0;
    virtual void SetCell(int id, int row, int column, std::string_view text) = 0;

    // --- image lists: a bitmap resource cut into cells, magenta (0xFF00FF) transparent ---
    virtual bool SetImageList(int id, const std::string& bitmap, int cell_width,
                              int cell_height) = 0;

    // --- trees ---
    virtual TreeItem AddTreeItem(int id, TreeItem parent, std::string_view text, int image = -1,
                                 long long data = 0) = 0;
    virtual void DeleteTreeItem(int id, TreeItem item) = 0;
    virtual std::vector<TreeItem> TreeChildren(int id, TreeItem parent) const = 0;
    virtual TreeItem TreeParent(int id, TreeItem item) const = 0;
    virtual std::string TreeText(int id, TreeItem item) const = 0;
    virtual void SetTreeText(int id, TreeItem item, std::string_view text) = 0;
    virtual long long TreeData(int id, TreeItem item) const = 0;
    virtual void SetTreeData(int id, TreeItem item, long long data) = 0;
    virtual int TreeImage(int id, TreeItem item) const = 0;
    virtual void SetTreeImage(int id, TreeItem item, int image) = 0;
    virtual std::string TreeRemark(int id, TreeItem item) const = 0;
    virtual void SetTreeRemark(int id, TreeItem item, std::string_view remark) = 0;
    virtual void Expand(int id, TreeItem item, bool expanded) = 0;
    virtual bool IsExpanded(int id, TreeItem item) const = 0;
    // The current (last clicked or selected) item, kNoItem when none.
    virtual TreeItem CurrentTreeItem(int id) const = 0;
    virtual void SelectTreeItem(int id, TreeItem item) = 0;

    // --- the window ---
    virtual void SetTitle(std::string_view title) = 0;
    virtual std::string Title() const = 0;
    virtual void ShowWindow(bool shown) = 0;
    virtual bool IsWindowShown() const = 0;
    virtual void BringToFront() = 0;
    // Ends the window with a result: a modal run returns it; a window that runs on its own
    // (modeless) is hidden. Any later End before the next run is ignored.
    virtual void End(int result) = 0;
    // The result it ended with, none while it is open.
    virtual std::optional<int> EndResult() const = 0;
    // Binds a handler to (control id, event), replacing an earlier one for the same pair.
    virtual void On(int id, Event event, Handler handler) = 0;

    // --- what a person does, through the same paths as the mouse and keyboard ---
    // Nothing happens on a control that is disabled or hidden, as for a person.
    // Click: a button is pressed (a check box toggles), a clickable label is clicked.
    virtual void Click(int id) = 0;
    // Replaces the text of an edit or editable combo as typed.
    virtual void Type(int id, std::string_view text) = 0;
    // Picks an item with the mouse: SelectionChanged when it is another item, then, for list
    // boxes and report lists, Clicked.
    virtual void Choose(int id, int index) = 0;
    virtual void DoubleClickItem(int id, int index) = 0;
    // A click on a tree item: it becomes current (SelectionChanged when it changed), Clicked.
    virtual void ChooseTreeItem(int id, TreeItem item) = 0;
    virtual void DoubleClickTreeItem(int id, TreeItem item) = 0;
    virtual void RightClick(int id) = 0;
    virtual void PressEnter() = 0;
    virtual void PressEscape() = 0;
    // The window's close command (the caption's close button).
    virtual void Close() = 0;
};

}  // namespace ui
