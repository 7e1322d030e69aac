#include "qt/DisplayFont.h"

#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>

namespace rigvane {

QStringList DisplayFontCandidates() {
    const QString dir = QStringLiteral("/usr/share/fonts/truetype/dseg/");
    return {dir + "DSEG7Classic-Bold.ttf", dir + "DSEG7Classic-Regular.ttf",
            dir + "DSEG7Modern-Bold.ttf", dir + "DSEG7Modern-Regular.ttf"};
}

QString RegisterDisplayFont(const QStringList& candidates) {
    for (const QString& path : candidates) {
        if (!QFileInfo::exists(path)) continue;
        const int id = QFontDatabase::addApplicationFont(path);
        if (id < 0) continue;
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty()) continue;
        QFont::insertSubstitution(QStringLiteral("Transistor"), families.first());
        return families.first();
    }
    return {};
}

} // namespace rigvane
