#pragma once
// rigvane-sim started for one test: serves a simulated radio on a
// pseudo-terminal whose path it prints as its first line.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace rigvane {

// The simulator built beside the tests; empty when it is not there.
inline QString SimPath() {
#ifdef RIGVANE_SIM_PATH
    if (QFile::exists(RIGVANE_SIM_PATH)) return RIGVANE_SIM_PATH;
#endif
    const QString beside = QCoreApplication::applicationDirPath() + "/../rigvane-sim";
    return QFile::exists(beside) ? beside : QString();
}

struct SimTool {
    QProcess process;
    QString Pty;

    bool Start(const QStringList& args) {
        const QString program = SimPath();
        if (program.isEmpty()) return false;
        process.start(program, args);
        if (!process.waitForStarted(5000)) return false;
        while (!process.canReadLine())
            if (!process.waitForReadyRead(5000)) return false;
        Pty = QString::fromUtf8(process.readLine()).trimmed();
        return !Pty.isEmpty();
    }
    void Kill() {
        process.kill();
        process.waitForFinished(5000);
    }
    ~SimTool() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(3000)) process.kill();
            process.waitForFinished(1000);
        }
    }
};

} // namespace rigvane
