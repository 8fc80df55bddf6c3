#include "ui/qt/qt_form.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QTextEdit>
#include <QTreeView>
#include <QUiLoader>
#include <algorithm>

#include "ui/qt/image_list.h"
#include "ui/qt/resources.h"
#include "ui/qt/two_line_delegate.h"

namespace ui::qt {

namespace {

// Role of a report list's column: its width as the logic set it (0 = hidden).
constexpr int kColumnWidthRole = Qt::UserRole + 1;

std::vector<QtForm*>& OpenForms() {
    static std::vector<QtForm*> forms;
    return forms;
}

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string S(const QString& text) {
    return text.toStdString();
}

// Typed text for a multi-line control: "\r\n" is one line break, any other CR or LF is one.
QString MultiLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += text[i];
        }
    }
    return Q(out);
}

// A multi-line control's text as the logic reads it: line breaks as "\r\n".
std::string WithCrLf(QString text) {
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return S(text);
}

// The model owns the items it holds; this is the one place that makes them.
QStandardItem* NewItem(const QString& text) {
    auto item = std::make_unique<QStandardItem>(text);
    item->setEditable(false);
    return item.release();
}

// Loads the top-level dialog of a template as a FormDialog, so that its close command and
// end reach the form.
class FormLoader : public QUiLoader {
  public:
    QWidget* createWidget(const QString& class_name, QWidget* parent,
                          const QString& name) override {
        if (parent == nullptr && class_name == QLatin1String("QDialog")) {
            auto dialog = std::make_unique<FormDialog>();
            dialog->setObjectName(name);
            return dialog.release();  // load() hands it to QtForm::Load, which owns it
        }
        return QUiLoader::createWidget(class_name, parent, name);
    }
};

template <typename TextEdit>
void AppendTo(TextEdit& edit, const QString& text) {
    QTextCursor cursor = edit.textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    edit.setTextCursor(cursor);
    edit.ensureCursorVisible();
}

template <typename TextEdit>
void RunEditAction(TextEdit& edit, EditAction action) {
    switch (action) {
        case EditAction::Cut:
            edit.cut();
            break;
        case EditAction::Copy:
            edit.copy();
            break;
        case EditAction::Paste:
            edit.paste();
            break;
    }
}

QFont ToQFont(const Font& font) {
    QFont qfont(Q(font.face));
    if (font.point_size > 0) {
        qfont.setPointSize(font.point_size);
    }
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    qfont.setUnderline(font.underline);
    qfont.setStrikeOut(font.strike_out);
    return qfont;
}

QColor ToQColor(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xff), static_cast<int>((bgr >> 8) & 0xff),
                  static_cast<int>((bgr >> 16) & 0xff));
}

}  // namespace

// --- FormDialog ---

FormDialog::FormDialog(QWidget* parent) : QDialog(parent) {}

void FormDialog::done(int result) {
    if (form_ != nullptr) {
        form_->OnDone(result);
    }
    QDialog::done(result);
}

void FormDialog::reject() {
    // Escape, and QDialog's own cancel paths.
    if (form_ != nullptr) {
        form_->OnCancelCommand();
    } else {
        QDialog::reject();
    }
}

void FormDialog::closeEvent(QCloseEvent* event) {
    // The window decides through its close handler; the default handling is End(cancel).
    event->ignore();
    if (form_ != nullptr) {
        form_->OnCloseCommand();
    }
}

void FormDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (form_ != nullptr && !event->spontaneous()) {
        form_->OnShown();
    }
}

void FormDialog::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (form_ != nullptr && !event->spontaneous()) {
        form_->OnHidden();
    }
}

// --- loading and finding ---

std::unique_ptr<QtForm> QtForm::Load(const std::string& name) {
    EnsureResources();
    return LoadFile(":/ui/" + Q(name) + ".ui", name);
}

std::unique_ptr<QtForm> QtForm::LoadFile(const QString& path, const std::string& name) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return nullptr;
    }
    FormLoader loader;
    std::unique_ptr<QWidget> root(loader.load(&file));
    auto* dialog = qobject_cast<FormDialog*>(root.get());
    if (dialog == nullptr) {
        return nullptr;
    }
    root.release();
    return std::make_unique<QtForm>(Key{}, name, std::unique_ptr<FormDialog>(dialog));
}

QtForm* QtForm::FindByTitle(const std::string& title) {
    const QString wanted = Q(title);
    for (QtForm* form : OpenForms()) {
        if (form->dialog_->windowTitle() == wanted) {
            return form;
        }
    }
    return nullptr;
}

