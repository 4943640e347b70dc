#pragma once
// Temperature sensor parameters of the Device Settings page: which
// coefficients each sensor type has and where the page shows them, the
// commands that read and write them, and the limits a value must keep
// before anything is written.
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/TextSource.h"

namespace qm {

// Six caption/edit pairs; positions 0..5 are the pairs 1032/1118,
// 1034/1120, 1037/1119, 1035/1121, 1038/1122, 1036/1123.
inline constexpr int kCoefficientCount = 6;

struct CoefficientControls {
    int captionId;
    int editId;
};
inline constexpr std::array<CoefficientControls, kCoefficientCount> g_coefficientControls{{
    {1032, 1118}, {1034, 1120}, {1037, 1119}, {1035, 1121}, {1038, 1122}, {1036, 1123}}};

// One coefficient of a sensor type.
struct SensorCoefficient {
    int position;              // 0..5
    std::string_view caption;  // "Alpha", "R-zero", "A4" ...
    std::string_view query;    // with its line feed
    std::string_view setPrefix;  // the set command without its value ("SENS:TEMP:RTD:ALPH ")
    double lower;              // inclusive limits
    double upper;
    std::string_view messageKey;  // language key of the message for a value outside
    std::string_view message;     // its English default
};

// The coefficients of a sensor type in the order they are checked and sent;
// empty for a type without any (PT100, D100, F100, PT385, PT3916 and
// unknown names).
std::span<const SensorCoefficient> SensorCoefficients(std::string_view sensor);

// The coefficient shown at a panel position for a sensor; nullptr when the
// pair is hidden.
const SensorCoefficient* CoefficientAt(std::string_view sensor, int position);

// Why a coefficient panel cannot be sent.
struct CoefficientProblem {
    int position = 0;
    bool notANumber = false;  // empty or not a number, rather than outside its limits
};

// Checks the edit texts of the sensor's coefficients in their order; the
// first one that is empty, not a whole number or outside its limits is
// reported. nullopt when all can be sent.
std::optional<CoefficientProblem> CheckCoefficients(
    std::string_view sensor, const std::array<std::string, kCoefficientCount>& editTexts);

// The message of a problem: the limit message of the coefficient, or for
// an edit that holds no number "<caption>: Please input a valid value."
// (language key 1022). Empty for a sensor without that coefficient.
std::string CoefficientProblemText(std::string_view sensor, const CoefficientProblem& problem,
                                   const TextSource& texts);

// The value text of a coefficient in the edits and in the set commands:
// "%g" style, but with every significant digit of the value kept (a typed
// 0.003851234 must reach the meter as typed). 0 shows as "0".
std::string FormatCoefficient(double value);

// The set command of a coefficient for an already checked edit text.
std::string CoefficientCommand(const SensorCoefficient& coefficient, double value);

}  // namespace qm
