#pragma once
// The Host of the running program: the Qt event loop, Qt timers and message
// boxes. It works over a QApplication (windows) and over a bare
// QCoreApplication (no windows: message boxes go to stderr and get their
// default answer).
#include <QElapsedTimer>
#include <QObject>
#include <map>
#include <memory>

#include "core/Host.h"

class QTimer;

namespace rigvane {

class QtHost : public Host {
  public:
    QtHost();
    ~QtHost() override;
    QtHost(const QtHost&) = delete;
    QtHost& operator=(const QtHost&) = delete;

    void Yield() override;
    void WaitForEvents(int ms) override;
    int64_t NowMs() const override;
    LocalDateTime LocalNow() const override;

    TimerId CreateTimer(std::function<void()> onTick) override;
    void SetTimer(TimerId id, int intervalMs, bool enabled) override;
    void CallLater(int ms, std::function<void()> fn) override;
    // Posts an empty event to the main thread: its event wait returns.
    void Wake() override;

    void Beep() override;
    Answer MessageBox(const std::string& title, const std::string& text,
                      MsgIcon icon = MsgIcon::None, Buttons buttons = Buttons::Ok,
                      Answer defaultButton = Answer::Ok) override;

    // The answer a question gets when there are no windows to ask in: the
    // choice that changes nothing (No, Cancel), Ok for a plain notice.
    static Answer HeadlessAnswer(Buttons buttons);

    // Set when the program is ending on a signal: nobody is there to answer,
    // so message boxes are not shown and get the headless answer.
    bool Unattended = false;

  private:
    QElapsedTimer clock_;
    QObject context_; // owns pending CallLater calls; they die with the host
    std::map<TimerId, std::unique_ptr<QTimer>> timers_;
    TimerId nextId_ = 1;
};

} // namespace rigvane
