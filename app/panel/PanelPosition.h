#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Where the panel goes: the position the user left it at, kept on a screen.
namespace PanelPosition {

// The stored top-left corner of the panel (store key "panelOrigin"), if any.
std::optional<QPoint> stored();
void save(QPoint origin);

// `origin` unchanged when a panel of `size` lies wholly within one of `areas`; otherwise
// moved the least distance into the area it overlaps most (the first area when none).
QPoint keptOnScreen(QPoint origin, QSize size, const QList<QRect>& areas);

// Centred horizontally, a little below the top of the area.
QPoint defaultOrigin(QSize size, QRect area);

} // namespace PanelPosition
