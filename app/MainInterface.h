#pragma once

#include "AppDelegate.h"
#include "panel/PBWindow.h"
#include "panel/ViewController.h"

#include <QCoreApplication>

// The application's objects as its main interface resource makes them: the delegate with
// the main menu, and the panel window with its controller.
class MainInterface {
public:
    explicit MainInterface(ViewController::Environment environment = {},
                           const QString& executable = QCoreApplication::applicationFilePath());

    // The delegate's launch steps; then the panel appears where the user left it.
    void launch();

    AppDelegate& delegate() { return appDelegate; }
    PBWindow& window() { return panel; }
    ViewController& viewController() { return *controller; }

private:
    AppDelegate appDelegate;
    PBWindow panel;
    ViewController* controller;
};