QtForm::QtForm(Key, std::string name, std::unique_ptr<FormDialog> dialog)
    : name_(std::move(name)), dialog_(std::move(dialog)) {
    dialog_->SetForm(this);
    BindControls();
    OpenForms().push_back(this);
}

QtForm::~QtForm() {
    auto& forms = OpenForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    // The dialog goes first, quietly, while the models and delegates its views use still exist.
    dialog_->SetForm(nullptr);
    dialog_.reset();
}

void QtForm::BindControls() {
    // A control without a name of its own is named by the label whose buddy it is.
    for (QLabel* label : dialog_->findChildren<QLabel*>()) {
        QWidget* buddy = label->buddy();
        if (buddy != nullptr && buddy->accessibleName().isEmpty()) {
            QString name = label->text();
            name.remove(QLatin1Char('&'));
            while (name.endsWith(QLatin1Char(':')) || name.endsWith(QChar(0xFF1A))) {
                name.chop(1);
            }
            buddy->setAccessibleName(name.trimmed());
        }
    }
    for (QWidget* widget : dialog_->findChildren<QWidget*>()) {
        const QVariant property = widget->property("ctrlId");
        if (!property.isValid()) {
            continue;
        }
        bool ok = false;
        const int id = property.toInt(&ok);
        if (!ok) {
            continue;
        }
        widgets_[id] = widget;
        connect(widget, &QWidget::customContextMenuRequested, this,
                [this, id] { Fire(id, Event::ContextMenu); });
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            connect(combo, &QComboBox::activated, this,
                    [this, id] { Fire(id, Event::SelectionChanged); });
            connect(combo, &QComboBox::editTextChanged, this,
                    [this, id] { Fire(id, Event::TextChanged); });
        } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            connect(line, &QLineEdit::textChanged, this,
                    [this, id] { Fire(id, Event::TextChanged); });
        } else if (auto* text = qobject_cast<QTextEdit*>(widget)) {
            connect(text, &QTextEdit::textChanged, this,
                    [this, id] { Fire(id, Event::TextChanged); });
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
            connect(plain, &QPlainTextEdit::textChanged, this,
                    [this, id] { Fire(id, Event::TextChanged); });
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            connect(button, &QAbstractButton::clicked, this,
                    [this, id] { Fire(id, Event::Clicked); });
        } else if (qobject_cast<QLabel*>(widget) != nullptr) {
            widget->installEventFilter(this);
        } else if (auto* view = qobject_cast<QAbstractItemView*>(widget)) {
            BindItemView(id, view);
        }
    }
}

void QtForm::BindItemView(int id, QAbstractItemView* view) {
    ItemControl& control = item_controls_[id];
    control.view = view;
    control.model = std::make_unique<QStandardItemModel>();
    view->setModel(control.model.get());
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    if (auto* table = qobject_cast<QTableView*>(view)) {
        // A report list: grid lines, whole rows selected, no row numbers.
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setShowGrid(true);
        table->verticalHeader()->hide();
        table->horizontalHeader()->setHighlightSections(false);
    } else {
        control.delegate = std::make_unique<TwoLineDelegate>();
        view->setItemDelegate(control.delegate.get());
    }
    if (auto* tree = qobject_cast<QTreeView*>(view)) {
        // The logic opens and closes groups itself, on a single click.
        tree->setHeaderHidden(true);
        tree->setExpandsOnDoubleClick(false);
    }
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this, [this, id] {
        if (program_changes_ == 0) {
            Fire(id, Event::SelectionChanged);
        }
    });
    connect(view, &QAbstractItemView::clicked, this, [this, id] { Fire(id, Event::Clicked); });
    connect(view, &QAbstractItemView::doubleClicked, this,
            [this, id] { Fire(id, Event::DoubleClicked); });
}

QWidget* QtForm::Widget(int id) const {
    const auto it = widgets_.find(id);
    return it == widgets_.end() ? nullptr : it->second.data();
}

bool QtForm::HasControl(int id) const {
    return Widget(id) != nullptr;
}

bool QtForm::Reachable(int id) const {
    QWidget* widget = Widget(id);
    return widget != nullptr && widget->isEnabled() && widget->isVisibleTo(dialog_.get());
}

void QtForm::Fire(int id, Event event) {
    const auto it = handlers_.find({id, event});
    if (it == handlers_.end() || !it->second) {
        return;
    }
    const Handler handler = it->second;  // the handler may rebind itself
    handler();
}

