// The floor start-up and memory are compared with: one small frameless window with a line
// edit and twelve buttons, and nothing else.
#include <QApplication>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window.setWindowTitle(QStringLiteral("Floor"));
    auto* layout = new QGridLayout(&window);
    layout->addWidget(new QLineEdit(QStringLiteral("Nothing to do")), 0, 0, 1, 6);
    for (int i = 0; i < 12; ++i) {
        layout->addWidget(new QPushButton(QStringLiteral("Button %1").arg(i + 1)), 1 + i / 6,
                          i % 6);
    }
    window.show();
    return QApplication::exec();
}
