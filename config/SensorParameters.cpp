#include "config/SensorParameters.h"

#include <cstdio>

#include "config/NumberText.h"

namespace qm {

namespace {

// The comma in the messages is the full-width one, as the language file has it.
constexpr SensorCoefficient kUser[] = {
    {0, "Alpha", "SENS:TEMP:RTD:ALPH?\n", "SENS:TEMP:RTD:ALPH ", 0, 0.01, "1004",
     "ALPHA range is 0 - 0.01，please re-enter."},
    {1, "Beta", "SENS:TEMP:RTD:BETA?\n", "SENS:TEMP:RTD:BETA ", 0, 1, "1005",
     "BETA range is 0 - 1，please re-enter."},
    {2, "Delta", "SENS:TEMP:RTD:DELT?\n", "SENS:TEMP:RTD:DELT ", 0, 5, "1006",
     "DELTA range is 0 - 5，please re-enter."},
    {3, "R-zero", "SENS:TEMP:RTD:RZER?\n", "SENS:TEMP:RTD:RZER ", 10, 1000, "1007",
     "R-ZERO range is 10 - 1000，please re-enter."},
};

constexpr SensorCoefficient kSprtd[] = {
    {0, "R-zero", "SENS:TEMP:SPRTD:RZER?\n", "SENS:TEMP:SPRTD:RZER ", 10, 1000, "1007",
     "R-ZERO range is 10 - 1000，please re-enter."},
    {1, "A4", "SENS:TEMP:SPRTD:A4?\n", "SENS:TEMP:SPRTD:A4 ", -1, 1, "1008",
     "A4 range is (-1) - 1，please re-enter."},
    {2, "B4", "SENS:TEMP:SPRTD:B4?\n", "SENS:TEMP:SPRTD:B4 ", -1, 1, "1009",
     "B4 range is (-1) - 1，please re-enter."},
    {3, "A7", "SENS:TEMP:SPRTD:AX?\n", "SENS:TEMP:SPRTD:Ax ", -1, 1, "1010",
     "A7 range is (-1) - 1，please re-enter."},
    {4, "B7", "SENS:TEMP:SPRTD:BX?\n", "SENS:TEMP:SPRTD:Bx ", -1, 1, "1011",
     "B7 range is (-1) - 1，please re-enter."},
    {5, "C7", "SENS:TEMP:SPRTD:CX?\n", "SENS:TEMP:SPRTD:Cx ", -1, 1, "1012",
     "C7 range is (-1) - 1，please re-enter."},
};

// The NTCT messages name their limits high to low; the limits are 0 to 0.01.
constexpr SensorCoefficient kNtct[] = {
    {0, "A", "TEMP:NTCT:A?\n", "TEMP:NTCT:A ", 0, 0.01, "1035",
     "A range is 0.01 - 0，please re-enter."},
    {2, "B", "TEMP:NTCT:B?\n", "TEMP:NTCT:B ", 0, 0.01, "1036",
     "B range is 0.01 - 0，please re-enter."},
    {4, "C", "TEMP:NTCT:C?\n", "TEMP:NTCT:C ", 0, 0.01, "1037",
     "C range is 0.01 - 0，please re-enter."},
};

}  // namespace

std::span<const SensorCoefficient> SensorCoefficients(std::string_view sensor) {
    if (sensor == "USER") return kUser;
    if (sensor == "SPRTD") return kSprtd;
    if (sensor == "NTCT") return kNtct;
    return {};
}

const SensorCoefficient* CoefficientAt(std::string_view sensor, int position) {
    for (const SensorCoefficient& c : SensorCoefficients(sensor)) {
        if (c.position == position) return &c;
    }
    return nullptr;
}

std::optional<CoefficientProblem> CheckCoefficients(
    std::string_view sensor, const std::array<std::string, kCoefficientCount>& editTexts) {
    for (const SensorCoefficient& c : SensorCoefficients(sensor)) {
        const std::optional<double> value =
            ParseWholeNumber(editTexts[static_cast<std::size_t>(c.position)]);
        if (!value) return CoefficientProblem{c.position, true};
        if (!(*value >= c.lower && *value <= c.upper)) return CoefficientProblem{c.position, false};
    }
    return std::nullopt;
}

std::string CoefficientProblemText(std::string_view sensor, const CoefficientProblem& problem,
                                   const TextSource& texts) {
    const SensorCoefficient* c = CoefficientAt(sensor, problem.position);
    if (c == nullptr) return {};
    if (problem.notANumber) {
        return std::string(c->caption) + ": " +
               texts.GetText("1022", "Please input a valid value.");
    }
    return texts.GetText(c->messageKey, c->message);
}

std::string FormatCoefficient(double value) {
    if (value == 0.0) return "0";
    // Fifteen significant digits give back every decimal text of up to
    // fifteen digits unchanged, and are no longer than %g for short ones.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

std::string CoefficientCommand(const SensorCoefficient& coefficient, double value) {
    return std::string(coefficient.setPrefix) + FormatCoefficient(value) + "\n";
}

}  // namespace qm
