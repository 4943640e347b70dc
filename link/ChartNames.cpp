#include "link/ChartNames.h"

#include "sheet/FormulaText.h"

namespace qm::link {

std::vector<std::pair<std::string, std::string>> ChartNameFormulas(int kind,
                                                                   const std::string& sheetName,
                                                                   bool dual) {
    const std::string s = sheet::SheetQualifier(sheetName) + "!";
    const std::string a2 = s + "$A$2", b2 = s + "$B$2", c2 = s + "$C$2";
    const std::string count = s + "DmmCount", points = s + "DmmPoints";
    std::vector<std::pair<std::string, std::string>> names;
    if (kind == kAllReadings) {
        names = {
            {"DmmCount", "=" + s + "$F$6"},
            {"DmmDataRef", "=" + s + "$A$1"},
            {"DmmyAxis", "=OFFSET(" + a2 + ",0,1," + count + ",1)"},
            {"DmmxAxis", "=OFFSET(" + b2 + ",0,0," + count + ",1)"},
        };
        if (dual) names.push_back({"Dmmy2Axis", "=OFFSET(" + c2 + ",0,0," + count + ",1)"});
    } else if (kind == kStripChart) {
        // An empty or zero window (F8) shows every reading: a window of no
        // rows would leave the chart with no data at all.
        const std::string strip = s + "DmmisStripChart";
        const std::string back = count + "-" + points;
        names = {
            {"DmmCount", "=" + s + "$F$6"},
            {"DmmDataRef", "=" + s + "$A$1"},
            {"DmmPoints", "=" + s + "$F$8"},
            {"DmmisStripChart", "=AND(" + points + ">0," + points + "<=" + count + ")"},
            {"DmmyAxis", "=IF(" + strip + ",OFFSET(" + a2 + "," + back + ",1," + points +
                             ",1),OFFSET(" + a2 + ",0,1," + count + ",1))"},
            {"DmmxAxis", "=IF(" + strip + ",OFFSET(" + a2 + "," + back + ",0," + points +
                             ",1),OFFSET(" + a2 + ",0,0," + count + ",1))"},
        };
        if (dual)
            names.push_back({"Dmmy2Axis", "=IF(" + strip + ",OFFSET(" + c2 + "," + back + ",0," +
                                              points + ",1),OFFSET(" + c2 + ",0,0," + count +
                                              ",1))"});
    }
    return names;
}

RowSpan ChartRows(int kind, int count, int points) {
    if (count < 1) count = 1;
    if (kind == kStripChart && points > 0 && points <= count)
        return {count - points + 2, count + 1};
    return {2, count + 1};
}

}  // namespace qm::link
