// Loading, the table and its order, the edit area following the selection, the row menu.
#include "tasklist/TasksVC.h"

#include "support/DateHelpers.h"
#include "tasklist/TaskCellDelegate.h"
#include "tasklist/TaskOrder.h"
#include "tasklist/TaskTableModel.h"
#include "tasks/TaskBoard.h"
#include "ui/Appearance.h"
#include "ui/Fonts.h"
#include "ui/NamedColors.h"
#include "ui_TasksVC.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeySequence>
#include <QScreen>
#include <QSet>
#include <QShortcut>
#include <QStyle>

#include <algorithm>

namespace {

// Of the screen's free area, the most the window takes when it opens.
constexpr double largestShare = 0.7;

// Wide enough for the widest date the locale writes and the column's title with its sort
// arrow: measured once, not over every row.
int dateColumnWidth(const QHeaderView& header, int column) {
    const QString widest = getLocalDateTime(Date::fromUnixSeconds(
        static_cast<double>(QDateTime(QDate(2028, 12, 28), QTime(23, 58, 58)).toSecsSinceEpoch())));
    const int title = header.fontMetrics().horizontalAdvance(
        header.model()->headerData(column, Qt::Horizontal).toString());
    const int sortArrow = header.style()->pixelMetric(QStyle::PM_HeaderMarkSize);
    return std::max(header.fontMetrics().horizontalAdvance(widest) + 24, title + sortArrow + 24);
}

QItemSelection rowsSelection(const QAbstractItemModel& model, const std::vector<int>& rows) {
    // One range per run of neighbouring rows: a selection of every row stays one range.
    QItemSelection selection;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t end = i + 1;
        while (end < rows.size() && rows[end] == rows[end - 1] + 1) {
            ++end;
        }
        selection.select(model.index(rows[i], 0), model.index(rows[end - 1], 0));
        i = end;
    }
    return selection;
}

} // namespace

TasksVC::TasksVC(TaskBoard& board, Environment environment, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , board_(board)
    , env_(std::move(environment))
    , ui_(std::make_unique<Ui::TasksVC>())
    , model_(new TaskTableModel(this)) {
    ui_->setupUi(this);
    viewDidLoad();
}

TasksVC::~TasksVC() = default;

const std::vector<Task>& TasksVC::tasks() const {
    return model_->tasks();
}

FormattedTask TasksVC::formattedTask(int row) const {
    return model_->formattedTask(row);
}

QTableView* TasksVC::tableView() const {
    return ui_->tableView;
}

void TasksVC::viewDidLoad() {
    // The panel's typeface, in the size the desktop chose for text.
    setFont(Fonts::named(Fonts::regularFace, QApplication::font().pointSizeF()));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        resize(size().boundedTo(screen->availableGeometry().size() * largestShare));
    }
    QTableView* table = ui_->tableView;
    table->setModel(model_);
    table->setItemDelegate(new TaskCellDelegate(table));
    table->verticalHeader()->hide();
    // Fixed row heights: a hundred thousand rows are laid out without measuring any.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* header = table->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setHighlightSections(false);
    for (const int column :
         {TaskOrder::createdColumn, TaskOrder::snoozedUntilColumn, TaskOrder::doneDateColumn}) {
        header->resizeSection(column, dateColumnWidth(*header, column));
    }
    // The task takes the spare width and elides what does not fit.
    header->setSectionResizeMode(TaskOrder::nameColumn, QHeaderView::Stretch);
    table->setTextElideMode(Qt::ElideRight);
    connect(header, &QHeaderView::sectionClicked, this, &TasksVC::mouseDownInHeaderOf);
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TasksVC::tableViewSelectionDidChange);
    connect(table, &QWidget::customContextMenuRequested, this, &TasksVC::showRowMenu);
    // The edit area keeps its room while hidden, so the table does not jump under the pointer.
    for (QWidget* w :
         {static_cast<QWidget*>(ui_->editStack), static_cast<QWidget*>(ui_->taskLabel)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    connectActions();
    connect(&board_, &TaskBoard::changed, this, &TasksVC::formatTasks);
    connect(&Appearance::shared(), &Appearance::changed, this, &TasksVC::applyNamedColors);
    applyNamedColors();
    formatTasks();
    setEditAreaVisible(false);
}

void TasksVC::connectActions() {
    connect(ui_->doneButton, &QPushButton::clicked, this, &TasksVC::doneAction);
    connect(ui_->editButton, &QPushButton::clicked, this, &TasksVC::editAction);
    connect(ui_->unSnoozeButton, &QPushButton::clicked, this, &TasksVC::unsnoozeAction);
    connect(ui_->deleteButton, &QPushButton::clicked, this, &TasksVC::deleteAction);
    connect(ui_->deleteAllDoneButton, &QPushButton::clicked, this, &TasksVC::deleteAllDoneAction);
    connect(ui_->importButton, &QPushButton::clicked, this, &TasksVC::importAction);
    connect(ui_->exportButton, &QPushButton::clicked, this, &TasksVC::exportAction);
    auto* deleteKey = new QShortcut(QKeySequence::Delete, ui_->tableView);
    deleteKey->setContext(Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, &TasksVC::deleteAction);
    connect(new QShortcut(QKeySequence::Undo, this), &QShortcut::activated, this,
            &TasksVC::undoAction);
    // The column titles take no keyboard focus: Ctrl with the column's number sorts as a
    // click on its title does.
    for (int column = 0; column < TaskOrder::columnCount; ++column) {
        connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + column)), this),
                &QShortcut::activated, this, [this, column] { mouseDownInHeaderOf(column); });
    }
}

