#pragma once
// DMMLinkQM.Application: the link engine that a spreadsheet add-in creates to
// find meters, keep its settings, serve language texts and log readings into
// a worksheet. The public members below are the automation interface
// _Application (its properties, then its methods, in their fixed order); the
// last few members are for the program that hosts the engine, which calls
// Tick() from its event loop so that the engine's timer can run.
//
// Everything runs on the host's one thread. Nothing here sleeps: the engine
// waits only where the meter makes it wait (a read up to the I/O timeout).
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "sheet/Spreadsheet.h"
#include "visa/visatype.h"

namespace qm::link {

// An automation error raised to the caller (Visual Basic's numbers).
struct AutomationError {
    int number = 0;
    std::string description;
};

inline constexpr int kSubscriptOutOfRange = 9;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kObjectNotSet = 91;

// What the automation methods return: empty, or the error raised.
struct Variant {
    std::optional<AutomationError> error;
    bool ok() const { return !error; }
};

template <class T>
struct Result {
    T value{};
    std::optional<AutomationError> error;
    bool ok() const { return !error; }
};

struct EngineState;

class Application {
  public:
    // The prompter shows every message (title "Varnet QM-Link"); the clock
    // drives the timer and the time stamps. Every Application alive at the
    // same time shares one engine (its parameters, timer and run); the
    // prompter and clock of the one created last serve it, so they must
    // outlive every object of the engine.
    explicit Application(Prompter& prompter, Clock& clock = systemClock());
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // --- properties ---------------------------------------------------------
    ViSession wkSesn = 0;     // the working instrument's session; logging talks to it
    std::int16_t m_DevCount = 0;  // rows in the identity table
    ViFindList fList = 0;     // list of the last search
    ViSession dfltRM = 0;     // resource manager of the last search
    std::string m_IDNbuff;    // identity of the row chosen by GetIDN
    std::string m_IDNAddr;    // its resource name
    ViSession m_IDNSesn = 0;  // its session
    ViSession sesn = 0;       // session most recently opened by the search
    std::int32_t retCount = 0;  // byte count of the last read or write
    double USBRM = 0;         // resource manager of the USB search
    double GPIBRM = 0;        // resource manager of the GPIB search
    double TCPIPRM = 0;       // reserved; closed by RMClose

    // --- methods ------------------------------------------------------------
    // 1
    Variant SetApp(std::shared_ptr<sheet::SpreadsheetApp> app);
    // 2-6
    Variant StartTimer(std::int32_t& m_Interval);
    Variant PauseTimer();
    Variant Stop_Pause();
    Variant Settrigdelay(double trigsec);
    Variant StopTimer();
    // 7-9
    Variant ShowHelp(const std::string& sPath);
    Variant SetWorkbooksName(const std::string& sName);
    Variant SetSheet(std::shared_ptr<sheet::Worksheet> ExcelSheet);
    // 10-13
    std::int32_t GetLanguageCount();
    Result<std::string> GetLanguage(std::int32_t m_Index);
    Variant SetLanguage(std::int32_t m_Index);
    std::string GetIdText(const std::string& id);
    // 14-21
    Variant SetNumberOfReading(std::int32_t m_count);
    std::int16_t GetExlVersion();
    Variant AddChart(std::int16_t& val1, bool& val2);
    Variant SetAtTime(const std::string& var);
    Variant SetBegin(std::int32_t iVal);
    Variant SetTerimnatingUpon(std::int32_t iVal);
    Variant SetStopTime(const std::string& StopHour, const std::string& StopMin,
                        const std::string& StopSec);
    Variant SaveSetting();
    // 22-24
    std::string LoadSetting(std::string& val1, std::string& val2);
    Variant SaveSetting1(std::string& val1, std::string& val2);
    std::string GetINI();
    // 25-29
    Variant FindDevice();
    Variant FindRsrc(const std::string& add0, const std::string& add1);
    Variant GetDevSesn(std::int32_t nList, std::int32_t dfltRM, const std::string& rsrcName);
    Variant GetIDN(std::int16_t i);
    void RMClose();

    // --- for the host -------------------------------------------------------
    // Runs the engine's timer if it is due; call it often (every 10 ms or
    // whenever NextTickIn() says).
    void Tick();
    // Time until the timer is next due; nullopt when no timer runs.
    std::optional<std::chrono::milliseconds> NextTickIn() const;
    // True from StartTimer until logging stops (also while paused or waiting).
    bool LoggingActive() const;
    // The running flag: readings are taken (or awaited) now.
    bool Running() const;
    // Worksheet row of the next reading.
    int RowCounter() const;
    // Readings written by the current run, or by the last one once it stopped.
    int ReadingsLogged() const;
    // Cell of identity table row i (0..255), column 0..3; empty outside.
    std::string IdentityCell(int row, int column) const;
    // The add-in's command bar as the engine last set it (the add-in sets
    // some states of its own on the same bar).
    std::vector<sheet::CommandBarControl> CommandBarControls() const;

  private:
    std::shared_ptr<EngineState> engine_;
    struct Search;
    std::unique_ptr<Search> search_;
};

}  // namespace qm::link
