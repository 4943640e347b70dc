#pragma once
// The main window without its widgets: the instrument sessions and device
// slots, discovery and Refresh, the device-list selection, the connection
// guard, function control, the live chart, live saving and the reading loop.
// QM_TOOL's window and qmcli both drive this one object.
#include <array>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/ChartModel.h"
#include "app/ReadingLoop.h"
#include "config/FunctionControl.h"
#include "config/ModelCapabilities.h"
#include "instrument/Discovery.h"
#include "instrument/SessionTable.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "platform/TextSource.h"
#include "records/ReadingSettings.h"
#include "records/RecordSaving.h"

namespace qm {

// What the device list (1000) shows.
struct DeviceListView {
    std::vector<std::string> entries;
    bool enabled = false;
    int selected = -1;  // -1: nothing selected
};

// What selecting a device changes on the window.
struct SelectionView {
    int slot = kNoSlot;
    std::string displayText;  // caption of the first device line in single-device mode
    std::string identity;     // the list's tooltip
    ModelCapabilities capabilities;
    FunctionDisplayUpdate display;
};

struct RefreshView {
    DeviceListView list;
    bool noDevice = true;
    std::optional<SelectionView> selection;  // set when a device was selected
};

class MeterTool {
public:
    MeterTool(Prompter& prompter, const TextSource& texts, Clock& clock);
    ~MeterTool();
    MeterTool(const MeterTool&) = delete;
    MeterTool& operator=(const MeterTool&) = delete;

    // Window initialisation and Refresh: closes every earlier session and
    // both resource managers, finds the meters again and selects the first
    // (qmcli's list and query skip the selection and its status queries).
    RefreshView Refresh(bool selectFirst = true);
    // Device list selection change.
    SelectionView OnDeviceListSelChange(int index);
    // The guard of Start, Device Settings, Reading Settings, Multiple
    // Readings and Command Control: -1 (after telling the user) when the
    // program started without meters and a meter it would accept is present now.
    int CheckConnectionChanged();
    // Esc, Exit and destruction.
    void CloseAll();

    // Function buttons and status lines, with the protection that one meter
    // which stops answering costs at most one session timeout per operation.
    std::optional<FunctionButtonResult> PressFunctionButton(int controlId);
    std::optional<FunctionButtonResult> PressFunctionButton(std::string_view name);
    FunctionDisplayUpdate RefreshFunctionDisplay();
    // X-Max: the chosen entry sets the chart width (false: not an offered entry).
    bool OnXMaxSelChange(std::string_view entryText);

    // The Reading Settings exchange: what the page starts from (the meters,
    // the mode, the colours, whether a second value is measured), and what
    // the window takes back after OK (mode, meters read at once, saving,
    // colours; the record-name list and message are emptied).
    ReadingSettingsContext ReadingSettingsContextFor() const;
    void ApplyReadingSettings(const ReadingSettingsValues& values);

    SessionTable& sessions() { return m_sessions; }
    const std::vector<DeviceSlot>& devices() const { return m_slots; }
    int deviceCount() const { return m_deviceCount; }
    bool startedEmpty() const { return m_startedEmpty; }
    const std::string& currentIdentity() const { return m_currentIdentity; }
    std::string IdentityOf(int slot) const;
    std::string LabelOf(int slot) const;

    FunctionControl& function() { return m_function; }
    ChartModel& chart() { return m_chart; }
    RecordSaving& saving() { return m_saving; }
    ReadingLoop& loop() { return *m_loop; }
    Prompter& prompter() { return m_prompter; }
    const TextSource& texts() const { return m_texts; }
    Clock& clock() { return m_clock; }

    // Starts one user operation: meters that stopped answering during the
    // previous one are asked again.
    void BeginOperation() { m_silent.fill(false); }
    // The main window's query within one operation: a meter that did not
    // answer once is not asked again until the next operation, so that a
    // silent meter holds the window for one session timeout, not one per query.
    std::string QueryInOperation(int slot, const std::string& command);

private:

    Prompter& m_prompter;
    const TextSource& m_texts;
    Clock& m_clock;
    SessionTable m_sessions;
    std::vector<DeviceSlot> m_slots;
    int m_deviceCount = 0;
    bool m_startedEmpty = true;
    std::set<std::string> m_refused;  // resources known not to be meters (the guard's memory)
    std::string m_currentIdentity;
    std::array<bool, kMaxSessions> m_silent{};
    FunctionControl m_function;
    ChartModel m_chart;
    RecordSaving m_saving;
    std::unique_ptr<ReadingLoop> m_loop;
};

}  // namespace qm