void TasksVC::applyNamedColors() {
    // The cells' named colours are made for the "bg" background, in both appearances.
    QPalette palette = ui_->tableView->palette();
    if (const auto bg = NamedColors::color(QStringLiteral("bg"))) {
        palette.setColor(QPalette::Base, *bg);
    }
    if (const auto ink = NamedColors::color(QStringLiteral("task"))) {
        palette.setColor(QPalette::Text, *ink);
    }
    ui_->tableView->setPalette(palette);
    ui_->tableView->viewport()->update();
}

void TasksVC::formatTasks() {
    const QList<QUuid> selected = selectedIds();
    std::vector<Task> tasks = board_.tasks();
    TaskOrder::sort(tasks, sortColumn_, ascending_);
    model_->setTasks(std::move(tasks));
    ui_->tableView->horizontalHeader()->setSortIndicator(
        sortColumn_, ascending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
    if (!selected.isEmpty()) {
        // The same tasks stay selected wherever the new order puts them.
        const QSet<QUuid> chosen(selected.begin(), selected.end());
        std::vector<int> rows;
        for (std::size_t i = 0; i < model_->tasks().size(); ++i) {
            if (chosen.contains(model_->tasks()[i].id)) {
                rows.push_back(static_cast<int>(i));
            }
        }
        selectRows(rows);
    }
    tableViewSelectionDidChange();
}

void TasksVC::mouseDownInHeaderOf(int column) {
    const int index = column >= 0 && column < TaskOrder::columnCount ? column : 0;
    if (index == sortColumn_) {
        ascending_ = !ascending_;
    } else {
        sortColumn_ = index;
        ascending_ = true;
    }
    formatTasks();
}

void TasksVC::tableViewSelectionDidChange() {
    const std::vector<int> rows = selectedRowIndexes();
    if (rows.empty()) {
        setEditAreaVisible(false);
        return;
    }
    if (rows.size() == 1) {
        const int row = rows.front();
        ui_->doneButton->setEnabled(true);
        ui_->editButton->setEnabled(true);
        setDoneTitle(model_->task(row).isDone);
        ui_->unSnoozeButton->setEnabled(!model_->formattedTask(row).snoozedUntil.isEmpty());
    } else {
        ui_->editButton->setEnabled(false);
        const auto count = [this, &rows](bool Task::*flag) {
            return std::count_if(rows.begin(), rows.end(),
                                 [this, flag](int row) { return model_->task(row).*flag; });
        };
        const auto all = static_cast<std::ptrdiff_t>(rows.size());
        const auto done = count(&Task::isDone);
        ui_->unSnoozeButton->setEnabled(count(&Task::isSnoozed) == all);
        ui_->doneButton->setEnabled(done == 0 || done == all);
        if (done == 0 || done == all) {
            setDoneTitle(done == all);
        }
    }
    setEditAreaVisible(true);
}

void TasksVC::setEditAreaVisible(bool visible) {
    if (!visible && ui_->editStack->isAncestorOf(QApplication::focusWidget())) {
        // The keyboard stays with the list, not on whichever button follows the hidden ones.
        ui_->tableView->setFocus();
    }
    ui_->editStack->setVisible(visible);
    ui_->taskLabel->setVisible(visible);
}

void TasksVC::setDoneTitle(bool notDone) {
    ui_->doneButton->setText(notDone ? QStringLiteral("Not Done") : QStringLiteral("Done"));
    ui_->doneButton->setAccessibleName(notDone ? QStringLiteral("Mark the selected tasks not done")
                                               : QStringLiteral("Mark the selected tasks done"));
}

std::vector<int> TasksVC::selectedRowIndexes() const {
    std::vector<int> rows;
    for (const QModelIndex& index : ui_->tableView->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<QUuid> TasksVC::selectedIds() const {
    QList<QUuid> ids;
    for (const int row : selectedRowIndexes()) {
        ids.append(model_->task(row).id);
    }
    return ids;
}

void TasksVC::selectRows(const std::vector<int>& rows) {
    std::vector<int> valid;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(valid),
                 [this](int row) { return row >= 0 && row < model_->rowCount(); });
    ui_->tableView->selectionModel()->select(
        rowsSelection(*model_, valid), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}
