#include "sheet/XlsxRowStore.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace qm::sheet {

namespace {

enum : std::uint8_t { kEmpty = 0, kNumber = 1, kText = 2, kDate = 3 };

}  // namespace

XlsxRowStore::~XlsxRowStore() {
    if (file_) std::fclose(file_);
}

bool XlsxRowStore::Ensure() {
    if (file_) return true;
    file_ = std::tmpfile();
    if (!file_) error_ = std::string("cannot create a temporary file: ") + std::strerror(errno);
    return file_ != nullptr;
}

bool XlsxRowStore::Append(int row, std::span<const CellValue> values) {
    if (row <= lastRow_ || values.size() > 255 || !Ensure()) return false;
    // row (4 bytes), cell count (1), then per cell its type (1) and value.
    scratch_.clear();
    const auto put = [this](const void* p, std::size_t n) {
        scratch_.append(static_cast<const char*>(p), n);
    };
    const std::uint32_t r = static_cast<std::uint32_t>(row);
    const std::uint8_t count = static_cast<std::uint8_t>(values.size());
    put(&r, sizeof r);
    put(&count, 1);
    for (const CellValue& v : values) {
        std::uint8_t type = kEmpty;
        if (const double* d = std::get_if<double>(&v)) {
            type = kNumber;
            put(&type, 1);
            put(d, sizeof *d);
        } else if (const auto* t = std::get_if<DateTime>(&v)) {
            type = kDate;
            put(&type, 1);
            put(&t->serial, sizeof t->serial);
        } else if (const auto* s = std::get_if<std::string>(&v)) {
            type = kText;
            const std::uint32_t n = static_cast<std::uint32_t>(s->size());
            put(&type, 1);
            put(&n, sizeof n);
            put(s->data(), s->size());
        } else {
            put(&type, 1);
        }
    }
    if (std::fwrite(scratch_.data(), 1, scratch_.size(), file_) != scratch_.size()) {
        error_ = std::string("cannot write the temporary file: ") + std::strerror(errno);
        return false;
    }
    lastRow_ = row;
    last_.assign(values.begin(), values.end());
    return true;
}

bool XlsxRowStore::Rewind() {
    if (!file_) return true;
    if (std::fflush(file_) != 0 || std::fseek(file_, 0, SEEK_SET) != 0) {
        error_ = std::string("cannot read the temporary file: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool XlsxRowStore::Next(int& row, std::vector<CellValue>& values) {
    if (!file_) return false;
    std::uint32_t r = 0;
    std::uint8_t count = 0;
    if (std::fread(&r, sizeof r, 1, file_) != 1 || std::fread(&count, 1, 1, file_) != 1)
        return false;
    row = static_cast<int>(r);
    values.resize(count);
    for (CellValue& v : values) {
        std::uint8_t type = kEmpty;
        if (std::fread(&type, 1, 1, file_) != 1) return false;
        double d = 0;
        switch (type) {
            case kNumber:
            case kDate:
                if (std::fread(&d, sizeof d, 1, file_) != 1) return false;
                v = type == kNumber ? CellValue(d) : CellValue(DateTime{d});
                break;
            case kText: {
                std::uint32_t n = 0;
                if (std::fread(&n, sizeof n, 1, file_) != 1 || n > (1u << 20)) return false;
                std::string s(n, '\0');
                if (n > 0 && std::fread(s.data(), 1, n, file_) != n) return false;
                v = std::move(s);
                break;
            }
            default:
                v = std::monostate{};
        }
    }
    return true;
}

}  // namespace qm::sheet
