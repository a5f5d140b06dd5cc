#include "tasklist/FileDialogs.h"

#include <QFileDialog>

namespace {

class DesktopFileDialogs final : public FileDialogs {
public:
    std::optional<QString> saveFile(QWidget* parent, const Request& request) override {
        QFileDialog dialog(parent, request.title);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // A name typed without a suffix gets the first type's.
        dialog.setDefaultSuffix(request.fileTypes.value(0));
        return run(dialog, request);
    }

    std::optional<QString> openFile(QWidget* parent, const Request& request) override {
        QFileDialog dialog(parent, request.title);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return run(dialog, request);
    }

private:
    static std::optional<QString> run(QFileDialog& dialog, const Request& request) {
        QStringList patterns;
        for (const QString& type : request.fileTypes) {
            patterns.append(QStringLiteral("*.") + type);
        }
        dialog.setNameFilter(patterns.join(u' '));
        dialog.setSizeGripEnabled(true);
        dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
        // It holds only the task list: the panel stays free to take the keyboard.
        dialog.setWindowModality(Qt::WindowModal);
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.selectedFiles().value(0);
    }
};

} // namespace

std::shared_ptr<FileDialogs> makeDesktopFileDialogs() {
    return std::make_shared<DesktopFileDialogs>();
}
