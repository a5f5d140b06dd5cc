#include "ui/NamedColors.h"

#include "support/Console.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

namespace NamedColors {

namespace {

struct Pair {
    QColor light;
    QColor dark;
};

QHash<QString, Pair> load() {
    QHash<QString, Pair> table;
    QFile file(QStringLiteral(":/colors.json"));
    if (!file.open(QIODevice::ReadOnly)) {
        Console::printLine("Failed to find the colours resource");
        return table;
    }
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        const QJsonObject entry = it.value().toObject();
        const QColor light = QColor::fromString(entry.value(QStringLiteral("light")).toString());
        const QColor dark = QColor::fromString(entry.value(QStringLiteral("dark")).toString());
        if (light.isValid() && dark.isValid()) {
            table.insert(it.key(), {light, dark});
        } else {
            Console::printLine("Skipping malformed colour", it.key());
        }
    }
    return table;
}

const QHash<QString, Pair>& table() {
    static const QHash<QString, Pair> colors = load();
    return colors;
}

} // namespace

std::optional<QColor> color(const QString& name, Appearance::Scheme scheme) {
    const auto it = table().constFind(name);
    if (it == table().constEnd()) {
        return std::nullopt;
    }
    return scheme == Appearance::Scheme::Dark ? it->dark : it->light;
}

std::optional<QColor> color(const QString& name) {
    return color(name, Appearance::shared().scheme());
}

} // namespace NamedColors
