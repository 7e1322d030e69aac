#pragma once
// The AOR AR3000A driver, protocol 3: the AR3000A (model 0) and the older
// AR3000 (model 1), which takes commands but never answers. Commands are
// short ASCII words ending in a carriage return; answers are words separated
// by blanks, carriage returns, line feeds and ">" prompts, read word by word.
// Memories are four banks of 100 channels, selected with "nX".
#include <cstdint>
#include <string>
#include <vector>

#include "link/RadioDriver.h"

namespace rigvane {

// The family's driver (one object serves every profile of the family).
RadioDriver& Ar3000aFamily();

// The words of an answer, read as they arrive. One reader per operation.
struct Ar3000aWords {
    static constexpr int RecallCode = 3, ReadCode = 50, LoadCode = 51, SignalCode = 52;

    int OpCode = ReadCode;
    int Model = 0;
    int ChannelInBank = 0; // the channel a load asked for (0..99)

    // Cleans `residue` of prompts and line ends and reads every complete
    // word (one followed by a blank) into `cur` and `signal`; an unfinished
    // tail stays in `residue` for the next read. Done once the answer the
    // operation waits for has been read.
    void Read(std::string& residue, Channel& cur, uint8_t& signal);
    bool Done = false;
    // Words no rule takes, for the trace.
    std::vector<std::string> Unprocessed;

  private:
    void Word(const std::string& word, Channel& cur, uint8_t& signal);
    int state_ = 0; // 1 a word was consumed, 2 skip the next, 3 after W/X, 5 a frequency follows
};

} // namespace rigvane
