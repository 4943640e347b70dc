#include "sheet/FormulaText.h"

#include <cctype>

namespace qm::sheet {

std::string ColumnLetters(int column) {
    std::string letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters;
}

std::string AbsoluteA1(CellRef cell) {
    return "$" + ColumnLetters(cell.column) + "$" + std::to_string(cell.row);
}

namespace {

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '.' ||
           static_cast<unsigned char>(c) >= 0x80;
}

std::string Quoted(std::string_view name) {
    std::string out = "'";
    for (char c : name) {
        out.push_back(c);
        if (c == '\'') out.push_back('\'');
    }
    out.push_back('\'');
    return out;
}

bool NeedsQuotes(std::string_view name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name.front()))) return true;
    for (char c : name)
        if (!IsNameChar(c) || c == '.') return true;
    return false;
}

// A cell reference such as $A$2, A2 or $AB$10 at the start of `text`: its length, or 0.
std::size_t CellReferenceLength(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && text[i] == '$') ++i;
    const std::size_t letters = i;
    while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) ++i;
    if (i == letters || i - letters > 3) return 0;
    if (i < text.size() && text[i] == '$') ++i;
    const std::size_t digits = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    if (i == digits) return 0;
    if (i < text.size() && (IsNameChar(text[i]) || text[i] == '(')) return 0;
    return i;
}

}  // namespace

std::string SheetQualifier(std::string_view sheetName) {
    return NeedsQuotes(sheetName) ? Quoted(sheetName) : std::string(sheetName);
}

std::string ToCalcFormula(std::string_view f) {
    if (!f.empty() && f.front() == '=') f.remove_prefix(1);
    std::string out;
    out.reserve(f.size() + 16);
    std::size_t i = 0;
    while (i < f.size()) {
        const char c = f[i];
        if (c == '"') {
            // A text literal, with "" standing for one quote.
            const std::size_t start = i++;
            while (i < f.size()) {
                if (f[i] == '"' && (i + 1 >= f.size() || f[i + 1] != '"')) break;
                i += f[i] == '"' ? 2 : 1;
            }
            i = std::min(i + 1, f.size());
            out.append(f.substr(start, i - start));
            continue;
        }
        if (c == ',') {
            out.push_back(';');
            ++i;
            continue;
        }
        // A sheet name (quoted or bare) followed by "!"?
        std::string sheetName;
        std::size_t j = i;
        bool quoted = false;
        if (c == '\'') {
            quoted = true;
            ++j;
            while (j < f.size()) {
                if (f[j] == '\'') {
                    if (j + 1 < f.size() && f[j + 1] == '\'') {
                        sheetName.push_back('\'');
                        j += 2;
                        continue;
                    }
                    break;
                }
                sheetName.push_back(f[j++]);
            }
            ++j;  // the closing quote
        } else {
            while (j < f.size() && IsNameChar(f[j])) sheetName.push_back(f[j++]);
        }
        if (j < f.size() && f[j] == '!' && (quoted || !sheetName.empty())) {
            const std::string_view rest = f.substr(j + 1);
            const std::size_t refLength = CellReferenceLength(rest);
            if (refLength > 0) {
                out += "$" + (NeedsQuotes(sheetName) ? Quoted(sheetName) : sheetName) + ".";
                out.append(rest.substr(0, refLength));
                i = j + 1 + refLength;
            } else {
                i = j + 1;  // a name of that sheet: found by its bare name
            }
            continue;
        }
        if (!quoted && j > i) {
            out.append(f.substr(i, j - i));
            i = j;
            continue;
        }
        out.push_back(c);
        ++i;
    }
    return out;
}

}  // namespace qm::sheet
