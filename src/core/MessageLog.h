#pragma once
// The program's message lines: a 100-line history (newest first) shown by the
// Message window, each line also appended to the log file while logging is on.
#include <array>
#include <cstdio>
#include <functional>
#include <string>

#include "core/FileSlots.h"
#include "core/Host.h"
#include "core/Settings.h"

namespace rigvane {

class MessageLog {
  public:
    static constexpr int HistorySize = 100;

    MessageLog(Host& host, FileSlots& slots, Globals& globals);
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    // Posts one line. A text starting with "*" is an alert: the "*" is
    // replaced by the prefix "**". Line = prefix + "m/d/yy h:mm:ssa/p :" + text.
    void Dply(const std::string& text);

    // Empties the history ("Clear Messages").
    void Clear();
    // Closes the log file (the next line opens the file named then).
    void CloseLogFile();
    bool LogFileOpen() const { return logFile_ != nullptr; }

    const std::array<std::string, HistorySize>& History() const { return history_; }
    const std::string& Newest() const { return history_[0]; }

    // Observers: the Message window redraws on OnChanged; headless runs print
    // every line from OnLine; the main window clears "Log to File" on
    // OnLoggingDisabled.
    std::function<void()> OnChanged;
    std::function<void(const std::string&)> OnLine;
    std::function<void()> OnLoggingDisabled;

  private:
    void WriteLog(const std::string& line);
    void DisableLogging(const std::string& message);

    Host& host_;
    FileSlots& slots_;
    Globals& globals_;
    std::array<std::string, HistorySize> history_;
    std::FILE* logFile_ = nullptr;
    int logSlot_ = 0;
};

} // namespace rigvane
