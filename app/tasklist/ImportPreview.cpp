#include "tasklist/ImportPreview.h"

#include "tasklist/ImportSample.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// Rows the preview shows.
constexpr std::size_t shownRows = 8;
// Characters of a first-row text that name a column in the column menu, and of a cell.
constexpr qsizetype columnNameLength = 24;
constexpr qsizetype cellLength = 200;
// The widest a column starts.
constexpr int columnWidth = 240;

QString delimiterName(char32_t delimiter) {
    switch (delimiter) {
    case U';':
        return QStringLiteral("Semicolon ( ; )");
    case U'\t':
        return QStringLiteral("Tab");
    case U'|':
        return QStringLiteral("Vertical bar ( | )");
    default:
        return QStringLiteral("Comma ( , )");
    }
}

class ImportPreview final : public QDialog {
public:
    ImportPreview(QWidget* parent, const QString& path)
        : QDialog(parent)
        , sample_(path) {
        setObjectName(QStringLiteral("importPreview"));
        setWindowTitle(QStringLiteral("Import Tasks"));
        const std::optional<char32_t> detected = sample_.detectedDelimiter();
        for (const char32_t delimiter : TaskCsv::importDelimiters) {
            delimiters_->addItem(
                delimiterName(delimiter) +
                    (delimiter == detected ? QStringLiteral(" — as in this file") : QString()),
                QVariant::fromValue(static_cast<uint>(delimiter)));
        }
        delimiters_->setObjectName(QStringLiteral("delimiterBox"));
        columns_->setObjectName(QStringLiteral("columnBox"));
        header_->setObjectName(QStringLiteral("headerBox"));
        table_->setObjectName(QStringLiteral("previewTable"));
        table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table_->setSelectionMode(QAbstractItemView::NoSelection);
        table_->setWordWrap(false);
        table_->horizontalHeader()->setHighlightSections(false);
        table_->setAccessibleName(QStringLiteral("The first rows of the file"));

        auto* choices = new QFormLayout;
        choices->addRow(QStringLiteral("File:"), new QLabel(QFileInfo(path).fileName(), this));
        choices->addRow(QStringLiteral("&Fields separated by:"), delimiters_);
        choices->addRow(QStringLiteral("&Task text in:"), columns_);
        choices->addRow(QString(), header_);
        auto* buttons = new QDialogButtonBox(this);
        QPushButton* import =
            buttons->addButton(QStringLiteral("&Import"), QDialogButtonBox::AcceptRole);
        buttons->addButton(QDialogButtonBox::Cancel);
        import->setDefault(true);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(choices);
        layout->addWidget(table_);
        layout->addWidget(buttons);
        resize(560, 320);

        readRows();
        connect(delimiters_, &QComboBox::currentIndexChanged, this, &ImportPreview::readRows);
        connect(columns_, &QComboBox::currentIndexChanged, this, [this] {
            guessHeader();
            showRows();
        });
        connect(header_, &QCheckBox::toggled, this, &ImportPreview::showRows);
    }

    TaskCsv::ImportFormat format() const {
        return {static_cast<char32_t>(delimiters_->currentData().toUInt()),
                static_cast<std::size_t>(std::max(columns_->currentIndex(), 0)),
                header_->isChecked()};
    }

private:
    // The rows as the chosen delimiter splits them; the column and the header go back to what
    // the first row says.
    void readRows() {
        const TaskCsv::ImportFormat suggested = sample_.suggestedFormat(format().delimiter);
        rows_ = sample_.rows(suggested.delimiter, shownRows);
        qsizetype width = 1;
        for (const QStringList& row : rows_) {
            width = std::max(width, row.size());
        }
        const QSignalBlocker quiet(columns_);
        columns_->clear();
        const QStringList first = rows_.value(0);
        for (qsizetype i = 0; i < width; ++i) {
            const QString name = first.value(i).left(columnNameLength).simplified();
            columns_->addItem(name.isEmpty()
                                  ? QStringLiteral("Column %1").arg(i + 1)
                                  : QStringLiteral("Column %1: %2").arg(i + 1).arg(name));
        }
        columns_->setCurrentIndex(static_cast<int>(*suggested.column));
        const QSignalBlocker quietHeader(header_);
        header_->setChecked(*suggested.firstRowIsHeader);
        showRows();
    }

    // What the first row says for the chosen column.
    void guessHeader() {
        TaskCsv::ImportFormat guess = format();
        guess.firstRowIsHeader.reset();
        const QSignalBlocker quiet(header_);
        header_->setChecked(TaskCsv::taskColumn(rows_.value(0), guess).firstRowIsHeader);
    }

    // Each row with what it becomes: the task column in bold, rows that add nothing dimmed.
    void showRows() {
        const TaskCsv::TaskColumn column = TaskCsv::taskColumn(rows_.value(0), format());
        const auto task = static_cast<int>(column.index);
        table_->clear();
        table_->setRowCount(static_cast<int>(rows_.size()));
        table_->setColumnCount(columns_->count());
        QStringList titles;
        for (int c = 0; c < columns_->count(); ++c) {
            titles.append(c == task ? QStringLiteral("Task")
                                    : QStringLiteral("Column %1").arg(c + 1));
        }
        table_->setHorizontalHeaderLabels(titles);
        const QColor dim = palette().color(QPalette::Disabled, QPalette::Text);
        for (int r = 0; r < rows_.size(); ++r) {
            const QStringList& row = rows_[r];
            const bool header = r == 0 && column.firstRowIsHeader;
            const bool adds = !header && !row.value(task).isEmpty();
            table_->setVerticalHeaderItem(r,
                                          new QTableWidgetItem(header ? QStringLiteral("Header")
                                                               : adds ? QString::number(r + 1)
                                                                      : QStringLiteral("Skipped")));
            for (int c = 0; c < row.size(); ++c) {
                auto* item = new QTableWidgetItem(row[c].left(cellLength));
                if (!adds) {
                    item->setForeground(dim);
                }
                QFont font = item->font();
                font.setBold(adds && c == task);
                item->setFont(font);
                table_->setItem(r, c, item);
            }
        }
        table_->resizeColumnsToContents();
        for (int c = 0; c < table_->columnCount(); ++c) {
            table_->setColumnWidth(c, std::min(table_->columnWidth(c), columnWidth));
        }
    }

    const ImportSample sample_;
    QList<QStringList> rows_;
    QComboBox* delimiters_ = new QComboBox(this);
    QComboBox* columns_ = new QComboBox(this);
    QCheckBox* header_ = new QCheckBox(QStringLiteral("First row is a &header"), this);
    QTableWidget* table_ = new QTableWidget(this);
};

} // namespace

std::optional<TaskCsv::ImportFormat> runImportPreview(QWidget* parent, const QString& path) {
    ImportPreview preview(parent, path);
    if (preview.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return preview.format();
}
