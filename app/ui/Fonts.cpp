#include "ui/Fonts.h"

#include "support/Console.h"

#include <QFile>
#include <QFontDatabase>
#include <QHash>
#include <QRawFont>

namespace Fonts {

namespace {

struct Face {
    QString family;
    QString style;
};

QHash<QString, Face>& registry() {
    static QHash<QString, Face> faces;
    return faces;
}

} // namespace

std::optional<QString> registerFile(const QString& name, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return file.errorString();
    }
    const QByteArray bytes = file.readAll();
    const int id = QFontDatabase::addApplicationFontFromData(bytes);
    if (id < 0) {
        return QStringLiteral("not a usable font file: ") + path;
    }
    // The file's own style ("Light"), so the face is picked within a shared family.
    const QRawFont raw(bytes, 12);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    registry().insert(name, {families.value(0, raw.familyName()), raw.styleName()});
    return std::nullopt;
}

QFont named(const QString& name, double pointSize) {
    QFont font;
    const auto it = registry().constFind(name);
    if (it != registry().constEnd()) {
        font = QFont(it->family);
        font.setStyleName(it->style);
    }
    font.setPointSizeF(pointSize);
    return font;
}

void loadCustomFont(const QString& named, const QString& withExtension) {
    const QString path = QStringLiteral(":/fonts/") + named + u'.' + withExtension;
    if (!QFile::exists(path)) {
        Console::printLine(QStringLiteral("Failed to find font URL for ") + named + u'.');
        return;
    }
    if (const auto error = registerFile(named, path)) {
        Console::printLine(QStringLiteral("Failed to load font: ") + *error);
    }
}

void registerApplicationFonts() {
    loadCustomFont(regularFace, QStringLiteral("ttf"));
    loadCustomFont(lightFace, QStringLiteral("ttf"));
}

} // namespace Fonts
