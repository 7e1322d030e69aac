#include "qt/QtHost.h"

#include <QApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

namespace rigvane {

namespace {
bool HaveWidgets() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}
} // namespace

QtHost::QtHost() {
    clock_.start();
}

QtHost::~QtHost() = default;

void QtHost::Yield() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtHost::WaitForEvents(int ms) {
    if (ms <= 0) {
        Yield();
        return;
    }
    // Blocks in the event dispatcher (no spinning) until an event arrives; a
    // wake timer of our own bounds the wait. Each call has its own timer, so a
    // wait nested inside an event handler cannot cancel the outer one's.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(ms);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

int64_t QtHost::NowMs() const {
    return clock_.elapsed();
}

LocalDateTime QtHost::LocalNow() const {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

Host::TimerId QtHost::CreateTimer(std::function<void()> onTick) {
    const TimerId id = nextId_++;
    auto timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, [tick = std::move(onTick)] { tick(); });
    timers_[id] = std::move(timer);
    return id;
}

void QtHost::SetTimer(TimerId id, int intervalMs, bool enabled) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    QTimer& timer = *it->second;
    if (!enabled || intervalMs <= 0) {
        timer.stop();
        return;
    }
    timer.setTimerType(intervalMs < 100 ? Qt::PreciseTimer : Qt::CoarseTimer);
    timer.start(intervalMs); // (re)starts the period
}

void QtHost::CallLater(int ms, std::function<void()> fn) {
    QTimer::singleShot(ms > 0 ? ms : 0, &context_, std::move(fn));
}

void QtHost::Wake() {
    // A queued call into an object of the main thread posts an event, which
    // wakes the event dispatcher wherever it waits.
    QMetaObject::invokeMethod(
        &context_, [] {}, Qt::QueuedConnection);
}

void QtHost::Beep() {
    if (HaveWidgets()) QApplication::beep();
}

Answer QtHost::HeadlessAnswer(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::YesNoCancel:
    case Buttons::OkCancel:
        return Answer::Cancel;
    }
    return Answer::Ok;
}

Answer QtHost::MessageBox(const std::string& title, const std::string& text, MsgIcon icon,
                          Buttons buttons, Answer defaultButton) {
    if (!HaveWidgets() || Unattended) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        return HeadlessAnswer(buttons);
    }
    QMessageBox box;
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(text));
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    }
    switch (EffectiveDefault(buttons, defaultButton)) {
    case Answer::Ok:
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case Answer::Yes:
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case Answer::No:
        box.setDefaultButton(QMessageBox::No);
        break;
    case Answer::Cancel:
        box.setDefaultButton(QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Ok:
        return Answer::Ok;
    default: // closed with Escape or the close box
        return buttons == Buttons::Ok ? Answer::Ok : HeadlessAnswer(buttons);
    }
}

} // namespace rigvane
