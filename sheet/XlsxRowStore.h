#pragma once
// Rows of readings kept in an anonymous temporary file while a run lasts, so
// that memory stays flat however long it runs; read back in order when the
// .xlsx file is written.
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "sheet/Spreadsheet.h"

namespace qm::sheet {

class XlsxRowStore {
  public:
    XlsxRowStore() = default;
    ~XlsxRowStore();
    XlsxRowStore(const XlsxRowStore&) = delete;
    XlsxRowStore& operator=(const XlsxRowStore&) = delete;

    // Appends a row below every row stored; false when the row is not below
    // them or the temporary file cannot be written.
    bool Append(int row, std::span<const CellValue> values);
    int lastRow() const { return lastRow_; }
    const std::vector<CellValue>& lastValues() const { return last_; }
    const std::string& error() const { return error_; }

    // Reading back: Rewind, then Next until it returns false.
    bool Rewind();
    bool Next(int& row, std::vector<CellValue>& values);

  private:
    bool Ensure();
    std::FILE* file_ = nullptr;
    int lastRow_ = 0;
    std::vector<CellValue> last_;
    std::string error_;
    std::string scratch_;
};

}  // namespace qm::sheet
