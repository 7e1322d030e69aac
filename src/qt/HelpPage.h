#pragma once
// Where the help page is: beside the program in a build folder, under
// share/doc/rigvane in an installed program, or in the working folder.
#include <QCoreApplication>
#include <QFileInfo>
#include <QString>
#include <QStringList>

namespace rigvane {

inline QString HelpPagePath() {
    const QString dir = QCoreApplication::applicationDirPath();
    const QStringList places = {dir + "/Rigvane.html", dir + "/../share/doc/rigvane/Rigvane.html",
                                "Rigvane.html"};
    for (const QString& p : places)
        if (QFileInfo::exists(p)) return QFileInfo(p).absoluteFilePath();
    return {};
}

} // namespace rigvane
