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

// Uses the installed face `name` ("Lato-Light"); false when the system has none.
bool useInstalledFace(const QString& name) {
    // "Lato-Light" is the style "Light" of the family "Lato".
    const QString family = name.section(u'-', 0, 0);
    const QString style = name.section(u'-', 1);
    if (!QFontDatabase::styles(family).contains(style)) {
        return false;
    }
    registry().insert(name, {family, style});
    return true;
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
    // An installed copy (Debian's fonts-lato) is mapped and shared by every program; the
    // bundled one would be read into this process's memory, about 1.3 MB for the two faces.
    for (const QString& face : {regularFace, lightFace}) {
        if (!useInstalledFace(face)) {
            loadCustomFont(face, QStringLiteral("ttf"));
        }
    }
}

} // namespace Fonts
