#include "panel/GeneralSettingsView.h"

#include <QAction>
#include <QCheckBox>
#include <QFormLayout>

GeneralSettingsView::GeneralSettingsView(QAction& startAtLogin, QWidget* parent)
    : QWidget(parent) {
    auto* box = new QCheckBox(startAtLogin.text(), this);
    box->setChecked(startAtLogin.isChecked());
    // Triggering the item runs its own handler, which may refuse and uncheck it again.
    connect(box, &QCheckBox::clicked, &startAtLogin, [&startAtLogin, box](bool checked) {
        if (checked != startAtLogin.isChecked()) {
            startAtLogin.trigger();
        }
        box->setChecked(startAtLogin.isChecked());
    });
    connect(&startAtLogin, &QAction::toggled, box, &QCheckBox::setChecked);
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(box);
}
