#pragma once

#include <QWidget>

class QAction;

// The settings' General section: a check box for each of the menu's on/off items (start at
// login), kept in step with the item both ways, so the menu and the settings never disagree.
class GeneralSettingsView : public QWidget {
    Q_OBJECT
public:
    explicit GeneralSettingsView(QAction& startAtLogin, QWidget* parent = nullptr);
};
