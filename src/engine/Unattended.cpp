// What lets the engine run unattended: bringing back a radio that dropped
// and resuming the running mode, the statistics, and the hit journal.
#include <algorithm>
#include <cstdio>

#include "core/CodeTables.h"
#include "engine/Engine.h"

namespace rigvane {

namespace {

const char* ModeCaption(int mode) {
    switch (mode) {
    case ModeScan:
        return "Memory Scan";
    case ModeTurboScan:
        return "Turbo-Scan";
    case ModeSearch:
        return "Search";
    case ModeTurboSearch:
        return "Turbo-Search";
    default:
        return "Manual Mode";
    }
}

std::string DateTimeText(const LocalDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day, t.Hour,
                  t.Minute, t.Second);
    return buf;
}

} // namespace

bool Engine::RadioDropped() const {
    return app_.settings.Global.Reconnect && reconnect_.Dropped();
}

void Engine::ReconnectPass() {
    RadioState& rs = app_.radioState;
    if (!reconnect_.Recovering()) {
        // The loss itself was reported by the link, once. The mode left its
        // place behind: the scan already stepped past the channel it was on.
        resume_.ChannelNo = rs.CurrentChannel;
        resume_.Bank = state_.Bank;
        resume_.State = rs.Current;
        SignalOff();
        SigDisplay();
        reconnect_.Begin();
    }
    const int64_t now = app_.host.NowMs();
    if (now < reconnect_.NextAttemptMs()) {
        // Windows and timers run meanwhile; any event ends the wait.
        app_.host.WaitForEvents(int(std::min<int64_t>(reconnect_.NextAttemptMs() - now, 250)));
        return;
    }
    if (reconnect_.Step() != Reconnector::Result::Recovered) return;
    // Opening the radio reset the channel and the tuning state: put back
    // where the mode was, so it carries on from there.
    rs.CurrentChannel = resume_.ChannelNo;
    state_.Bank = resume_.Bank;
    rs.Current = resume_.State;
    const int mode = state_.Mode;
    const int64_t seconds = (app_.host.NowMs() - reconnect_.LostSinceMs() + 500) / 1000;
    app_.log.Dply("Radio reconnected after " + std::to_string(seconds) + " s: resuming " +
                  ModeCaption(mode));
    resumingSearch_ = IsSearchMode(mode);
    if (mode == ModeManual) ApplyState(); // the radio may have come back elsewhere
    DisplayVfo();
    DisplayChannel();
}

// ---------------------------------------------------------------------------
// Statistics

void Engine::UpdateRates() {
    // Visits over the last five seconds (fewer just after start).
    const std::pair<int64_t, int64_t> now{app_.host.NowMs(), state_.Stats.Visits};
    const size_t n = visitSamples_.size();
    if (visitSampleCount_ < int(n)) {
        visitSamples_[size_t(visitSampleCount_++)] = now;
    } else {
        std::rotate(visitSamples_.begin(), visitSamples_.begin() + 1, visitSamples_.end());
        visitSamples_[n - 1] = now;
    }
    const auto& oldest = visitSamples_[0];
    const int64_t ms = now.first - oldest.first;
    state_.Stats.ChannelsPerSecond =
        ms > 0 ? double(now.second - oldest.second) * 1000.0 / double(ms) : 0;
}

std::string Engine::StatisticsLine() const {
    const LinkStats& l = app_.link.Stats;
    const ScanStats& e = state_.Stats;
    char buf[320];
    std::snprintf(buf, sizeof buf,
                  "%.1f channels/s, %lld visits, %lld hits; %lld exchanges, %lld bytes out, "
                  "%lld bytes in, %lld retries, %lld time-outs, latency %lld ms (mean %lld ms)",
                  e.ChannelsPerSecond, (long long)e.Visits, (long long)e.Hits,
                  (long long)l.Exchanges, (long long)l.BytesSent, (long long)l.BytesReceived,
                  (long long)l.Retries, (long long)l.Timeouts,
                  (long long)std::max<int64_t>(0, l.LastLatencyMs),
                  (long long)std::max<int64_t>(0, l.MeanLatencyMs()));
    return buf;
}

// ---------------------------------------------------------------------------
// The hit journal

HitRecord Engine::BeginJournalRecord() {
    const RadioState& rs = app_.radioState;
    const RadioProfile& prof = app_.settings.Selected();
    HitRecord r;
    r.Start = DateTimeText(app_.host.LocalNow());
    r.Channel = hitStored_ ? CurrentChannel() : -1;
    r.Frequency = rs.Current.Frequency;
    r.Mode = rs.Current.Mode < ModeNames.size() ? ModeNames[rs.Current.Mode] : "";
    r.Level = rs.SignalLevel;
    r.Service = hitStored_ ? app_.memory.Channels[CurrentChannel()].Service : rs.Current.Service;
    if (r.Service.empty()) r.Service = app_.database.DbLookup(r.Frequency);
    r.Radio = ModelName(prof.Protocol, prof.Model);
    return r;
}

void Engine::EndJournalRecord(HitRecord& record, int64_t startMs) {
    record.DurationS = double(app_.host.NowMs() - startMs) / 1000.0;
    const Globals& g = app_.settings.Global;
    app_.journal.SetPath(JournalPathFor(g.Journal, g.LogFile));
    std::string error;
    if (app_.journal.Append(record, &error)) {
        journalFailing_ = false;
    } else if (!journalFailing_) {
        journalFailing_ = true; // said once until it works again
        app_.log.Dply("*Hit journal not written: " + error);
    }
}

bool Engine::ExportJournal(const std::string& path) {
    std::string error;
    if (!app_.journal.Export(path, &error)) {
        app_.host.MessageBox("File Error", "Cannot write " + path + "\r" + error,
                             MsgIcon::Exclamation, Buttons::Ok);
        return false;
    }
    app_.log.Dply("Hit journal written to " + path + " (" +
                  std::to_string(app_.journal.Records().size()) + " hits)");
    return true;
}

} // namespace rigvane
