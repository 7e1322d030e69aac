#pragma once
// The TH-F6A's menu settings as the settings dialog shows them, read from and
// written to the radio one raw command at a time.
#include <array>
#include <string>
#include <vector>

#include "core/Progress.h"
#include "link/RadioDriver.h"

namespace rigvane {

struct Thf6aMenu {
    static constexpr size_t CheckCount = 13;
    static constexpr size_t ListCount = 9;
    std::array<bool, CheckCount> Checks{};
    std::array<int, ListCount> Lists{}; // the list index is the value
    std::array<std::string, 10> DtmfNumbers;
    std::array<std::string, 10> DtmfNames;
    std::array<bool, 8> GroupLinks{};
    int Balance = 2;
    int Contrast = 0;
    std::string PowerOnMessage = "Hello!!";
};

// The command word of each check box and each list, and the list entries.
extern const std::array<const char*, Thf6aMenu::CheckCount> Thf6aCheckCommands;
struct Thf6aList {
    const char* Command;
    std::vector<const char*> Entries;
};
extern const std::array<Thf6aList, Thf6aMenu::ListCount> Thf6aLists;

// Read or write every setting, reporting progress; both stop after the
// current item when progress.Cancel is set and when the radio stops
// answering. True when every item was exchanged.
bool ReadThf6aMenu(DriverContext& ctx, Thf6aMenu& menu, Progress& progress);
bool WriteThf6aMenu(DriverContext& ctx, const Thf6aMenu& menu, Progress& progress);

// The MGL command of a set of group links: a digit for a linked group, a
// blank for one that is not ("MGL 0 2     " for groups 0 and 2).
std::string Thf6aGroupLinkCommand(const std::array<bool, 8>& links);

} // namespace rigvane
