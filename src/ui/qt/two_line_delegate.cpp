#include "ui/qt/two_line_delegate.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>

namespace ui::qt {

namespace {
const QColor kRemarkColor(0x80, 0x80, 0x80);
constexpr int kPadding = 3;
}  // namespace

void TwoLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const QString remark = index.data(kRemarkRole).toString();
    if (remark.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    // Background, selection and icon as the style draws them; the two lines ourselves.
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    const QFontMetrics metrics(opt.font);
    const int lineHeight = metrics.height();
    const int top = textRect.top() + (textRect.height() - 2 * lineHeight) / 2;
    painter->save();
    const bool selected = (opt.state & QStyle::State_Selected) != 0;
    painter->setPen(
        opt.palette.color(QPalette::Normal, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(QRect(textRect.left(), top, textRect.width(), lineHeight),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      metrics.elidedText(text, Qt::ElideRight, textRect.width()));
    painter->setPen(selected ? opt.palette.color(QPalette::HighlightedText) : kRemarkColor);
    painter->drawText(QRect(textRect.left(), top + lineHeight, textRect.width(), lineHeight),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      metrics.elidedText(remark, Qt::ElideRight, textRect.width()));
    painter->restore();
}

QSize TwoLineDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (line_height_ > 0) {
        size.setHeight(line_height_);
        return size;
    }
    if (!index.data(kRemarkRole).toString().isEmpty()) {
        const int twoLines = 2 * option.fontMetrics.height() + 2 * kPadding;
        size.setHeight(std::max(size.height(), twoLines));
    }
    return size;
}

}  // namespace ui::qt
