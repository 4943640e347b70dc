#include "visa/VisaFormat.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace qm::visa {

namespace {

enum class Length { None, Char, Short, Long, LongLong, LongDouble, Size, Max, Ptrdiff };

bool isIntegerConversion(char c) {
    return std::strchr("diouxX", c) != nullptr;
}
bool isFloatConversion(char c) {
    return std::strchr("eEfFgGaA", c) != nullptr;
}

bool lengthSuits(Length length, char conversion) {
    switch (length) {
        case Length::None:
            return true;
        case Length::Long:  // %ld, and %lf which C allows
            return isIntegerConversion(conversion) || isFloatConversion(conversion);
        case Length::LongDouble:
            return isFloatConversion(conversion);
        default:
            return isIntegerConversion(conversion);
    }
}

}  // namespace

ViStatus checkFormat(const char* format) {
    if (!format) return VI_ERROR_USER_BUF;
    for (const char* p = format; *p; ++p) {
        if (*p != '%') continue;
        ++p;
        if (*p == '%') continue;
        while (*p && std::strchr("-+ #0", *p)) ++p;
        if (*p == '*') {
            ++p;
        } else {
            while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
        }
        if (*p == '.') {
            ++p;
            if (*p == '*') {
                ++p;
            } else {
                while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
            }
        }
        Length length = Length::None;
        switch (*p) {
            case 'h':
                length = p[1] == 'h' ? Length::Char : Length::Short;
                p += length == Length::Char ? 2 : 1;
                break;
            case 'l':
                length = p[1] == 'l' ? Length::LongLong : Length::Long;
                p += length == Length::LongLong ? 2 : 1;
                break;
            case 'L':
                length = Length::LongDouble;
                ++p;
                break;
            case 'z':
                length = Length::Size;
                ++p;
                break;
            case 'j':
                length = Length::Max;
                ++p;
                break;
            case 't':
                length = Length::Ptrdiff;
                ++p;
                break;
            default:
                break;
        }
        const char c = *p;
        if (c == '\0') return VI_ERROR_INV_FMT;
        if (c == 'n') return VI_ERROR_NSUP_FMT;  // would write through an argument
        if (c == 'c' || c == 's' || c == 'p') {
            if (length != Length::None) return VI_ERROR_NSUP_FMT;
            continue;
        }
        if (isIntegerConversion(c) || isFloatConversion(c)) {
            if (!lengthSuits(length, c)) return VI_ERROR_INV_FMT;
            continue;
        }
        return std::isalpha(static_cast<unsigned char>(c)) ? VI_ERROR_NSUP_FMT : VI_ERROR_INV_FMT;
    }
    return VI_SUCCESS;
}

ViStatus formatInto(std::vector<char>& buffer, std::size_t& length, const char* format,
                    va_list args) {
    length = 0;
    const ViStatus checked = checkFormat(format);
    if (checked != VI_SUCCESS) return checked;
    if (buffer.size() < 256) buffer.resize(256);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(buffer.data(), buffer.size(), format, args);
    if (n >= 0 && static_cast<std::size_t>(n) >= buffer.size()) {
        buffer.resize(static_cast<std::size_t>(n) + 1);
        n = std::vsnprintf(buffer.data(), buffer.size(), format, again);
    }
    va_end(again);
    if (n < 0) return VI_ERROR_INV_FMT;
    length = static_cast<std::size_t>(n);
    return VI_SUCCESS;
}

}  // namespace qm::visa
