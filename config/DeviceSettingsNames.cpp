#include "config/DeviceSettingsNames.h"

#include <algorithm>

#include "config/NumberText.h"
#include "platform/AsciiCase.h"

namespace qm {

namespace {

std::string Shown(const ComboView& combo) {
    if (combo.selected < 0 || static_cast<std::size_t>(combo.selected) >= combo.entries.size())
        return {};
    return combo.entries[static_cast<std::size_t>(combo.selected)];
}

std::string RangeName(int row) {
    if (row == kRowTemperature) return "sensor";
    if (row == kRowThermocouple) return "type";
    return "range";
}

std::string ColumnName(ColumnKind kind) {
    switch (kind) {
        case ColumnKind::Resolution:
            return "resolution";
        case ColumnKind::Bandwidth:
            return "bandwidth";
        case ColumnKind::Aperture:
            return "aperture";
        case ColumnKind::Unit:
            return "unit";
        case ColumnKind::None:
            break;
    }
    return {};
}

std::string Setting2Name(std::string_view caption) {
    if (caption == "Bandwidth (Hz)") return "bandwidth2";
    if (caption == "Aperture (s)") return "aperture2";
    if (caption == "TYPE") return "type2";
    if (caption == "SENSOR") return "sensor2";
    return "nplc2";
}

// The entry of `labels` that `value` names: by text, or by number through
// `numberOf` (which gives nullopt for an entry without one).
template <typename NumberOf>
std::optional<int> FindEntry(const std::vector<std::string>& labels, std::string_view value,
                             NumberOf numberOf) {
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (EqualsIgnoringCase(labels[i], value)) return static_cast<int>(i);
    }
    const std::optional<double> number = ParseWholeNumber(value);
    if (!number) return std::nullopt;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const std::optional<double> n = numberOf(i);
        if (n && SameRange(*number, *n)) return static_cast<int>(i);
    }
    return std::nullopt;
}

std::optional<int> FindFunction(const DeviceSettingsPage& page, std::string_view value) {
    const std::vector<std::string> shown = FunctionNames(page.model(), page.texts());
    for (int row = 0; row < static_cast<int>(shown.size()); ++row) {
        const auto r = static_cast<std::size_t>(row);
        const FunctionButton* button = FunctionButtonForRow(row);
        if (EqualsIgnoringCase(shown[r], value) || EqualsIgnoringCase(g_settingsFunctionNames[r].defaultName, value) ||
            EqualsIgnoringCase(g_functionTable[r].label, value) ||
            EqualsIgnoringCase(g_settingsFunctionNames[r].pageKeyword, value) ||
            (button != nullptr && EqualsIgnoringCase(button->caption, value)))
            return row;
    }
    return std::nullopt;
}

std::optional<int> FindTransducer(std::string_view value) {
    for (std::size_t i = 0; i < g_transducerChoices.size(); ++i) {
        if (EqualsIgnoringCase(g_transducerChoices[i].label, value) ||
            EqualsIgnoringCase(g_transducerChoices[i].valueText, value))
            return static_cast<int>(i);
    }
    return std::nullopt;
}

const NamedSetting* Find(const std::vector<NamedSetting>& settings, std::string_view name) {
    for (const NamedSetting& s : settings) {
        if (EqualsIgnoringCase(s.name, name)) return &s;
    }
    return nullptr;
}

std::string NotOffered(const NamedSetting& s) {
    return "\"" + s.value + "\" is not offered for " + s.name;
}

}  // namespace

std::vector<NamedSetting> SettingsLines(const DeviceSettingsPage& page) {
    std::vector<NamedSetting> lines;
    const DeviceSettingsView view = page.View();
    if (view.noDevice) return lines;
    lines.push_back({"device", Shown(view.devices)});
    if (page.model() == SettingsModel::None) return lines;
    const int row = page.selectedFunction();
    lines.push_back({"function", Shown(view.functions)});
    lines.push_back({RangeName(row), Shown(view.range)});
    if (view.columnShown) lines.push_back({ColumnName(ColumnKindFor(row)), Shown(view.column)});
    if (view.transducerShown) lines.push_back({"transducer", Shown(view.transducer)});
    for (const CoefficientView& c : view.coefficients) {
        if (c.shown) lines.push_back({AsciiLowerCase(c.caption), c.text});
    }
    if (!view.secondShown) return lines;
    const std::string label2 = page.second().label;
    lines.push_back({"function2", label2});
    if (label2 == kNoneLabel) return lines;
    const bool unit = view.range2Caption == "UNIT";
    lines.push_back({unit ? "unit2" : "range2", Shown(view.range2)});
    lines.push_back({Setting2Name(view.setting2Caption), Shown(view.setting2)});
    if (view.transducer2Shown) lines.push_back({"transducer2", Shown(view.transducer2)});
    return lines;
}

