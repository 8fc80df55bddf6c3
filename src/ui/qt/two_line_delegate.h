// Draws an item of a list box or tree as its icon, its text and, when it has one, a grey second
// line (the remark) under the text, as contacts and work orders are shown.
#pragma once

#include <QStyledItemDelegate>

namespace ui::qt {

// Item data roles shared by the form and the delegate.
inline constexpr int kDataRole = Qt::UserRole + 1;    // the logic's item data (qlonglong)
inline constexpr int kRemarkRole = Qt::UserRole + 2;  // the grey second line (QString)
inline constexpr int kImageRole = Qt::UserRole + 3;   // index into the image list (int, -1 none)
inline constexpr int kTreeIdRole = Qt::UserRole + 4;  // the TreeItem handle (qulonglong)

class TwoLineDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Every line this many pixels high; 0 leaves the height to the content.
    void SetLineHeight(int pixels) { line_height_ = pixels; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    int line_height_ = 0;
};

}  // namespace ui::qt
