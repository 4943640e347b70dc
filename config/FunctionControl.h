#pragma once
// Function and range control of the main window without its widgets: the
// function buttons, the two status lines, the second-function combo, the
// device lines' function names, and the Reading Speed and X-Max choices.
// The Qt window and qmcli both drive this one object and show what its
// handlers return; they compute none of it themselves.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/FunctionDisplay.h"
#include "config/FunctionTable.h"
#include "config/SecondFunction.h"
#include "instrument/Slots.h"
#include "platform/Prompter.h"
#include "platform/TextSource.h"

namespace qm {

inline constexpr int kSlotCount = kMaxSessions;  // device slots 0..7
inline constexpr int kDeviceLineCount = 4;

inline constexpr std::array<std::string_view, 6> g_readingSpeedEntries{"25ms",  "50ms",   "100ms",
                                                                       "500ms", "1000ms", "2000ms"};
inline constexpr std::array<std::string_view, 6> g_xMaxEntries{"50 readings",   "100 readings",
                                                               "200 readings",  "500 readings",
                                                               "1000 readings", "2000 readings"};
inline constexpr int kDefaultXMaxEntry = 1;

// The shared query operation on a device slot (see QueryFn), and a slot's
// identification text (empty for an unknown slot).
using SlotQueryFn = std::function<std::string(int slot, const std::string& command)>;
using SlotIdentityFn = std::function<std::string(int slot)>;

// What a status refresh leaves on the screen. changed == false: leave every
// control as it is.
struct FunctionDisplayUpdate {
    bool changed = false;
    int row = -1;
    std::string functionText;  // static 1015
    std::string rangeText;     // static 1016
    // Function names of the shown device lines; the page first hides the
    // second-value controls of all four lines, then shows those marked here.
    std::vector<SecondValueLine> lines;
    std::optional<SecondFunctionList> secondList;  // combo 1019, when rebuilt
};

struct FunctionButtonResult {
    bool sent = false;  // false: refused, nothing was sent
    // When sent: the main value of device line 1 (901) reads "0" again.
    FunctionDisplayUpdate display;
};

struct SecondFunctionRebuild {
    SecondFunctionList list;
    std::vector<SecondValueLine> lines;
};

struct SecondFunctionChange {
    // The chart goes back to the first line's main value (trace selectors
    // reset) before anything else is shown.
    bool resetTraceSelection = false;
    SecondFunctionRebuild rebuild;
};

class FunctionControl {
  public:
    FunctionControl(SlotQueryFn query, SlotIdentityFn identity, Prompter& prompter,
                    const TextSource& texts);

    // A function button: sets the current slot's auto-range flag, sends the
    // button's command with a line feed to the current slot, remembers it as
    // the slot's function and refreshes the status lines. Refused with
    // "Select Device First" when no device is selected.
    FunctionButtonResult OnFunctionButton(const FunctionButton& button);
    // By control identifier or by name (DCV, DCI, ACV, ACI, 2W, 4W, FREQ,
    // PERIOD, CONT, DIODE, TEMP, TCOUPL, CAP); nullopt for an unknown one.
    std::optional<FunctionButtonResult> OnFunctionButtonId(int controlId);
    std::optional<FunctionButtonResult> OnFunctionButtonName(std::string_view name);

    // Asks the shown device (m_displaySlot) for its function and range and
    // formats the status lines; `slot` chooses the auto-range flag.
    FunctionDisplayUpdate RefreshFunctionDisplay(int slot);

    // Second-function combo of the dual-function model, for m_displaySlot.
    SecondFunctionRebuild RebuildSecondFunctionList();
    SecondFunctionChange OnSecondFunctionSelChange(std::string_view entryText);
    // Function names and second values of the shown device lines.
    std::vector<SecondValueLine> RefreshSlotFunctionLabels();

    // Reading Speed and X-Max entries (or any text with the same leading
    // number). false: not one of the offered values, nothing changed. After
    // a speed change the window restarts its reading timer when reading
    // runs; after an X-Max change it redoes the chart mapping.
    bool OnReadingSpeedSelChange(std::string_view entryText);
    bool OnXMaxSelChange(std::string_view entryText);

    // Stop and an empty discovery clear the status lines.
    void ClearFunctionTexts();

    // Selection state, set by the device list, Start/Stop and Reading
    // settings. A slot outside 0..7 means none (10).
    void SetCurrentSlot(int slot);
    void SetDisplaySlot(int slot);
    void SetMultiMode(bool multiMode) { m_multiMode = multiMode; }
    // Devices read in multi-device mode, in line order (at most four used).
    void SetActiveSlots(std::vector<int> activeSlots) { m_activeSlots = std::move(activeSlots); }

    int currentSlot() const { return m_currentSlot; }
    int displaySlot() const { return m_displaySlot; }
    bool multiMode() const { return m_multiMode; }

    // Auto-range flags per slot including the none marker; the Device
    // Settings apply writes them too.
    bool autoRange(int slot) const;
    void SetAutoRange(int slot, bool on);
    // Last function command sent to a slot by a button, with its line feed.
    const std::string& slotFunction(int slot) const;
    // Start Reading learns the function the meter really measures (it may
    // have been changed on the front panel or by another program), in the
    // form a button would have sent it.
    void SetSlotFunctionFromAnswer(int slot, std::string_view funcAnswer);

    const std::string& functionText() const { return m_functionText; }
    const std::string& rangeText() const { return m_rangeText; }
    const std::string& secondFunction() const { return m_secondFunction; }
    bool secondActive() const { return m_secondActive; }
    const std::string& func2Answer() const { return m_func2Answer; }
    bool secondValueFlag(int line) const;

    int readTimerMs() const { return m_readTimerMs; }
    const std::string& triggerIntervalText() const { return m_triggerIntervalText; }
    int xMax() const { return m_xMax; }
    const std::string& xAxisLabel() const { return m_xAxisLabel; }

  private:
    std::string QuerySlot(int slot, const std::string& command) const;
    std::string IdentityOf(int slot) const;
    std::vector<int> ShownSlots() const;

    SlotQueryFn m_query;
    SlotIdentityFn m_identity;
    Prompter& m_prompter;
    const TextSource& m_texts;

    int m_currentSlot = kNoSlot;
    int m_displaySlot = kNoSlot;
    bool m_multiMode = false;
    std::vector<int> m_activeSlots;
    std::array<bool, kNoSlot + 1> m_autoRange{};
    std::array<std::string, kSlotCount> m_slotFunction;

    std::string m_functionText;
    std::string m_rangeText;
    std::string m_secondFunction;
    std::string m_func2Answer;
    bool m_secondActive = false;
    std::array<bool, kDeviceLineCount> m_secondValueFlag{};

    int m_readTimerMs = 25;
    std::string m_triggerIntervalText = "Trigger Interval : 25ms";
    int m_xMax = 100;
    std::string m_xAxisLabel = "100";
};

}  // namespace qm
