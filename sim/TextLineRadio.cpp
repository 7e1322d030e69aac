#include "sim/TextLineRadio.h"

namespace rigvane {

std::string TextLineRadio::Handle(const std::string& bytes, int64_t nowMs) {
    const std::string ends = Terminators();
    std::string answer;
    for (char c : bytes) {
        if (ends.find(c) == std::string::npos) {
            if (pending_.size() < MaxLine) pending_ += c;
            continue;
        }
        if (pending_.empty()) continue; // CR LF, or a stray terminator
        std::string command;
        command.swap(pending_);
        Commands.push_back(command);
        answer += Command(command, nowMs);
    }
    return answer;
}

} // namespace rigvane
