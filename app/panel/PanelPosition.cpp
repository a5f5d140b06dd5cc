#include "panel/PanelPosition.h"

#include "store/PreferenceStore.h"
#include "store/StoreKeys.h"

#include <algorithm>

namespace PanelPosition {

namespace {
constexpr int topGap = 48;
} // namespace

std::optional<QPoint> stored() {
    const auto values = PreferenceStore::standard().integers(StoreKeys::panelOrigin);
    if (!values || values->size() != 2) {
        return std::nullopt;
    }
    const auto inRange = [](std::int64_t v) { return v > -1'000'000 && v < 1'000'000; };
    if (!inRange((*values)[0]) || !inRange((*values)[1])) {
        return std::nullopt;
    }
    return QPoint(static_cast<int>((*values)[0]), static_cast<int>((*values)[1]));
}

void save(QPoint origin) {
    // A place that could not be stored costs only the place at the next start; the store has
    // said why.
    static_cast<void>(
        PreferenceStore::standard().setIntegers(StoreKeys::panelOrigin, {origin.x(), origin.y()}));
}

QPoint keptOnScreen(QPoint origin, QSize size, const QList<QRect>& areas) {
    if (areas.isEmpty()) {
        return origin;
    }
    const QRect panel(origin, size);
    QRect best = areas.front();
    qint64 bestOverlap = -1;
    for (const QRect& area : areas) {
        if (area.contains(panel)) {
            return origin;
        }
        const QRect overlap = area.intersected(panel);
        const qint64 covered = overlap.isEmpty() ? 0 : qint64(overlap.width()) * overlap.height();
        if (covered > bestOverlap) {
            bestOverlap = covered;
            best = area;
        }
    }
    // A panel larger than the area keeps its top-left corner inside.
    const int x = std::max(best.left(), std::min(origin.x(), best.right() + 1 - size.width()));
    const int y = std::max(best.top(), std::min(origin.y(), best.bottom() + 1 - size.height()));
    return {x, y};
}

QPoint defaultOrigin(QSize size, QRect area) {
    return {area.left() + (area.width() - size.width()) / 2,
            area.top() + std::min(topGap, std::max(0, area.height() - size.height()))};
}

} // namespace PanelPosition
