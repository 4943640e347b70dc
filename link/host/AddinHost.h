#pragma once
// The add-in's part that the toolbar's macros reach: the commands they
// send, and everything the add-in's forms do with the link engine without
// widgets of their own (search and connect, the logging sheet, the logging
// parameters, start, pause and stop, a single reading, languages, settings,
// and an office that went away). The forms show what this returns.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/DeviceSettingsPage.h"
#include "link/Application.h"
#include "link/host/HostOffice.h"
#include "link/host/HostTexts.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "platform/TextSource.h"

namespace qm::linkhost {

// The toolbar's nine commands.
enum class HostCommand { About, Connect, Files, Funcs, Meas, Chart, Start, Pause, Stop };

// A macro name of either toolbar table (the engine's or the launcher's), in
// any letter case, as the office's Basic compares names.
std::optional<HostCommand> CommandFromMacro(std::string_view macro);

struct InstrumentRow {
    std::string identity;
    std::string address;
};

// What the Logging Charts form sets, with the engine's settings keys.
struct LoggingParameters {
    std::int32_t readings = 100;   // "ReadPoints"
    std::int32_t begin = 1;        // "Begin": 1 at once, 2 at the At Time, 3 on the trigger
    std::string atTime;            // "yyyy/mm/dd hh:nn:ss"
    std::int32_t terminating = 1;  // "Terminating": 1 after the readings, 2 at the stop time, 3 on STOP
    std::string stopHH = "0", stopNN = "1", stopSS = "0";  // "StopTime_HH", "_NN", "_SS"
    std::int16_t chart = 2;        // "Add_Chart": 0 none, 1 all readings, 2 strip chart
    bool inSheet = true;           // "In_Sheet"
    std::int32_t points = 50;      // "NumPoints": the strip chart's window (F8)
    std::int32_t interval = 1000;  // "Interval", ms
};

namespace host_texts {
inline constexpr const char* kProduct = "Varnet QM-Link";
inline constexpr const char* kSettingsInstalled =
    "The settings and language file of Varnet QM-Link was put in place:\n";
}  // namespace host_texts

class AddinHost : public TextSource {
  public:
    AddinHost(Prompter& prompter, Clock& clock, HostOffice& office);

    link::Application& engine() { return engine_; }
    Prompter& prompter() { return prompter_; }
    HostOffice& office() { return office_; }

    // On the first start the shipped settings file is put where the engine
    // looks for it, and the user is told; false when there is none to copy.
    bool EnsureSettingsFile();

    // Language texts through the engine, the English default where the
    // settings file has no such key.
    std::string GetText(std::string_view key, std::string_view englishDefault) const override;
    std::string GetText(const HostText& text) const { return GetText(text.key, text.english); }
    std::vector<std::string> Languages();
    int currentLanguage() const { return language_; }
    void ChooseLanguage(int index);

    // A new search: the identity table from the start.
    const std::vector<InstrumentRow>& Search();
    const std::vector<InstrumentRow>& rows() const { return rows_; }
    bool searched() const { return searched_; }
    // The working instrument by address (empty: none); its session becomes wkSesn.
    void ConnectAddress(const std::string& address);
    const std::string& connectedAddress() const { return connected_; }
    std::string connectedIdentity() const;

    // File Access: a new logging sheet laid out for the engine, handed to it.
    bool MakeLoggingSheet(const SheetChoice& choice);
    bool hasSheet() const { return static_cast<bool>(prepared_.sheet); }
    const std::string& workbookName() const { return prepared_.workbookName; }

    LoggingParameters LoadParameters();
    // The first problem of a form's values, or nullopt when they are fine.
    std::optional<std::string> CheckParameters(const LoggingParameters& p) const;
    void SaveParameters(const LoggingParameters& p);
    // What a run uses: the values kept last time until the form sets others.
    const LoggingParameters& parameters();

    // START (also resumes a paused run), PAUSE, STOP.
    bool Start();
    void Pause();
    void Stop();
    bool loggingActive() const { return engine_.LoggingActive(); }
    // Runs the engine's timer when it is due; notices the end of a run.
    void Tick();

    // Get Single Reading: the reading text ("1.25", or "1.25, 0.5" with a
    // second value); nullopt (after a message) when the meter did not answer.
    std::optional<std::string> SingleReading();

    // Set up Instrument: the Device Settings rules on the connected meter.
    DeviceSettingsLink SetupLink();

    // Checks the office; when it went away: logging stops, every meter
    // session is released and the user is told once. False then.
    bool CheckOffice();
    bool officeLost() const { return officeLost_; }

  private:
    // The engine leaves START disabled on the logging document's bar: the
    // add-in enables it while a run could start (a sheet and a meter, no run).
    void UpdateStartButton();
    std::string Setting(const std::string& key, const std::string& fallback);
    void Save(const std::string& key, const std::string& value);

    Prompter& prompter_;
    Clock& clock_;
    HostOffice& office_;
    mutable link::Application engine_;
    std::vector<InstrumentRow> rows_;
    bool searched_ = false;
    std::string connected_;
    PreparedSheet prepared_;
    LoggingParameters parameters_;
    bool parametersRead_ = false;
    int language_ = 0;
    bool officeLost_ = false;
    bool wasLogging_ = false;
};

}  // namespace qm::linkhost
