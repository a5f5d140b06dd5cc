#pragma once

#include <QStyledItemDelegate>

// Draws the task list's cells as usual. Every cell of a selected row first writes the row's
// index as a diagnostic line, as the table's display callback always has.
class TaskCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
