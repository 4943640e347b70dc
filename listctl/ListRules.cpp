#include "listctl/ListRules.h"

#include <cctype>

namespace qm::listctl {

namespace {

std::string Trimmed(const std::string& s) {
    std::size_t begin = 0, end = s.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(s[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(s[end - 1]))) --end;
    return s.substr(begin, end - begin);
}

std::vector<std::string> SplitAtCommas(const std::string& s) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto comma = s.find(',', start);
        fields.push_back(Trimmed(s.substr(start, comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return fields;
}

}  // namespace

void ListRules::Initialise() {
    connectEnabled_ = false;
    disconnectEnabled_ = false;
    rows_.clear();
    selected_ = 0;
    connected_ = 0;
    lvw_now = 0;
}

void ListRules::IDN(const std::string& sBuffer, const std::string& Addr) {
    ListRow row;
    row.address = Addr;
    if (!sBuffer.empty()) {
        // An identity without the model field still gives a row, with an
        // empty name, rather than an error for the add-in.
        const auto fields = SplitAtCommas(sBuffer);
        row.text = kInstrumentText;
        row.manufacturer = fields[0];
        if (fields.size() > 1) row.name = fields[1];
    } else {
        row.manufacturer = kNoIdentity;
    }
    rows_.push_back(std::move(row));
}

void ListRules::ListClear() {
    rows_.clear();
    selected_ = 0;
    // The rows that carried the marks are gone; mark_Address and lvw_now
    // stay for selmark to find the instrument again.
    connected_ = 0;
}

void ListRules::MarkConnected(int row) {
    if (connected_ != 0 && connected_ != row && ValidRow(connected_))
        Row(connected_).icon = RowIcon::NotConnected;
    connected_ = row;
    Row(row).icon = RowIcon::Connected;
}

std::int16_t ListRules::selmark() {
    if (!rows_.empty()) {
        connectEnabled_ = true;
        disconnectEnabled_ = false;
    }
    int found = 0;
    // An empty address never names a connected instrument.
    if (!mark_Address.empty()) {
        for (int i = 1; i <= static_cast<int>(rows_.size()); ++i)
            if (Row(i).address == mark_Address) {
                found = i;
                break;
            }
    }
    if (found == 0) {
        Disconnect();
        return lvw_now;
    }
    focusRequested_ = true;
    lvw_now = static_cast<std::int16_t>(found);
    selected_ = found;
    MarkConnected(found);
    mark_Address = Row(found).address;
    connectEnabled_ = false;
    disconnectEnabled_ = true;
    return lvw_now;
}

void ListRules::Connect() {
    if (!ValidRow(selected_)) return;
    lvw_now = static_cast<std::int16_t>(selected_);
    focusRequested_ = true;
    MarkConnected(selected_);
    mark_Address = Row(selected_).address;
    connectEnabled_ = false;
    disconnectEnabled_ = true;
}

void ListRules::Disconnect() {
    disconnectEnabled_ = false;
    connectEnabled_ = true;
    // The selected row, and the row that carried the connected mark if it is
    // another one: no row keeps icon 1 once nothing is connected.
    if (ValidRow(selected_)) Row(selected_).icon = RowIcon::NotConnected;
    if (ValidRow(connected_)) Row(connected_).icon = RowIcon::NotConnected;
    connected_ = 0;
    lvw_now = 0;
    mark_Address.clear();
    selected_ = 0;
}

void ListRules::Click(int row) {
    selected_ = ValidRow(row) ? row : 0;
    if (selected_ == 0) return;
    if (!mark_Address.empty() && Row(row).address == mark_Address) {
        connectEnabled_ = false;
        disconnectEnabled_ = true;
    } else {
        connectEnabled_ = true;
        disconnectEnabled_ = false;
    }
}

}  // namespace qm::listctl
