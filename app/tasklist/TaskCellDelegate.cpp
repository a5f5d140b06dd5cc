#include "tasklist/TaskCellDelegate.h"

#include "support/Console.h"

void TaskCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    if (option.state.testFlag(QStyle::State_Selected)) {
        Console::printLine(index.row());
    }
    QStyledItemDelegate::paint(painter, option, index);
}
