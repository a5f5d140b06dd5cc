#include "tasklist/EditTaskAlert.h"

#include "ui/NamedColors.h"

#include <QDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr QSize fieldSize(400, 24);
constexpr int iconSize = 48;
// The alert's top-left corner sits this far left of and above the first screen's middle.
constexpr QPoint fromMiddle(200, 100);

QLineEdit* makeField(QWidget* parent, const QString& text) {
    auto* field = new QLineEdit(text, parent);
    field->setObjectName(QStringLiteral("editField"));
    field->setAccessibleName(QStringLiteral("Task description"));
    field->setFixedSize(fieldSize);
    field->setFrame(false);
    if (const auto bg = NamedColors::color(QStringLiteral("bg"))) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, *bg);
        if (const auto ink = NamedColors::color(QStringLiteral("task"))) {
            palette.setColor(QPalette::Text, *ink);
        }
        field->setPalette(palette);
    }
    return field;
}

} // namespace

std::optional<QString> runEditTaskAlert(QWidget* parent, const QString& text) {
    QDialog alert(parent);
    alert.setWindowTitle(QStringLiteral("Quenby"));
    // It holds only the task list: the panel stays free to take the keyboard for a new task.
    alert.setWindowModality(Qt::WindowModal);
    auto* icon = new QLabel(&alert);
    icon->setPixmap(alert.style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(iconSize));
    auto* message = new QLabel(QStringLiteral("Edit task description"), &alert);
    message->setTextFormat(Qt::PlainText);
    QLineEdit* field = makeField(&alert, text);
    auto* ok = new QPushButton(QStringLiteral("OK"), &alert);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), &alert);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &alert, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &alert, &QDialog::reject);

    auto* content = new QVBoxLayout;
    content->addWidget(message);
    content->addWidget(field);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    // Laid out by hand: OK stays left of Cancel on every desktop.
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    content->addLayout(buttons);
    auto* layout = new QHBoxLayout(&alert);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addLayout(content);

    QTimer::singleShot(0, &alert, [&alert, field] {
        const QList<QScreen*> screens = QGuiApplication::screens();
        if (!screens.isEmpty()) {
            const QRect area = screens.front()->geometry();
            alert.move(area.topLeft() + QPoint(area.width() / 2, area.height() / 2) - fromMiddle);
        }
        field->setFocus();
    });
    if (alert.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return field->text();
}
