// The listening and scanning work of the mode engine: the signal check with
// hit recording, the signal meter, the memory scan with its priority check and
// the frequency search.
#include <algorithm>
#include <cstdio>

#include "core/CodeTables.h"
#include "engine/Engine.h"

namespace rigvane {

// ---------------------------------------------------------------------------
// Meter, "off" button, light

std::array<uint32_t, MeterLabels> Engine::MeterColours(int level, int threshold) {
    std::array<uint32_t, MeterLabels> colours{};
    for (int i = MeterLabels - 1; i >= 0; --i) {
        if (threshold > i)
            colours[i] = MeterThresholdColour;
        else if (level > i)
            colours[i] = MeterSignalColour;
        else
            colours[i] = MeterIdleColour;
    }
    return colours;
}

void Engine::SigDisplay() {
    const RadioState& rs = app_.radioState;
    const int level = rs.SignalLevel, threshold = rs.SignalThreshold;
    if (level == state_.LastShownLevel && threshold == state_.LastShownThreshold) return;
    view_->SignalDisplay(level, threshold, MeterColours(level, threshold));
    if (level > 0)
        view_->SpectrumBar(rs.Current.Frequency, level, MeterSignalColour);
    else
        view_->SpectrumBar(rs.Current.Frequency, state_.LastShownLevel, MeterThresholdColour);
    state_.LastShownLevel = uint8_t(level);
    state_.LastShownThreshold = uint8_t(threshold);
}

void Engine::TurnSignalOff() {
    RadioState& rs = app_.radioState;
    if (rs.SignalThreshold > 0) {
        rs.SignalThreshold = 0;
        SigDisplay();
        return;
    }
    if (rs.SignalLevel > 0) state_.Abort = true;
    rs.SignalLevel = 0;
}

void Engine::SignalOff() {
    RadioState& rs = app_.radioState;
    if (rs.SignalLevel > 0) state_.Abort = true;
    rs.SignalLevel = 0;
}

void Engine::MeterClick(int i) {
    if (i < 0 || i >= MeterLabels) return;
    RadioState& rs = app_.radioState;
    const FamilyCaps& caps = app_.link.CapsFor(app_.settings.Selected().Protocol);
    if (caps.UsesPort || caps.OwnConnection) {
        if (rs.SignalLevel < i) rs.SignalLevel = 0;
        rs.SignalThreshold = uint8_t(i + 1);
    } else { // the test radio: a click is a simulated signal
        rs.SignalLevel = uint8_t(i + 1);
    }
    SigDisplay();
}

void Engine::RefreshLight(bool force) {
    if (force) state_.LastLight = -1;
    if (state_.LightSwitch == state_.LastLight) return;
    RadioState& rs = app_.radioState;
    rs.LightOn = state_.LightSwitch == 2 || (state_.LightSwitch == 1 && rs.SignalLevel > 0);
    app_.radio.SetLight();
    state_.LastLight = state_.LightSwitch;
    view_->VfoBackground();
}

std::string Engine::HitLine(int channel, const Channel& state, int level) {
    const int mode = state.Mode < ModeNames.size() ? state.Mode : 0;
    return "CH " + ZeroPadded(channel, 3) + " " + FreqToText(state.Frequency) + " " +
           ModeNames[mode] + " S" + ZeroPadded(level, 2);
}

// ---------------------------------------------------------------------------
// The signal check

void Engine::SignalCheck() {
    RadioState& rs = app_.radioState;
    const Globals& g = app_.settings.Global;
    // A mode request or a stop that came while the channel was being tuned
    // set an abort flag that is cleared below; the mode it left behind, and
    // the stop request, still end the check at once.
    const int entryMode = state_.Mode;
    state_.DelayCountdown = 0;
    state_.Abort = false;
    bool recompute = true;
    // The listening window is a time on the host clock. Its reads come one
    // per slot of Timeout + 1 ms (the window's length divided into as many
    // reads as the user's settings ask for), and the channel is held to the
    // window's end however fast the radio answers; reads slower than a slot
    // follow one another, and the window still ends on time.
    int64_t slot = 1, windowStart = 0, windowEnd = 0, nextRead = 0;
    int64_t loopCount = 0, readsLeft = 0;
    int step = 1;
    hitStored_ = true;
    // The journal record of the hit being heard; written when it ends.
    HitRecord hit;
    bool hitOpen = false;
    int64_t hitStartMs = 0;
    while (step != 5 && state_.Mode == entryMode && !app_.link.Stopping && !RadioDropped()) {
        const RadioProfile& prof = app_.settings.Selected();
        if (recompute) {
            const int64_t window = state_.DelayCountdown != 0
                                       ? int64_t(state_.DelayCountdown) * 1000
                                       : int64_t(g.Speed) * 20;
            slot = std::max<int64_t>(1, int64_t(prof.Timeout) + 1);
            loopCount = window / slot;
            readsLeft = std::max<int64_t>(1, loopCount);
            windowStart = nextRead = app_.host.NowMs();
            windowEnd = windowStart + window;
            recompute = false;
            Trace("Signal Check (loop count=" + SignedText(loopCount) + ") " +
                  FormatMessageTime(app_.host.LocalNow()));
        }
        const int64_t stepStart = app_.host.NowMs();
        if (step == 1) {
            if (stepStart < nextRead) {
                // Between the window's reads: wait, with events running.
                app_.host.WaitForEvents(int(std::min<int64_t>(nextRead - stepStart, IdleWaitMs)));
            } else if (readsLeft < 1) {
                step = 5; // the window is over
            } else {
                app_.radio.ReadSignal();
                if (rs.SignalLevel == 0) {
                    // No radio paces the reads: each takes a slot.
                    if (!RadioReachable())
                        IdleWait(stepStart, int(std::clamp<int64_t>(slot, 1, 1000)));
                    const int64_t now = app_.host.NowMs();
                    if (--readsLeft < 1 || now >= windowEnd) {
                        readsLeft = 0;
                        nextRead = windowEnd; // the last read: hold to the window's end
                    } else {
                        nextRead = windowStart + (loopCount - readsLeft) * slot;
                    }
                    if (now >= nextRead && readsLeft < 1) step = 5;
                } else {
                    step = 2;
                }
            }
        } else if (step == 2) {
            hitStartMs = app_.host.NowMs();
            const uint8_t heard = rs.SignalLevel; // a click meanwhile may clear it
            RecordHitBegin();
            hit = BeginJournalRecord();
            hit.Level = std::max<int>(hit.Level, heard);
            hitOpen = true;
            step = 3;
        } else {
            SigDisplay();
            if (state_.LightSwitch != state_.LastLight) RefreshLight(false);
            const int mode = state_.Mode;
            Channel& ch = app_.memory.Channels[CurrentChannel()];
            if (mode >= ModeScan && mode <= ModeTurboSearch) {
                // A search hit that no channel holds skips only what needs a
                // channel record; the "Resume" box still lets go of it.
                if (hitStored_) {
                    if (!NoLog()) {
                        ch.Signal = rs.SignalLevel;
                        ch.ActiveTime = state_.SecondsOnChannel;
                        view_->ChannelChanged(CurrentChannel());
                    }
                    if (!ch.Valid) SignalOff();
                }
                if (((hitStored_ && ch.Resume) || g.SigRsm != 0) && !state_.PriorityCheck) {
                    view_->ResumeLabel(state_.ResumeCountdown);
                    if (rs.SignalLevel > 0 && state_.ResumeCountdown < 1) SignalOff();
                }
            }
            if (!state_.Abort)
                app_.radio.ReadSignal();
            else
                rs.SignalLevel = 0; // a set abort flag ends the signal
            if (hitOpen) hit.Level = std::max<int>(hit.Level, rs.SignalLevel);
            if (rs.SignalLevel == 0) {
                if (hitOpen) EndJournalRecord(hit, hitStartMs);
                hitOpen = false;
                SigDisplay();
                RefreshLight(true);
                step = 1;
                state_.DelayCountdown = ch.Delay ? g.DlyTime : 0;
                recompute = true;
                if (state_.Abort) step = 5;
            } else {
                app_.link.RadioDelay();
                if (!RadioReachable()) IdleWait(stepStart, IdleWaitMs);
            }
        }
        YieldNow();
        if (IsScanMode(state_.Mode) && g.Priority && !state_.PriorityCheck &&
            state_.PriorityCountdown == 0)
            PriorityCheck();
    }
    // Left while the signal lasted (a stop, a mode change, the radio dropped).
    if (hitOpen) EndJournalRecord(hit, hitStartMs);
    Trace("End Signal Check " + FormatMessageTime(app_.host.LocalNow()));
    state_.Abort = false;
}

void Engine::RecordHitBegin() {
    RadioState& rs = app_.radioState;
    Memory& mem = app_.memory;
    const Globals& g = app_.settings.Global;
    const int mode = state_.Mode;
    ++state_.Stats.Hits;
    state_.SecondsOnChannel =
        mode >= ModeScan && mode <= ModeTurboSearch ? mem.Channels[CurrentChannel()].ActiveTime : 0;
    // In a search the hit has a channel only once it is stored in one.
    hitStored_ = !(NoLog() && IsSearchMode(mode));
    if (!NoLog()) {
        if (IsSearchMode(mode)) {
            int found = -1;
            for (int i = 1; i < ChannelCount && found < 0; ++i)
                if (mem.Channels[i].Frequency == rs.Current.Frequency) found = i;
            if (found < 0) {
                for (int i = 1; i < ChannelCount && found < 0; ++i)
                    if (mem.Channels[i].Frequency == 0) found = i;
                if (found >= 0) {
                    rs.Current.Valid = true;
                    mem.Channels[found] = rs.Current;
                }
            }
            if (found < 0) {
                app_.log.Dply("Cannot log frequency! No more channels!");
                hitStored_ = false;
            } else {
                rs.CurrentChannel = int16_t(found);
            }
        }
        if (hitStored_) {
            Channel& ch = mem.Channels[CurrentChannel()];
            if (ch.Count < INT16_MAX) ++ch.Count;
            ch.TimeStamp = StampFromDateTime(app_.host.LocalNow());
            mem.MemoryEdited = true;
        }
    }
    const int channel = CurrentChannel();
    Channel& ch = mem.Channels[channel];
    if (UseRadioMemories()) {
        const Channel saved = ch;
        rs.Current = saved;
        rs.Current.Service.clear();
        app_.radio.ReadRadioState();
        if (rs.Current.Service.empty() && saved.Frequency == rs.Current.Frequency)
            rs.Current.Service = saved.Service;
        if (!NoLog() && hitStored_) ch = rs.Current;
    } else {
        app_.radio.ReadRadioState();
    }
    DisplayVfo();
    if (hitStored_) view_->ChannelChanged(channel); // its count and time stamp
    if (g.MemSync == 1) view_->ShowChannelInEditor(channel);
    app_.log.Dply(HitLine(channel, rs.Current, rs.SignalLevel));
    state_.ResumeCountdown = g.RsmTime;
    view_->ResumeLabel(state_.ResumeCountdown);
    if (hitStored_ && ch.Service.empty() && !NoLog()) {
        ch.Service = app_.database.DbLookup(ch.Frequency);
        if (!ch.Service.empty()) view_->ChannelChanged(channel);
    }
    RefreshLight(true);
}

// ---------------------------------------------------------------------------
// The memory scan

bool Engine::TuneToChannel(int channel) {
    RadioState& rs = app_.radioState;
    channel = ClampChannel(channel);
    rs.CurrentChannel = int16_t(channel);
    rs.TuneRefused = false;
    if (UseRadioMemories()) {
        app_.radio.RecallChannel();
        return TuneAccepted("channel " + ZeroPadded(channel, 3));
    }
    rs.Current = app_.memory.Channels[channel];
    DisplayVfo();
    ApplyState();
    return TuneAccepted("channel " + ZeroPadded(channel, 3) + " (" +
                        TrimBlanks(FreqToText(rs.Current.Frequency)) + ")");
}

bool Engine::TuneAccepted(const std::string& what) {
    RadioState& rs = app_.radioState;
    if (!rs.TuneRefused) {
        refusing_ = false;
        return true;
    }
    // The radio is not there: the next apply must send the frequency again.
    rs.LastSent.Frequency = -1;
    // Cut short by the stop or by the radio dropping, not refused.
    if (app_.link.Stopping || RadioDropped()) return false;
    // Once per run of refusals; a scan coming back to the same refused
    // channel on every round says it once.
    if (!refusing_ && reportedRefusals_.insert(what).second)
        app_.log.Dply("Radio refused " + what + ": not listened to");
    refusing_ = true;
    return false;
}

void Engine::StopScan(const char* title, const char* text) {
    app_.host.MessageBox(title, text, MsgIcon::Exclamation, Buttons::Ok);
    SelectManual();
}

void Engine::MemoryScan() {
    RadioState& rs = app_.radioState;
    Memory& mem = app_.memory;
    const Globals& g = app_.settings.Global;
    auto clampToRadio = [&] {
        const RadioProfile& prof = app_.settings.Selected();
        if (rs.CurrentChannel < prof.MinChan) rs.CurrentChannel = prof.MinChan;
        if (rs.CurrentChannel > prof.MaxChan) rs.CurrentChannel = prof.MaxChan;
        rs.CurrentChannel = int16_t(ClampChannel(rs.CurrentChannel));
    };
    rs.CurrentChannel = int16_t(ClampChannel(rs.CurrentChannel));
    state_.Bank = int16_t(ClampBank(state_.Bank));
    if (UseRadioMemories()) clampToRadio();
    state_.PriorityCountdown = g.PriorTime;
    state_.PriorityCheck = false;
    reportedRefusals_.clear();
    int startChannel = rs.CurrentChannel;
    int startBank = state_.Bank;
    int steps = 0;
    idlePasses_ = 0;
    auto nextBank = [&] {
        state_.Bank = int16_t(state_.Bank + 1 > BankCount - 1 ? 0 : state_.Bank + 1);
        rs.CurrentChannel = int16_t(ClampChannel(mem.ScanBanks[state_.Bank].Lower));
    };

    // A radio that dropped ends the pass; the scan goes on from the channel
    // after this one once the radio is back.
    while (IsScanMode(state_.Mode) && !RadioDropped()) {
        const int64_t passStart = app_.host.NowMs();
        bool visited = false;
        // 1. Bank search.
        if (g.UseBanks) {
            bool found = false;
            while (!found && IsScanMode(state_.Mode)) {
                ++steps;
                const Channel& bank = mem.ScanBanks[state_.Bank];
                if (bank.Valid) {
                    const int direction = bank.Lower > bank.Upper ? -1 : 1;
                    state_.ScanDirection = int16_t(direction);
                    if (UseRadioMemories()) clampToRadio();
                    const int low = std::min(bank.Lower, bank.Upper);
                    const int high = std::max(bank.Lower, bank.Upper);
                    const int channel = rs.CurrentChannel;
                    if (channel < low || channel > high || channel < 0 ||
                        channel > ChannelCount - 1)
                        nextBank();
                    else if (mem.Channels[channel].Valid)
                        found = true;
                    else
                        rs.CurrentChannel = int16_t(channel + direction);
                } else {
                    nextBank();
                }
                if (found) {
                    view_->BankLabel(state_.Bank);
                    startBank = state_.Bank;
                    steps = 0;
                } else if ((state_.Bank == startBank && rs.CurrentChannel == startChannel) ||
                           steps > 999) {
                    StopScan("No Banks", "Must have at least 1 valid bank! Scan Terminated!");
                    return;
                }
                YieldNow();
            }
            if (!found) break;
        }
        // 2. Visit.
        const int channel = ClampChannel(rs.CurrentChannel);
        const Channel& ch = mem.Channels[channel];
        if (ch.Valid && ch.Frequency > 0 && IsScanMode(state_.Mode) &&
            (!ch.Trunked || g.TrnkSMode)) {
            rs.CurrentChannel = int16_t(channel);
            DisplayChannel();
            steps = 0;
            startChannel = channel;
            // A channel the radio refused is not a visit: nothing is heard there.
            if (TuneToChannel(channel)) {
                ++state_.Stats.Visits;
                SignalCheck();
            }
            visited = true;
        }
        // 3. Yield.
        YieldNow();
        if (!IsScanMode(state_.Mode)) break;
        // 4. Step to the next valid channel, wrapping.
        int next = rs.CurrentChannel;
        do {
            next += state_.ScanDirection < 0 ? -1 : 1;
        } while (next >= 0 && next <= ChannelCount - 1 && !mem.Channels[next].Valid);
        if (UseRadioMemories()) {
            const RadioProfile& prof = app_.settings.Selected();
            if (next < prof.MinChan) next = prof.MaxChan;
            if (next > prof.MaxChan) next = prof.MinChan;
            next = ClampChannel(next);
        } else {
            if (next > ChannelCount - 1) next = 0;
            if (next < 0) next = ChannelCount - 1;
        }
        rs.CurrentChannel = int16_t(next);
        // 5. Back where the last visit was: fewer than two channels to scan.
        if ((next == startChannel && state_.Bank == startBank) || steps > 9999) {
            StopScan("No Channels", "Must have at least 2 valid channels! Scan Terminated!");
            return;
        }
        // Passes that never reach the radio must not spin a core.
        if (visited) {
            idlePasses_ = 0;
        } else if (++idlePasses_ >= 100) {
            IdleWait(passStart, 10);
        }
    }
}

void Engine::PriorityCheck() {
    RadioState& rs = app_.radioState;
    view_->PriorityFieldHighlight(true);
    const uint8_t savedLevel = rs.SignalLevel;
    const int savedChannel = CurrentChannel();
    const int32_t savedDelay = state_.DelayCountdown;
    const int32_t savedOnChannel = state_.SecondsOnChannel;
    const int32_t savedResume = state_.ResumeCountdown;
    const bool savedStored = hitStored_;
    state_.PriorityCheck = true;
    if (rs.SignalLevel > 0) SignalOff();
    const int priority = ClampChannel(app_.settings.Global.PriorityChannel);
    rs.CurrentChannel = int16_t(priority);
    DisplayChannel();
    if (TuneToChannel(priority)) SignalCheck();
    rs.CurrentChannel = int16_t(savedChannel);
    rs.SignalLevel = savedLevel;
    SigDisplay();
    DisplayChannel();
    TuneToChannel(savedChannel);
    view_->PriorityFieldHighlight(false);
    state_.PriorityCountdown = app_.settings.Global.PriorTime;
    state_.DelayCountdown = savedDelay;
    state_.SecondsOnChannel = savedOnChannel;
    state_.ResumeCountdown = savedResume;
    state_.PriorityCheck = false;
    hitStored_ = savedStored;
}

// ---------------------------------------------------------------------------
// The frequency search

void Engine::FrequencySearch() {
    RadioState& rs = app_.radioState;
    Memory& mem = app_.memory;
    const Globals& g = app_.settings.Global;
    // A search that carries on after the radio came back says nothing new.
    if (!resumingSearch_)
        app_.log.Dply(state_.Mode == ModeTurboSearch ? "Starting Turbo-Search Mode"
                                                     : "Starting Search Mode");
    resumingSearch_ = false;
    if (rs.SignalLevel > 0) SignalOff();
    // Without banks the search runs over the part of the scale the radio has.
    const RadioProfile& radio = app_.settings.Selected();
    const int64_t lower = std::max<int64_t>(g.TuneLower, radio.MinFreq);
    const int64_t upper = std::max<int64_t>(lower, std::min<int64_t>(g.TuneUpper, radio.MaxFreq));
    int64_t f = rs.Current.Frequency;
    if (f > upper || f < lower) f = lower; // a start outside the radio's range: its bottom
    rs.Current.Frequency = int32_t(f);
    reportedRefusals_.clear();
    int wraps = 0;
    bool inRange = false;
    state_.Bank = int16_t(ClampBank(state_.Bank));

    while (IsSearchMode(state_.Mode) && !RadioDropped()) {
        // 1. Bank search.
        if (g.UseBanks) {
            bool usable = false;
            while (IsSearchMode(state_.Mode)) {
                const RadioProfile& prof = app_.settings.Selected();
                const Channel& bank = mem.SearchBanks[state_.Bank];
                if (bank.Valid) {
                    inRange = prof.MinFreq <= f && f <= prof.MaxFreq;
                    if (inRange) wraps = 0;
                    const bool within = bank.Lower > bank.Upper
                                            ? bank.Upper <= f && f <= bank.Lower
                                            : bank.Lower <= f && f <= bank.Upper;
                    usable = within && inRange;
                } else {
                    usable = false;
                }
                if (usable) {
                    view_->BankLabel(state_.Bank);
                    break;
                }
                state_.Bank = int16_t(state_.Bank + 1 > BankCount - 1 ? 0 : state_.Bank + 1);
                const Channel& next = mem.SearchBanks[state_.Bank];
                f = next.Lower;
                rs.Current.Frequency = int32_t(f);
                rs.Current.Mode = next.Mode;
                rs.Current.Step = next.Step;
                if (state_.Bank == 0) ++wraps;
                if (wraps > 3) {
                    SelectManual();
                    app_.host.MessageBox("No Banks",
                                         inRange ? "No Valid Banks.\rSearch Terminated!"
                                                 : "No Banks within range of Radio.\rSearch "
                                                   "Terminated!",
                                         MsgIcon::Exclamation, Buttons::Ok);
                    return;
                }
            }
            if (!usable) break;
        }
        // 2. Visit: only a frequency the radio took is listened to.
        rs.Current.Frequency = int32_t(f);
        DisplayVfo();
        rs.TuneRefused = false;
        ApplyState();
        if (f > 0 && TuneAccepted("frequency " + TrimBlanks(FreqToText(int32_t(f))))) {
            ++state_.Stats.Visits;
            SignalCheck();
        }
        YieldNow();
        // 3. Step.
        if (g.UseBanks) {
            const Channel& bank = mem.SearchBanks[state_.Bank];
            rs.Current.Step = bank.Step;
            rs.Current.Mode = bank.Mode;
            f = bank.Lower > bank.Upper ? f - bank.Step : f + bank.Step;
            f = std::clamp<int64_t>(f, -1, int64_t(NoFrequency) + 1);
        } else {
            f += int64_t(state_.SearchDirection < 0 ? -1 : 1) * rs.Current.Step;
            if (f > upper) f = lower;
            if (f < lower) f = upper;
        }
        rs.Current.Frequency = int32_t(f);
    }
}

} // namespace rigvane
