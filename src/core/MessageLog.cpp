#include "core/MessageLog.h"

namespace rigvane {

MessageLog::MessageLog(Host& host, FileSlots& slots, Globals& globals)
    : host_(host), slots_(slots), globals_(globals) {}

MessageLog::~MessageLog() {
    CloseLogFile();
}

void MessageLog::Dply(const std::string& text) {
    for (int i = HistorySize - 1; i > 0; --i)
        history_[i] = std::move(history_[i - 1]);
    std::string prefix, body = text;
    if (!body.empty() && body[0] == '*') {
        body.erase(0, 1);
        prefix = "**";
    }
    history_[0] = prefix + FormatMessageTime(host_.LocalNow()) + " :" + body;
    if (OnChanged) OnChanged();
    if (OnLine) OnLine(history_[0]);
    if (globals_.Logging) WriteLog(history_[0]);
}

void MessageLog::Clear() {
    for (auto& line : history_)
        line.clear();
    if (OnChanged) OnChanged();
}

void MessageLog::CloseLogFile() {
    if (logFile_) std::fclose(logFile_);
    logFile_ = nullptr;
    slots_.ReleaseFileSlot(logSlot_);
    logSlot_ = 0;
}

void MessageLog::WriteLog(const std::string& line) {
    if (!logFile_) {
        logSlot_ = slots_.TakeFileSlot();
        // Appended, never replaced: a restart must not erase the hits logged before.
        if (logSlot_ != 0) logFile_ = std::fopen(globals_.LogFile.c_str(), "ab");
        if (!logFile_) {
            DisableLogging("Could Not Open " + globals_.LogFile + " Logging disabled!");
            return;
        }
    }
    const std::string record = line + "\r\n";
    if (std::fwrite(record.data(), 1, record.size(), logFile_) != record.size() ||
        std::fflush(logFile_) != 0) {
        DisableLogging("Error writing " + globals_.LogFile + " Logging disabled!");
    }
}

void MessageLog::DisableLogging(const std::string& message) {
    CloseLogFile();
    globals_.Logging = false;
    if (OnLoggingDisabled) OnLoggingDisabled();
    host_.MessageBox("File Error", message, MsgIcon::Exclamation);
}

} // namespace rigvane
