#include "config/SecondFunctionPanel.h"

#include "config/DeviceSettingsLayout.h"
#include "config/DeviceSettingsTables.h"
#include "config/FunctionTable.h"
#include "config/NumberText.h"

namespace qm {

namespace {

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

bool IsTemperatureLabel(std::string_view label) {
    return label == "TEMP" || label == "TCOUPL";
}

// The 750 V AC range of an AC-voltage input reports itself as 1000.
bool SameSecondRange(std::string_view entry, double reported) {
    const double listed = AsciiToDouble(SecondRangeNumberText(entry));
    return SameRange(reported, listed);
}

template <typename T>
std::optional<int> IndexOf(std::span<const std::string_view> entries, T&& matches) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (matches(entries[i])) return static_cast<int>(i);
    }
    return std::nullopt;
}

std::string_view EntryAt(std::span<const std::string_view> entries, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return {};
    return entries[static_cast<std::size_t>(index)];
}

}  // namespace

std::string SecondRangeNumberText(std::string_view entry) {
    std::string text(entry);
    ReplaceAll(text, "m F", "E-3");
    ReplaceAll(text, "u F", "E-6");
    ReplaceAll(text, "n F", "E-9");
    ReplaceAll(text, "VAC", "");
    ReplaceAll(text, "AAC", "");
    ReplaceAll(text, "OHM", "");
    ReplaceAll(text, "M", "000000");
    ReplaceAll(text, "K", "000");
    ReplaceAll(text, "m", "E-3");
    ReplaceAll(text, "u", "E-6");
    ReplaceAll(text, "n", "E-9");
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

bool ApplySecondFunction(PageChannel& channel, const SecondFunctionChoice& choice,
                         bool extendedCapRange) {
    const std::string keyword(SecondFunctionKeywordForLabel(choice.label));
    if (!channel.Send("Function2 \"" + keyword + "\"\n")) return false;
    if (keyword == kNoneLabel) return true;

    const auto ranges = SecondFunctionRangeEntries(choice.label, extendedCapRange);
    const SecondFunctionSetting setting = SecondFunctionSettingFor(choice.label);
    const std::string range(EntryAt(ranges, choice.rangeIndex));
    const std::string value(EntryAt(setting.entries, choice.settingIndex));

    if (IsTemperatureLabel(choice.label)) {
        // The unit takes the range column's place.
        if (!range.empty() && !channel.Send("UNIT " + range + "\n")) return false;
        if (choice.label == "TEMP") {
            if (!value.empty() && !channel.Send("TEMP:RTD:TYPE " + value + "\n")) return false;
            const ChoiceEntry& transducer = g_transducerChoices[choice.transducer == 1 ? 1 : 0];
            return channel.Send("TEMP:TRAN " + std::string(transducer.valueText) + "\n");
        }
        return value.empty() || channel.Send("TCO:TYPE " + value + "\n");
    }

    if (range == kAutoLabel) {
        const std::optional<std::string> present = channel.Ask(keyword + ":range?\n");
        if (!present) return false;
        if (SameNumber(AsciiToDouble(*present), 10) && !channel.Send(keyword + ":range 1\n"))
            return false;
        if (!channel.Send(keyword + ":range:auto ON\n")) return false;
    } else if (!range.empty()) {
        if (!channel.Send(keyword + ":range " + SecondRangeNumberText(range) + "\n")) return false;
    }
    if (value.empty()) return true;
    if (setting.caption == "Bandwidth (Hz)") return channel.Send("DETector:BANDwidth " + value + "\n");
    if (setting.caption == "Aperture (s)") {
        std::string seconds = value;
        if (!seconds.empty() && seconds.back() == 's') seconds.pop_back();
        return channel.Send(keyword + ":aper " + seconds + "\n");
    }
    return channel.Send(keyword + ":nplc " + value + "\n");
}

SecondSettingsReadBack ReadSecondFunctionSettings(PageChannel& channel, std::string_view label2,
                                                  bool extendedCapRange) {
    SecondSettingsReadBack rb;
    const std::string keyword(SecondFunctionKeywordForLabel(label2));
    if (keyword == kNoneLabel) return rb;
    const auto ranges = SecondFunctionRangeEntries(label2, extendedCapRange);
    const SecondFunctionSetting setting = SecondFunctionSettingFor(label2);

    if (IsTemperatureLabel(label2)) {
        const std::optional<std::string> unit = channel.Ask("UNIT?\n");
        if (!unit) return rb;
        const std::string letter = CleanTextAnswer(*unit).substr(0, 1);
        rb.rangeIndex = IndexOf(ranges, [&](std::string_view e) { return e == letter; });
    } else {
        const std::optional<std::string> autoOn = channel.Ask(keyword + ":range:auto?\n");
        if (!autoOn) return rb;
        if (Contains(*autoOn, "1")) {
            rb.rangeIndex = IndexOf(ranges, [](std::string_view e) { return e == kAutoLabel; });
        } else {
            const std::optional<std::string> range = channel.Ask(keyword + ":range?\n");
            if (!range) return rb;
            const double reported = AsciiToDouble(*range);
            rb.rangeIndex = IndexOf(ranges, [&](std::string_view e) {
                return e != kAutoLabel && SameSecondRange(e, reported);
            });
        }
    }

    std::string query;
    bool byText = false;
    if (setting.caption == "Bandwidth (Hz)") {
        query = "DETector:BANDwidth?\n";
    } else if (setting.caption == "SENSOR") {
        query = "TEMP:RTD:TYPE?\n";
        byText = true;
    } else if (setting.caption == "TYPE") {
        query = "TCO:TYPE?\n";
        byText = true;
    } else if (setting.caption == "Aperture (s)") {
        query = keyword + ":APERture?\n";
    } else {
        query = keyword + ":nplc?\n";
    }
    const std::optional<std::string> answer = channel.Ask(query);
    if (!answer) return rb;
    const std::string text = CleanTextAnswer(*answer);
    const double number = AsciiToDouble(*answer);
    rb.settingIndex = IndexOf(setting.entries, [&](std::string_view e) {
        return byText ? e == text : SameNumber(AsciiToDouble(e), number);
    });

    if (label2 == "TEMP") {
        const std::optional<std::string> transducer = channel.Ask("TEMP:TRAN?\n");
        if (transducer) rb.transducer = Contains(*transducer, "FRTD") ? 1 : 0;
    }
    return rb;
}

std::optional<std::string> ReadSecondFunctionLabel(PageChannel& channel) {
    const std::optional<std::string> answer = channel.Ask("func2?\n");
    if (!answer) return std::nullopt;
    return std::string(SecondFunctionLabelForKeyword(StripLineEndsAndQuotes(*answer)));
}

}  // namespace qm