std::optional<std::string> ChooseNamedSettings(DeviceSettingsPage& page,
                                               const std::vector<NamedSetting>& settings) {
    if (page.noDevice() || page.model() == SettingsModel::None) return "no meter to set";
    if (const NamedSetting* f = Find(settings, "function")) {
        const std::optional<int> row = FindFunction(page, f->value);
        if (!row) return NotOffered(*f);
        page.OnFunctionSelChange(*row);
    }
    if (const NamedSetting* f2 = Find(settings, "function2")) {
        const DeviceSettingsView view = page.View();
        const std::optional<int> index =
            FindEntry(view.function2.entries, f2->value, [](std::size_t) { return std::nullopt; });
        if (!view.secondShown || !index) return NotOffered(*f2);
        page.OnSecondFunctionSelChangePage(*index);
    }
    // The range combo next: choosing a sensor reads its coefficients.
    std::vector<const NamedSetting*> rest;
    const NamedSetting* range = nullptr;
    for (const NamedSetting& s : settings) {
        const std::string name = AsciiLowerCase(s.name);
        if (name == "function" || name == "function2") continue;
        if (name == RangeName(page.selectedFunction()))
            range = &s;
        else
            rest.push_back(&s);
    }
    if (range != nullptr) {
        const auto entries =
            RangeEntriesFor(page.selectedFunction(), page.model(), page.extendedCapRange());
        const std::optional<int> index =
            FindEntry(page.View().range.entries, range->value, [&](std::size_t i) {
                return IsAutoEntry(entries[i]) || page.selectedFunction() == kRowTemperature ||
                               page.selectedFunction() == kRowThermocouple
                           ? std::nullopt
                           : std::optional<double>(entries[i].value);
            });
        if (!index) return NotOffered(*range);
        page.OnRangeSelChange(*index);
    }

    const std::vector<NamedSetting> lines = SettingsLines(page);
    const DeviceSettingsView view = page.View();
    const ColumnKind kind = ColumnKindFor(page.selectedFunction());
    const auto column = ColumnEntriesFor(kind, page.model());
    const auto setting2 = SecondFunctionSettingFor(page.second().label).entries;
    for (const NamedSetting* s : rest) {
        const std::string name = AsciiLowerCase(s->name);
        const bool known = std::any_of(lines.begin(), lines.end(),
                                       [&](const NamedSetting& l) { return l.name == name; });
        if (!known || name == "device") {
            return "\"" + s->name + "\" is not a setting of " + Shown(view.functions) +
                   " on this meter";
        }
        std::optional<int> index;
        if (name == ColumnName(kind)) {
            index = FindEntry(view.column.entries, s->value, [&](std::size_t i) {
                return kind == ColumnKind::Unit ? std::nullopt
                                                : std::optional<double>(column[i].value);
            });
            if (index) page.OnColumnSelChange(*index);
        } else if (name == "transducer" || name == "transducer2") {
            index = FindTransducer(s->value);
            if (index && name == "transducer") page.OnTransducerSelChange(*index);
            if (index && name == "transducer2") page.OnTransducer2SelChange(*index);
        } else if (name == "range2" || name == "unit2") {
            index = FindEntry(view.range2.entries, s->value, [&](std::size_t i) {
                const std::string& e = view.range2.entries[i];
                return e == kAutoLabel ? std::nullopt
                                       : std::optional<double>(
                                             AsciiToDouble(SecondRangeNumberText(e)));
            });
            if (index) page.OnRange2SelChange(*index);
        } else if (name == Setting2Name(view.setting2Caption)) {
            const bool byName = name == "sensor2" || name == "type2";
            index = FindEntry(view.setting2.entries, s->value, [&](std::size_t i) {
                return byName ? std::nullopt : std::optional<double>(AsciiToDouble(setting2[i]));
            });
            if (index) page.OnSetting2SelChange(*index);
        } else {
            // A coefficient: Set checks what was typed.
            for (int pos = 0; pos < kCoefficientCount; ++pos) {
                const SensorCoefficient* c = CoefficientAt(page.selectedSensor(), pos);
                if (c != nullptr && AsciiLowerCase(c->caption) == name) {
                    page.OnCoefficientEdit(pos, s->value);
                    index = pos;
                }
            }
        }
        if (!index) return NotOffered(*s);
    }
    return std::nullopt;
}

}  // namespace qm
