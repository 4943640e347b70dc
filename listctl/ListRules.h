#pragma once
// The rules of the instrument list control without its widgets: the rows the
// add-in adds, which row carries the connected mark, the two properties the
// add-in polls and the enabled state of Connect and Disconnect. The widget
// DMMListQM forwards its events here and shows the state that results.
//
// Row numbers are 1-based, as the list shows them to the add-in; 0 means none.
#include <cstdint>
#include <string>
#include <vector>

namespace qm::listctl {

// Small icons of the list: none, 1 connected, 2 not connected.
enum class RowIcon { None = 0, Connected = 1, NotConnected = 2 };

struct ListRow {
    std::string text;          // "Multimeter", or empty for an unreadable identity
    std::string name;          // the model
    std::string manufacturer;  // the maker, or "NA:COMMAND ERR"
    std::string address;       // resource address
    RowIcon icon = RowIcon::None;
};

inline constexpr const char* kInstrumentText = "Multimeter";
inline constexpr const char* kNoIdentity = "NA:COMMAND ERR";

class ListRules {
  public:
    ListRules() { Initialise(); }

    // Buttons off, no rows, nothing connected.
    void Initialise();

    // --- the control's methods ---------------------------------------------
    // A row from an identity text ("MAKER,MODEL,SERIAL,VERSION") and its address.
    void IDN(const std::string& sBuffer, const std::string& Addr);
    // Marks the row whose address is mark_Address as connected (after the
    // list was filled again); returns lvw_now.
    std::int16_t selmark();
    void ListClear();

    // --- the user's actions ---------------------------------------------------
    void Connect();
    void Disconnect();
    // A row clicked or moved to with the keyboard (0: the selection went away).
    void Click(int row);

    // --- state ----------------------------------------------------------------
    std::string mark_Address;  // address of the connected instrument
    std::int16_t lvw_now = 0;  // its row; 0 when none

    const std::vector<ListRow>& rows() const { return rows_; }
    int selectedRow() const { return selected_; }
    int connectedRow() const { return connected_; }
    bool connectEnabled() const { return connectEnabled_; }
    bool disconnectEnabled() const { return disconnectEnabled_; }
    // The list asked for the keyboard focus (Connect and selmark do).
    bool takeFocusRequest() {
        const bool r = focusRequested_;
        focusRequested_ = false;
        return r;
    }

  private:
    bool ValidRow(int row) const { return row >= 1 && row <= static_cast<int>(rows_.size()); }
    ListRow& Row(int row) { return rows_[static_cast<std::size_t>(row - 1)]; }
    // Gives `row` the connected mark; a row that had it before gets icon 2.
    void MarkConnected(int row);

    std::vector<ListRow> rows_;
    int selected_ = 0;
    int connected_ = 0;
    bool connectEnabled_ = false;
    bool disconnectEnabled_ = false;
    bool focusRequested_ = false;
};

}  // namespace qm::listctl
