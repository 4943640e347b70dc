#pragma once
// The Device Settings page without its widgets: the devices it lists, the
// model tag of the selected one, every selection of the page, the
// read-back, the layout for the selected function and Set. QM_TOOL's page
// and qmcli both drive this one object and show the view it returns.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/DeviceSettingsApply.h"
#include "config/DeviceSettingsLayout.h"
#include "config/DeviceSettingsReadBack.h"
#include "config/PageChannel.h"
#include "config/SecondFunctionPanel.h"
#include "config/SensorParameters.h"
#include "platform/Prompter.h"
#include "platform/TextSource.h"

namespace qm {

// An instrument the page lists: its label and identity, by device slot.
struct PageDevice {
    std::string label;
    std::string identity;
};

// What the page is given by the main window: the devices of the last
// discovery, the query operation on their sessions, and the window's
// auto-range flags (the page writes them directly).
struct DeviceSettingsLink {
    std::function<std::vector<PageDevice>()> devices;
    PageExchangeFn exchange;
    std::function<void(int slot, bool on)> setAutoRange;
};

struct ComboView {
    std::vector<std::string> entries;
    int selected = -1;  // -1: nothing selected
};

struct CoefficientView {
    bool shown = false;
    std::string caption;
    std::string text;
};

// Everything the page shows.
struct DeviceSettingsView {
    bool noDevice = true;  // the list holds "No Device Connected"; settings disabled
    ComboView devices;     // list 1007
    ComboView functions;   // list 1110
    std::string rangeCaption;  // 1013
    ComboView range;           // 1010
    bool columnShown = false;  // 1085 and 1086
    std::string columnCaption;
    ComboView column;
    bool transducerShown = false;  // 1211 and 1210
    ComboView transducer;
    bool secondShown = false;  // 1201/1015, 1199/1017, 1200/1016 (dual-function model)
    bool function2Enabled = false;
    ComboView function2;  // 1015
    std::string range2Caption;  // 1199
    ComboView range2;           // 1017
    std::string setting2Caption;  // 1200
    ComboView setting2;           // 1016
    bool transducer2Shown = false;  // 1209 and 1208
    ComboView transducer2;
    std::array<CoefficientView, kCoefficientCount> coefficients;  // pairs 1032/1118 ...
};

class DeviceSettingsPage {
  public:
    DeviceSettingsPage(DeviceSettingsLink link, Prompter& prompter, const TextSource& texts);

    // Each opening: lists the devices of the last discovery and selects the
    // first, reading its settings.
    void OnInitDialog();
    void OnDeviceSelChange(int index);       // list 1007
    void OnFunctionSelChange(int index);     // list 1110
    void OnRangeSelChange(int index);        // combo 1010: a sensor's coefficients are read
    void OnColumnSelChange(int index);       // combo 1086
    void OnTransducerSelChange(int index);   // combo 1210
    void OnSecondFunctionSelChangePage(int index);  // combo 1015
    void OnRange2SelChange(int index);       // combo 1017
    void OnSetting2SelChange(int index);     // combo 1016
    void OnTransducer2SelChange(int index);  // combo 1208
    void OnCoefficientEdit(int position, std::string text);  // edits 1118-1123
    void OnGetSettings();                    // button 1111
    // Set (button 1014): true when the whole sequence went through and the
    // meter was read back.
    bool OnSet();

    DeviceSettingsView View() const;

    // Selection state.
    bool noDevice() const { return m_devices.empty(); }
    const std::vector<PageDevice>& devices() const { return m_devices; }
    int selectedDevice() const { return m_selDevice; }
    SettingsModel model() const { return m_model; }
    int selectedFunction() const { return m_selFunction; }
    int rangeIndex() const { return m_rangeIndex; }
    int columnIndex() const { return m_columnIndex; }
    int transducer() const { return m_transducer; }
    bool extendedCapRange() const { return m_extendedCapRange; }
    const SecondFunctionChoice& second() const { return m_second; }
    const std::array<std::string, kCoefficientCount>& coefficientTexts() const { return m_coef; }
    // The sensor type chosen in the range combo (temperature), else "".
    std::string_view selectedSensor() const;
    const TextSource& texts() const { return m_texts; }

  private:
    PageChannel Channel() const;
    std::string IdentityOf(int device) const;
    void ReadBack(PageChannel& channel);
    void KeepSelectionsInLists();
    void ReadSecondFunction(PageChannel& channel);
    void TakeSecondSettings(const SecondSettingsReadBack& rb);
    void RebuildSecondFunctionList();
    std::vector<std::string> SecondFunctionEntries() const;

    DeviceSettingsLink m_link;
    Prompter& m_prompter;
    const TextSource& m_texts;

    std::vector<PageDevice> m_devices;
    int m_selDevice = 0;
    SettingsModel m_model = SettingsModel::None;
    int m_selFunction = 0;
    int m_readBackFunction = -1;  // the row the meter last reported
    int m_rangeIndex = 0;
    int m_columnIndex = 0;
    int m_transducer = 0;
    bool m_extendedCapRange = false;
    std::array<std::string, kCoefficientCount> m_coef{"0", "0", "0", "0", "0", "0"};
    SecondFunctionChoice m_second;
};

}  // namespace qm
