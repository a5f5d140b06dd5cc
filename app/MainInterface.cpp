#include "MainInterface.h"

MainInterface::MainInterface(ViewController::Environment environment, const QString& executable)
    : appDelegate(executable)
    , controller(new ViewController(std::move(environment), &appDelegate)) {
    panel.setContentView(controller);
    // Queued, so the alert or menu that asked has closed before the loop ends.
    QObject::connect(controller, &ViewController::quitRequested, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&appDelegate, &AppDelegate::quitRequested, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&panel, &PBWindow::closeRequested, controller,
                     &ViewController::hideApplication);
    // The panel first: the tray icon can wait until it is on screen.
    QObject::connect(&panel, &PBWindow::presented, &appDelegate, &AppDelegate::showTrayIcon);
}

void MainInterface::launch() {
    appDelegate.applicationDidFinishLaunching();
    panel.restorePosition();
    panel.show();
}
