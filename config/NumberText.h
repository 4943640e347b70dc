#pragma once
// Numbers out of text that came from outside (instrument answers, combo
// entries, user input). Both conversions read only the leading numeric prefix
// of the text, return 0 when there is none, never throw and never look past
// the end of the view (the text need not be NUL-terminated).
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// ASCII-to-double: optional leading white space, an optional sign, decimal
// digits with an optional point, and an optional exponent ("+9.9E37",
// " 1e-8\n", ".5", "1000 VDC"). Anything else ends the number; "abc" is 0.
// Independent of the process locale (a decimal comma locale does not change
// the result). The result is always finite: a prefix too large for a double
// gives the largest double of its sign, one too small gives 0. Infinity, NaN
// and hexadecimal forms are not numbers here.
double AsciiToDouble(std::string_view text);
// The same number, or nullopt when the text has no numeric prefix at all
// (so that "abc" and "nan" can be told from "0").
std::optional<double> LeadingNumber(std::string_view text);

// A text that is one number and nothing else (blanks around it allowed),
// in the grammar of AsciiToDouble: "0.01", " -1e-3 ", "+5". nullopt for an
// empty text, "abc", "0.01x", "1,5", a number too large for a double, and
// the infinity and NaN spellings. For what the user types, where a number
// followed by anything else is a typing error rather than a number.
std::optional<double> ParseWholeNumber(std::string_view text);

// ASCII-to-integer: optional leading white space, an optional sign and
// decimal digits ("25ms" -> 25, "100 readings" -> 100). Saturates at the
// limits of int; 0 when there are no digits.
int LeadingInteger(std::string_view text);

// Fixed-point text with `decimals` (0 to 17) digits after the point, exactly
// as printf's "%.Nf" writes it in the C locale, for any value: every digit
// of the double's exact value, the last one rounded half to even.
std::string FixedText(double v, int decimals);
// The same, appended to `out` (a tick formats two or three of these, and a
// CSV export writes a million).
void AppendFixed(std::string& out, double v, int decimals);

}  // namespace qm