void QtForm::On(int id, Event event, Handler handler) {
    handlers_[{id, event}] = std::move(handler);
    if (event == Event::ContextMenu) {
        if (QWidget* widget = Widget(id)) {
            widget->setContextMenuPolicy(Qt::CustomContextMenu);
        }
    }
}

bool QtForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* label = qobject_cast<QLabel*>(watched);
        if (label != nullptr && label->isEnabled() && mouse->button() == Qt::LeftButton) {
            const QVariant id = label->property("ctrlId");
            Fire(id.toInt(), Event::Clicked);
        }
    }
    return QObject::eventFilter(watched, event);
}

int QtForm::Exec() {
    if (end_result_) {
        return *end_result_;
    }
    dialog_->exec();
    return end_result_.value_or(kResultCancel);
}

// --- texts and states ---

std::string QtForm::Text(int id) const {
    QWidget* widget = Widget(id);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        return S(combo->currentText());
    }
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        return S(line->text());
    }
    if (auto* text = qobject_cast<QTextEdit*>(widget)) {
        return WithCrLf(text->toPlainText());
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        return WithCrLf(plain->toPlainText());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return S(button->text());
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return S(label->text());
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        return S(group->title());
    }
    return {};
}

void QtForm::SetText(int id, std::string_view text) {
    QWidget* widget = Widget(id);
    const QString value = Q(text);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        const QString before = combo->currentText();
        {
            ProgramChange change(*this);
            const QSignalBlocker blocker(combo);
            combo->setCurrentIndex(FindItem(id, text));
            if (combo->isEditable()) {
                combo->setEditText(value);
            }
        }
        if (combo->isEditable() && combo->currentText() != before) {
            Fire(id, Event::TextChanged);
        }
    } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(value);
    } else if (auto* edit = qobject_cast<QTextEdit*>(widget)) {
        edit->setPlainText(MultiLine(text));
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        plain->setPlainText(MultiLine(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setTextFormat(Qt::PlainText);  // typed texts are never markup
        label->setText(value);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(value);
    }
}

void QtForm::AppendText(int id, std::string_view text) {
    QWidget* widget = Widget(id);
    if (auto* edit = qobject_cast<QTextEdit*>(widget)) {
        AppendTo(*edit, MultiLine(text));
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        AppendTo(*plain, MultiLine(text));
    } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(line->text() + Q(text));
    }
}

std::string QtForm::SelectedText(int id) const {
    QWidget* widget = Widget(id);
    if (auto* edit = qobject_cast<QTextEdit*>(widget)) {
        return WithCrLf(edit->textCursor().selectedText());
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        return WithCrLf(plain->textCursor().selectedText());
    }
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        return S(line->selectedText());
    }
    return {};
}

void QtForm::EditCommand(int id, EditAction action) {
    QWidget* widget = Widget(id);
    if (auto* edit = qobject_cast<QTextEdit*>(widget)) {
        RunEditAction(*edit, action);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        RunEditAction(*plain, action);
    } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        RunEditAction(*line, action);
    }
}

void QtForm::SetFont(int id, const Font& font) {
    QWidget* widget = Widget(id);
    if (widget == nullptr) {
        return;
    }
    const QFont qfont = ToQFont(font);
    if (auto* edit = qobject_cast<QTextEdit*>(widget)) {
        // The whole text and what is typed next take the format.
        QTextCharFormat format;
        format.setFont(qfont);
        format.setForeground(ToQColor(font.color));
        QTextCursor cursor(edit->document());
        cursor.select(QTextCursor::Document);
        cursor.mergeCharFormat(format);
        edit->setCurrentCharFormat(format);
        edit->document()->setDefaultFont(qfont);
        return;
    }
    widget->setFont(qfont);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, ToQColor(font.color));
    widget->setPalette(palette);
}

void QtForm::ScrollToEnd(int id) {
    if (auto* area = qobject_cast<QAbstractScrollArea*>(Widget(id))) {
        area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
    }
}

bool QtForm::Checked(int id) const {
    auto* button = qobject_cast<QAbstractButton*>(Widget(id));
    return button != nullptr && button->isChecked();
}

void QtForm::SetChecked(int id, bool checked) {
    if (auto* button = qobject_cast<QAbstractButton*>(Widget(id))) {
        button->setChecked(checked);
    }
}

void QtForm::Enable(int id, bool enabled) {
    if (QWidget* widget = Widget(id)) {
        widget->setEnabled(enabled);
    }
}

bool QtForm::IsEnabled(int id) const {
    QWidget* widget = Widget(id);
    return widget != nullptr && widget->isEnabled();
}

