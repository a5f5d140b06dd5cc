#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QWidget;

// Asks the user for a file to write or to read. Tests answer through their own.
class FileDialogs {
public:
    // What the dialog shows: its title and the file types (suffixes) it lists.
    struct Request {
        QString title;
        QStringList fileTypes;
    };

    virtual ~FileDialogs() = default;
    // The chosen path; nothing when the user cancels.
    virtual std::optional<QString> saveFile(QWidget* parent, const Request& request) = 0;
    virtual std::optional<QString> openFile(QWidget* parent, const Request& request) = 0;
};

// The desktop's file dialogs: resizable, hidden files hidden, new folders allowed when saving,
// one existing file (no folder) when opening.
std::shared_ptr<FileDialogs> makeDesktopFileDialogs();
