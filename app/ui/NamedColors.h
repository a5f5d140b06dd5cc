#pragma once

#include "ui/Appearance.h"

#include <QColor>
#include <QString>

#include <optional>

// Colours looked up by name in the application's colours resource (":/colors.json"),
// each with a light and a dark value. A name the resource lacks answers nothing.
namespace NamedColors {

std::optional<QColor> color(const QString& name, Appearance::Scheme scheme);
// In the current appearance.
std::optional<QColor> color(const QString& name);

} // namespace NamedColors
