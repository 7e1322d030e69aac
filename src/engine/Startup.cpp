#include "engine/Startup.h"

#include "storage/SettingsFile.h"

namespace rigvane {

std::string ScanInitialize(App& app, const std::string& iniPath, const StartupHooks& hooks) {
    Settings& settings = app.settings;

    // 1. No trace or log file open from an earlier run; the settings file path.
    app.link.CloseDebugFile();
    app.link.CloseDebugKeyFile();
    app.log.CloseLogFile();
    settings.IniPath = iniPath.empty() ? DefaultIniPath() : iniPath;

    // 2. Global defaults (database and log names, display font, timings).
    settings.Global = Globals();
    settings.SelectedRadio = 0;

    // 3. The memory tables back to their blank templates.
    app.memory.ClearAllMemory();

    // 4. Both VFOs blank, VFO 0 active and tuned, the saved state blank; the
    // rest of the tuning-state record starts afresh too.
    app.radioState = RadioState();
    RadioState& radio = app.radioState;
    radio.Vfo = {BlankChannel, BlankChannel};
    radio.ActiveVfo = 0;
    radio.Current = radio.Vfo[0];
    radio.SavedState = BlankChannel;

    // 5. The spectrum widths and the time base are constants (CodeTables,
    // Text); resume, delay and priority times came with the global defaults.

    // 6. The one-second timer belongs to the mode engine, which starts it.

    // 7. Window table: every window open, at its default position.
    settings.Windows = Settings::DefaultWindows();

    // 8. The code tables are constants built before main().

    // 9. Radio profiles 0..7 (entry 8 is only listed by the radio selector).
    for (int i = 0; i < ProfileCount; ++i)
        settings.RadioProfiles[i] = RadioProfile();

    // 10. The display font.
    std::string face;
    if (hooks.RegisterDisplayFont) face = hooks.RegisterDisplayFont();
    settings.Global.FreqFont = "Transistor";
    settings.Global.FreqSize = 26;

    // 11. The settings file; a missing file leaves the defaults.
    LoadSettings(settings, app.host);

    // 12. Connection to the selected radio; 13. the frequency database.
    if (hooks.OpenRadio) hooks.OpenRadio(app);
    if (hooks.LoadDatabase && settings.Global.LoadFreq) hooks.LoadDatabase(app);
    return face;
}

} // namespace rigvane