void QtForm::Show(int id, bool shown) {
    if (QWidget* widget = Widget(id)) {
        widget->setVisible(shown);
    }
}

bool QtForm::IsShown(int id) const {
    QWidget* widget = Widget(id);
    return widget != nullptr && !widget->isHidden();
}

void QtForm::SetFocus(int id) {
    if (QWidget* widget = Widget(id)) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

// --- items ---

QComboBox* QtForm::Combo(int id) const {
    return qobject_cast<QComboBox*>(Widget(id));
}

QtForm::ItemControl* QtForm::Items(int id) {
    const auto it = item_controls_.find(id);
    return it == item_controls_.end() ? nullptr : &it->second;
}

const QtForm::ItemControl* QtForm::Items(int id) const {
    const auto it = item_controls_.find(id);
    return it == item_controls_.end() ? nullptr : &it->second;
}

QStandardItem* QtForm::Row(int id, int index) const {
    const ItemControl* control = Items(id);
    if (control == nullptr || index < 0 || index >= control->model->rowCount()) {
        return nullptr;
    }
    return control->model->item(index, 0);
}

int QtForm::AddItem(int id, std::string_view text, long long data) {
    return InsertItem(id, ItemCount(id), text, data);
}

int QtForm::InsertItem(int id, int index, std::string_view text, long long data) {
    const int count = ItemCount(id);
    const int at = index < 0 || index > count ? count : index;
    if (QComboBox* combo = Combo(id)) {
        // Adding an item never changes the selection or the edit text, even in an empty box.
        ProgramChange change(*this);
        const QSignalBlocker blocker(combo);
        const int selected = combo->currentIndex();
        const QString edit_text = combo->currentText();
        combo->insertItem(at, Q(text));
        combo->setItemData(at, QVariant::fromValue<qlonglong>(data), kDataRole);
        combo->setCurrentIndex(selected < 0 ? -1 : (selected >= at ? selected + 1 : selected));
        if (combo->isEditable()) {
            combo->setEditText(edit_text);
        }
        return at;
    }
    ItemControl* control = Items(id);
    if (control == nullptr || qobject_cast<QTreeView*>(control->view) != nullptr) {
        return -1;
    }
    ProgramChange change(*this);
    QList<QStandardItem*> cells;
    cells.append(NewItem(Q(text)));
    cells.front()->setData(-1, kImageRole);
    for (int column = 1; column < control->model->columnCount(); ++column) {
        cells.append(NewItem(QString()));
    }
    control->model->insertRow(at, cells);
    // A row's data belongs to the row, not to a cell, so that it stays when columns move.
    control->model->setHeaderData(at, Qt::Vertical, QVariant::fromValue<qlonglong>(data),
                                  kDataRole);
    return at;
}

void QtForm::DeleteItem(int id, int index) {
    if (index < 0 || index >= ItemCount(id)) {
        return;
    }
    ProgramChange change(*this);
    if (QComboBox* combo = Combo(id)) {
        const QSignalBlocker blocker(combo);
        combo->removeItem(index);
    } else if (ItemControl* control = Items(id)) {
        control->model->removeRow(index);
    }
}

void QtForm::ClearItems(int id) {
    ProgramChange change(*this);
    if (QComboBox* combo = Combo(id)) {
        // Like emptying a combo's list: the edit text stays.
        const QSignalBlocker blocker(combo);
        const QString edit_text = combo->currentText();
        combo->clear();
        if (combo->isEditable()) {
            combo->setEditText(edit_text);
        }
    } else if (ItemControl* control = Items(id)) {
        QStandardItem* root = control->model->invisibleRootItem();
        for (int row = 0; row < root->rowCount(); ++row) {
            Forget(root->child(row));
        }
        control->model->removeRows(0, control->model->rowCount());
    }
}

int QtForm::ItemCount(int id) const {
    if (QComboBox* combo = Combo(id)) {
        return combo->count();
    }
    const ItemControl* control = Items(id);
    return control == nullptr ? 0 : control->model->rowCount();
}

std::string QtForm::ItemText(int id, int index) const {
    if (QComboBox* combo = Combo(id)) {
        return index >= 0 && index < combo->count() ? S(combo->itemText(index)) : std::string();
    }
    QStandardItem* row = Row(id, index);
    return row == nullptr ? std::string() : S(row->text());
}

long long QtForm::ItemData(int id, int index) const {
    if (QComboBox* combo = Combo(id)) {
        return index >= 0 && index < combo->count() ? combo->itemData(index, kDataRole).toLongLong()
                                                    : 0;
    }
    const ItemControl* control = Items(id);
    return Row(id, index) == nullptr
               ? 0
               : control->model->headerData(index, Qt::Vertical, kDataRole).toLongLong();
}

void QtForm::SetItemData(int id, int index, long long data) {
    if (QComboBox* combo = Combo(id)) {
        if (index >= 0 && index < combo->count()) {
            combo->setItemData(index, QVariant::fromValue<qlonglong>(data), kDataRole);
        }
    } else if (Row(id, index) != nullptr) {
        Items(id)->model->setHeaderData(index, Qt::Vertical, QVariant::fromValue<qlonglong>(data),
                                        kDataRole);
    }
}

int QtForm::FindItem(int id, std::string_view text) const {
    const QString wanted = Q(text);
    const int count = ItemCount(id);
    for (int i = 0; i < count; ++i) {
        const QString item = Combo(id) != nullptr ? Combo(id)->itemText(i) : Row(id, i)->text();
        if (item == wanted) {
            return i;
        }
    }
    return -1;
}

int QtForm::Selection(int id) const {
    if (QComboBox* combo = Combo(id)) {
        return combo->currentIndex();
    }
    const ItemControl* control = Items(id);
    if (control == nullptr) {
        return -1;
    }
    const QModelIndexList rows = control->view->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void QtForm::Select(int id, int index) {
    ProgramChange change(*this);
    const int count = ItemCount(id);
    const int at = index >= 0 && index < count ? index : -1;
    if (QComboBox* combo = Combo(id)) {
        const QString before = combo->currentText();
        {
            const QSignalBlocker blocker(combo);
            combo->setCurrentIndex(at);
        }
        if (combo->isEditable() && combo->currentText() != before) {
            Fire(id, Event::TextChanged);
        }
    } else if (ItemControl* control = Items(id)) {
        QItemSelectionModel* selection = control->view->selectionModel();
        if (at < 0) {
            selection->clear();
        } else {
            const QModelIndex row = control->model->index(at, 0);
            selection->setCurrentIndex(
                row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            control->view->scrollTo(row);
        }
    }
}

void QtForm::ApplyImage(const ItemControl& control, QStandardItem& item) const {
    const int image = item.data(kImageRole).isValid() ? item.data(kImageRole).toInt() : -1;
    if (image >= 0 && image < static_cast<int>(control.images.size())) {
        item.setData(control.images[static_cast<std::size_t>(image)], Qt::DecorationRole);
    } else {
        item.setData(QVariant(), Qt::DecorationRole);
    }
}

void QtForm::SetItemImage(int id, int index, int image) {
    QStandardItem* row = Row(id, index);
    if (row != nullptr) {
        row->setData(image, kImageRole);
        ApplyImage(*Items(id), *row);
    }
}

int QtForm::ItemImage(int id, int index) const {
    QStandardItem* row = Row(id, index);
    return row == nullptr || !row->data(kImageRole).isValid() ? -1 : row->data(kImageRole).toInt();
}

void QtForm::SetItemRemark(int id, int index, std::string_view remark) {
    if (QStandardItem* row = Row(id, index)) {
        row->setData(Q(remark), kRemarkRole);
    }
}

std::string QtForm::ItemRemark(int id, int index) const {
    QStandardItem* row = Row(id, index);
    return row == nullptr ? std::string() : S(row->data(kRemarkRole).toString());
}

void QtForm::SetItemHeight(int id, int pixels) {
    ItemControl* control = Items(id);
    if (control != nullptr && control->delegate != nullptr) {
        control->delegate->SetLineHeight(pixels);
        control->view->doItemsLayout();
    }
}

// --- report lists ---

void QtForm::InsertColumn(int id, int column, std::string_view title, int width) {
    ItemControl* control = Items(id);
    auto* table = control == nullptr ? nullptr : qobject_cast<QTableView*>(control->view);
    if (table == nullptr) {
        return;
    }
    QStandardItemModel& model = *control->model;
    const int at = column < 0 || column > model.columnCount() ? model.columnCount() : column;
    QList<QStandardItem*> cells;
    for (int row = 0; row < model.rowCount(); ++row) {
        cells.append(NewItem(QString()));
    }
    model.insertColumn(at, cells);
    model.setHeaderData(at, Qt::Horizontal, Q(title));
    model.setHeaderData(at, Qt::Horizontal, width, kColumnWidthRole);
    // Widths and hidden columns again for every column, since the insert moved them.
    for (int c = 0; c < model.columnCount(); ++c) {
        const int w = model.headerData(c, Qt::Horizontal, kColumnWidthRole).toInt();
        table->setColumnHidden(c, w <= 0);
        if (w > 0) {
            table->setColumnWidth(c, w);
        }
    }
}

int QtForm::ColumnCount(int id) const {
    const ItemControl* control = Items(id);
    return control == nullptr || qobject_cast<QTableView*>(control->view) == nullptr
               ? 0
               : control->model->columnCount();
}

std::string QtForm::ColumnTitle(int id, int column) const {
    if (column < 0 || column >= ColumnCount(id)) {
        return {};
    }
    return S(Items(id)->model->headerData(column, Qt::Horizontal).toString());
}

int QtForm::ColumnWidth(int id, int column) const {
    if (column < 0 || column >= ColumnCount(id)) {
        return 0;
    }
    return Items(id)->model->headerData(column, Qt::Horizontal, kColumnWidthRole).toInt();
}

void QtForm::DeleteAllColumns(int id) {
    if (ColumnCount(id) > 0) {
        Items(id)->model->removeColumns(0, ColumnCount(id));
    }
}

std::string QtForm::Cell(int id, int row, int column) const {
    const ItemControl* control = Items(id);
    if (control == nullptr || row < 0 || column < 0) {
        return {};
    }
    QStandardItem* cell = control->model->item(row, column);
    return cell == nullptr ? std::string() : S(cell->text());
}

void QtForm::SetCell(int id, int row, int column, std::string_view text) {
    ItemControl* control = Items(id);
    if (control == nullptr || row < 0 || row >= control->model->rowCount() || column < 0 ||
        column >= std::max(1, control->model->columnCount())) {
        return;
    }
    if (QStandardItem* cell = control->model->item(row, column)) {
        cell->setText(Q(text));
    } else {
        control->model->setItem(row, column, NewItem(Q(text)));
    }
}

// --- image lists ---

bool QtForm::SetImageList(int id, const std::string& bitmap, int cell_width, int cell_height) {
    ItemControl* control = Items(id);
    if (control == nullptr) {
        return false;
    }
    control->images = LoadImageList(Q(bitmap), cell_width, cell_height);
    control->view->setIconSize(QSize(cell_width, cell_height));
    // Items added before the list came get their pictures now.
    std::vector<QStandardItem*> pending{control->model->invisibleRootItem()};
    while (!pending.empty()) {
        QStandardItem* parent = pending.back();
        pending.pop_back();
        for (int row = 0; row < parent->rowCount(); ++row) {
            QStandardItem* child = parent->child(row);
            ApplyImage(*control, *child);
            pending.push_back(child);
        }
    }
    return !control->images.empty();
}

// --- trees ---

QStandardItem* QtForm::TreeNode(int id, TreeItem item) const {
    const ItemControl* control = Items(id);
    const auto it = tree_items_.find(item);
    if (control == nullptr || it == tree_items_.end() ||
        it->second->model() != control->model.get()) {
        return nullptr;
    }
    return it->second;
}

QModelIndex QtForm::TreeIndex(int id, TreeItem item) const {
    QStandardItem* node = TreeNode(id, item);
    return node == nullptr ? QModelIndex() : node->index();
}

void QtForm::Forget(QStandardItem* item) {
    if (item == nullptr) {
        return;
    }
    for (int row = 0; row < item->rowCount(); ++row) {
        Forget(item->child(row));
    }
    tree_items_.erase(item->data(kTreeIdRole).toULongLong());
}

TreeItem QtForm::AddTreeItem(int id, TreeItem parent, std::string_view text, int image,
                             long long data) {
    ItemControl* control = Items(id);
    if (control == nullptr || qobject_cast<QTreeView*>(control->view) == nullptr) {
        return kNoItem;
    }
    QStandardItem* parent_node =
        parent == kNoItem ? control->model->invisibleRootItem() : TreeNode(id, parent);
    if (parent_node == nullptr) {
        return kNoItem;
    }
    ProgramChange change(*this);
    const TreeItem handle = next_tree_item_++;
    QStandardItem* node = NewItem(Q(text));
    node->setData(QVariant::fromValue<qulonglong>(handle), kTreeIdRole);
    node->setData(QVariant::fromValue<qlonglong>(data), kDataRole);
    node->setData(image, kImageRole);
    ApplyImage(*control, *node);
    parent_node->appendRow(node);
    tree_items_[handle] = node;
    return handle;
}

void QtForm::DeleteTreeItem(int id, TreeItem item) {
    QStandardItem* node = TreeNode(id, item);
    if (node == nullptr) {
        return;
    }
    ProgramChange change(*this);
    Forget(node);
    QStandardItem* parent =
        node->parent() != nullptr ? node->parent() : Items(id)->model->invisibleRootItem();
    parent->removeRow(node->row());
}

std::vector<TreeItem> QtForm::TreeChildren(int id, TreeItem parent) const {
    std::vector<TreeItem> children;
    const ItemControl* control = Items(id);
    if (control == nullptr) {
        return children;
    }
    QStandardItem* node =
        parent == kNoItem ? control->model->invisibleRootItem() : TreeNode(id, parent);
    if (node == nullptr) {
        return children;
    }
    for (int row = 0; row < node->rowCount(); ++row) {
        children.push_back(node->child(row)->data(kTreeIdRole).toULongLong());
    }
    return children;
}

TreeItem QtForm::TreeParent(int id, TreeItem item) const {
    QStandardItem* node = TreeNode(id, item);
    if (node == nullptr || node->parent() == nullptr) {
        return kNoItem;
    }
    return node->parent()->data(kTreeIdRole).toULongLong();
}

std::string QtForm::TreeText(int id, TreeItem item) const {
    QStandardItem* node = TreeNode(id, item);
    return node == nullptr ? std::string() : S(node->text());
}

void QtForm::SetTreeText(int id, TreeItem item, std::string_view text) {
    if (QStandardItem* node = TreeNode(id, item)) {
        node->setText(Q(text));
    }
}

long long QtForm::TreeData(int id, TreeItem item) const {
    QStandardItem* node = TreeNode(id, item);
    return node == nullptr ? 0 : node->data(kDataRole).toLongLong();
}

void QtForm::SetTreeData(int id, TreeItem item, long long data) {
    if (QStandardItem* node = TreeNode(id, item)) {
        node->setData(QVariant::fromValue<qlonglong>(data), kDataRole);
    }
}

int QtForm::TreeImage(int id, TreeItem item) const {
    QStandardItem* node = TreeNode(id, item);
    return node == nullptr ? -1 : node->data(kImageRole).toInt();
}

void QtForm::SetTreeImage(int id, TreeItem item, int image) {
    if (QStandardItem* node = TreeNode(id, item)) {
        node->setData(image, kImageRole);
        ApplyImage(*Items(id), *node);
    }
}

std::string QtForm::TreeRemark(int id, TreeItem item) const {
    QStandardItem* node = TreeNode(id, item);
    return node == nullptr ? std::string() : S(node->data(kRemarkRole).toString());
}

void QtForm::SetTreeRemark(int id, TreeItem item, std::string_view remark) {
    if (QStandardItem* node = TreeNode(id, item)) {
        node->setData(Q(remark), kRemarkRole);
    }
}

void QtForm::Expand(int id, TreeItem item, bool expanded) {
    ItemControl* control = Items(id);
    const QModelIndex index = TreeIndex(id, item);
    if (auto* tree = control == nullptr ? nullptr : qobject_cast<QTreeView*>(control->view)) {
        if (index.isValid()) {
            tree->setExpanded(index, expanded);
        }
    }
}

bool QtForm::IsExpanded(int id, TreeItem item) const {
    const ItemControl* control = Items(id);
    const QModelIndex index = TreeIndex(id, item);
    auto* tree = control == nullptr ? nullptr : qobject_cast<QTreeView*>(control->view);
    return tree != nullptr && index.isValid() && tree->isExpanded(index);
}

TreeItem QtForm::CurrentTreeItem(int id) const {
    const ItemControl* control = Items(id);
    if (control == nullptr) {
        return kNoItem;
    }
    const QModelIndex current = control->view->currentIndex();
    return current.isValid() ? current.data(kTreeIdRole).toULongLong() : kNoItem;
}

void QtForm::SelectTreeItem(int id, TreeItem item) {
    ItemControl* control = Items(id);
    if (control == nullptr) {
        return;
    }
    ProgramChange change(*this);
    const QModelIndex index = TreeIndex(id, item);
    if (index.isValid()) {
        control->view->selectionModel()->setCurrentIndex(index,
                                                         QItemSelectionModel::ClearAndSelect);
    } else {
        control->view->selectionModel()->clear();
    }
}

// --- the window ---

void QtForm::SetTitle(std::string_view title) {
    dialog_->setWindowTitle(Q(title));
}

std::string QtForm::Title() const {
    return S(dialog_->windowTitle());
}

void QtForm::ShowWindow(bool shown) {
    dialog_->setVisible(shown);
}

bool QtForm::IsWindowShown() const {
    return dialog_->isVisible();
}

void QtForm::BringToFront() {
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void QtForm::End(int result) {
    if (end_result_) {
        return;
    }
    dialog_->done(result);
}

void QtForm::OnDone(int result) {
    if (!end_result_) {
        end_result_ = result;
    }
}

void QtForm::OnCloseCommand() {
    if (handlers_.count({kWindow, Event::Close}) != 0) {
        Fire(kWindow, Event::Close);
    } else {
        End(kResultCancel);
    }
}

void QtForm::OnCancelCommand() {
    if (handlers_.count({kWindow, Event::Cancel}) != 0) {
        Fire(kWindow, Event::Cancel);
    } else {
        OnCloseCommand();
    }
}

void QtForm::OnShown() {
    end_result_.reset();
    Fire(kWindow, Event::Shown);
}

void QtForm::OnHidden() {
    Fire(kWindow, Event::Hidden);
}

// --- what a person does ---

void QtForm::Click(int id) {
    if (!Reachable(id)) {
        return;
    }
    QWidget* widget = Widget(id);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->click();
        return;
    }
    const QPointF centre = QRectF(widget->rect()).center();
    const QPointF global = widget->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

void QtForm::Type(int id, std::string_view text) {
    if (!Reachable(id)) {
        return;
    }
    QWidget* widget = Widget(id);
    widget->setFocus(Qt::OtherFocusReason);
    QLineEdit* line = qobject_cast<QLineEdit*>(widget);
    if (QComboBox* combo = Combo(id)) {
        line = combo->lineEdit();
    }
    if (line != nullptr) {
        line->selectAll();
        line->insert(Q(text));
    } else if (auto* edit = qobject_cast<QTextEdit*>(widget)) {
        edit->selectAll();
        edit->insertPlainText(MultiLine(text));
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        plain->selectAll();
        plain->insertPlainText(MultiLine(text));
    }
}

void QtForm::Choose(int id, int index) {
    if (!Reachable(id) || index < 0 || index >= ItemCount(id)) {
        return;
    }
    if (QComboBox* combo = Combo(id)) {
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
        return;
    }
    ItemControl* control = Items(id);
    if (control == nullptr || qobject_cast<QTreeView*>(control->view) != nullptr) {
        return;
    }
    const QModelIndex row = control->model->index(index, 0);
    control->view->selectionModel()->setCurrentIndex(
        row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    Q_EMIT control->view->clicked(row);
}

void QtForm::DoubleClickItem(int id, int index) {
    ItemControl* control = Items(id);
    if (control == nullptr || !Reachable(id) || index < 0 || index >= ItemCount(id)) {
        return;
    }
    Choose(id, index);
    Q_EMIT control->view->doubleClicked(control->model->index(index, 0));
}

void QtForm::ChooseTreeItem(int id, TreeItem item) {
    ItemControl* control = Items(id);
    const QModelIndex index = TreeIndex(id, item);
    if (control == nullptr || !Reachable(id) || !index.isValid()) {
        return;
    }
    control->view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    Q_EMIT control->view->clicked(index);
}

void QtForm::DoubleClickTreeItem(int id, TreeItem item) {
    ItemControl* control = Items(id);
    const QModelIndex index = TreeIndex(id, item);
    if (control == nullptr || !Reachable(id) || !index.isValid()) {
        return;
    }
    ChooseTreeItem(id, item);
    Q_EMIT control->view->doubleClicked(index);
}

void QtForm::RightClick(int id) {
    if (!Reachable(id)) {
        return;
    }
    QWidget* widget = Widget(id);
    widget->setFocus(Qt::MouseFocusReason);
    if (widget->contextMenuPolicy() == Qt::CustomContextMenu) {
        Q_EMIT widget->customContextMenuRequested(widget->rect().center());
    }
}

namespace {
void SendKey(QDialog& dialog, int key) {
    // To the control with the focus; what it leaves goes on to the dialog, as typed keys do.
    QPointer<QWidget> target = dialog.focusWidget() != nullptr ? dialog.focusWidget() : &dialog;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    if (target != nullptr) {
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(target, &release);
    }
}
}  // namespace

void QtForm::PressEnter() {
    SendKey(*dialog_, Qt::Key_Return);
}

void QtForm::PressEscape() {
    SendKey(*dialog_, Qt::Key_Escape);
}

void QtForm::Close() {
    dialog_->close();
}

}  // namespace ui::qt
