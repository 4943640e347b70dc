#include "link/host/AddinHost.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "instrument/SessionTable.h"
#include "link/DateSerial.h"
#include "link/LinkSettings.h"
#include "link/Logging.h"
#include "link/LoggingSheet.h"
#include "platform/Paths.h"
#include "visa/visa.h"

namespace qm::linkhost {

namespace fs = std::filesystem;

namespace {

struct MacroName {
    std::string_view macro;
    HostCommand command;
};

// Both tables of the toolbar: the engine's names and the launcher's.
constexpr MacroName kMacros[] = {
    {"DmmAboutTX35XX", HostCommand::About},      {"DmmConnectTX35XX", HostCommand::Connect},
    {"DmmFilesTX35XX", HostCommand::Files},      {"DmmFuncsTX35XX", HostCommand::Funcs},
    {"DmmMeasTX35XX", HostCommand::Meas},        {"DmmChartTX35XX", HostCommand::Chart},
    {"DmmTimerStartTX35XX", HostCommand::Start}, {"DmmTimerPauseTX35XX", HostCommand::Pause},
    {"DmmTimerStopTX35XX", HostCommand::Stop},   {"DmmTimerStart", HostCommand::Start},
    {"DmmTimerPause", HostCommand::Pause},       {"DmmTimerStop", HostCommand::Stop},
};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool WholeNumber(const std::string& text, long min, long max, long* out = nullptr) {
    if (text.empty() || text.size() > 12) return false;
    long v = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        v = v * 10 + (c - '0');
    }
    if (v < min || v > max) return false;
    if (out) *out = v;
    return true;
}

std::string Trimmed(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    std::size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    return s.substr(i);
}

// The shipped settings file: installed, beside the program, or in the sources.
fs::path ShippedSettingsFile() {
    std::error_code ec;
    for (const fs::path& folder : {InstalledDataFolder(), ExecutableFolder(), fs::path(QM_SOURCE_DATA_DIR)})
        if (fs::is_regular_file(folder / "QM_TOOL.ini", ec)) return folder / "QM_TOOL.ini";
    return {};
}

}  // namespace

std::optional<HostCommand> CommandFromMacro(std::string_view macro) {
    for (const MacroName& m : kMacros)
        if (SameIgnoringCase(m.macro, macro)) return m.command;
    return std::nullopt;
}

AddinHost::AddinHost(Prompter& prompter, Clock& clock, HostOffice& office)
    : prompter_(prompter), clock_(clock), office_(office), engine_(prompter, clock) {}

bool AddinHost::EnsureSettingsFile() {
    const fs::path target = link::SettingsFilePath();
    std::error_code ec;
    if (target.empty()) return false;
    if (fs::is_regular_file(target, ec)) return true;
    const fs::path shipped = ShippedSettingsFile();
    if (shipped.empty()) return false;
    fs::create_directories(target.parent_path(), ec);
    if (!fs::copy_file(shipped, target, fs::copy_options::skip_existing, ec) || ec) return false;
    prompter_.message({host_texts::kSettingsInstalled + target.string(), host_texts::kProduct,
                       PromptIcon::Information, PromptButtons::Ok});
    return true;
}

std::string AddinHost::GetText(std::string_view key, std::string_view englishDefault) const {
    std::error_code ec;
    // Without the file the engine would say so for every text: one message is enough.
    if (!fs::is_regular_file(link::SettingsFilePath(), ec)) return std::string(englishDefault);
    const std::string id(key);
    const std::string text = engine_.GetIdText(id);
    return text.empty() || text == id ? std::string(englishDefault) : text;
}

std::vector<std::string> AddinHost::Languages() {
    std::vector<std::string> names;
    std::error_code ec;
    if (!fs::is_regular_file(link::SettingsFilePath(), ec)) return {link::kDefaultLanguage};
    const std::int32_t last = engine_.GetLanguageCount();
    for (std::int32_t i = 0; i <= last; ++i) {
        auto name = engine_.GetLanguage(i);
        if (name.ok()) names.push_back(name.value);
    }
    // The language chosen last time.
    if (language_ == 0) {
        const std::string chosen = Setting("LanguageID", link::kDefaultLanguage);
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == chosen) {
                language_ = static_cast<int>(i);
                engine_.SetLanguage(language_);
            }
    }
    return names;
}

void AddinHost::ChooseLanguage(int index) {
    const auto names = Languages();
    if (index < 0 || index >= static_cast<int>(names.size())) return;
    language_ = index;
    engine_.SetLanguage(index);
    Save("LanguageID", names[static_cast<std::size_t>(index)]);
}

std::string AddinHost::Setting(const std::string& key, const std::string& fallback) {
    std::error_code ec;
    if (!fs::is_regular_file(link::SettingsFilePath(), ec)) return fallback;
    std::string k = key, d = fallback;
    return engine_.LoadSetting(k, d);
}

void AddinHost::Save(const std::string& key, const std::string& value) {
    std::string k = key, v = value;
    engine_.SaveSetting1(k, v);
}

// --- instruments ------------------------------------------------------------

const std::vector<InstrumentRow>& AddinHost::Search() {
    if (loggingActive()) {
        prompter_.warn(GetText(texts::kBusy), host_texts::kProduct);
        return rows_;
    }
    const std::string previous = connected_;
    // A new search starts the table again; the sessions of the last one close.
    engine_.RMClose();
    engine_.m_DevCount = 0;
    engine_.wkSesn = 0;
    connected_.clear();
    rows_.clear();
    engine_.FindDevice();
    for (std::int16_t i = 0; i < engine_.m_DevCount; ++i) {
        if (!engine_.GetIDN(i).ok()) break;
        rows_.push_back({engine_.m_IDNbuff, engine_.m_IDNAddr});
    }
    searched_ = true;
    if (!previous.empty()) ConnectAddress(previous);
    return rows_;
}

void AddinHost::ConnectAddress(const std::string& address) {
    engine_.wkSesn = 0;
    connected_.clear();
    for (std::size_t i = 0; i < rows_.size() && !address.empty(); ++i) {
        if (rows_[i].address != address) continue;
        engine_.GetIDN(static_cast<std::int16_t>(i));
        engine_.wkSesn = engine_.m_IDNSesn;
        connected_ = address;
        break;
    }
    UpdateStartButton();
}

std::string AddinHost::connectedIdentity() const {
    for (const auto& r : rows_)
        if (r.address == connected_ && !connected_.empty()) return r.identity;
    return {};
}

// --- the logging sheet ----------------------------------------------------------

bool AddinHost::MakeLoggingSheet(const SheetChoice& choice) {
    if (loggingActive()) {
        prompter_.warn(GetText(texts::kBusy), host_texts::kProduct);
        return false;
    }
    auto made = office_.MakeSheet(choice);
    if (!made) {
        prompter_.error(made.description(), host_texts::kProduct);
        return false;
    }
    PreparedSheet p = made.value();
    const sheet::SheetStatus s = link::LayOutLoggingSheet(*p.sheet, parameters().points, p.addScrollBar);
    if (!s) {
        prompter_.error(s.description(), host_texts::kProduct);
        return false;
    }
    prepared_ = p;
    engine_.SetApp(p.app);
    engine_.SetWorkbooksName(p.workbookName);
    engine_.SetSheet(p.sheet);
    UpdateStartButton();
    return true;
}

// --- logging parameters -----------------------------------------------------------

LoggingParameters AddinHost::LoadParameters() {
    LoggingParameters p = parameters_;
    auto number = [&](const char* key, auto& field) {
        long v = 0;
        const std::string text = Setting(key, std::to_string(field));
        if (WholeNumber(text, 0, 100000000, &v)) field = static_cast<std::remove_reference_t<decltype(field)>>(v);
    };
    number("ReadPoints", p.readings);
    number("Begin", p.begin);
    number("Terminating", p.terminating);
    number("Add_Chart", p.chart);
    number("NumPoints", p.points);
    number("Interval", p.interval);
    p.inSheet = SameIgnoringCase(Setting("In_Sheet", p.inSheet ? "True" : "False"), "True");
    p.stopHH = Setting("StopTime_HH", p.stopHH);
    p.stopNN = Setting("StopTime_NN", p.stopNN);
    p.stopSS = Setting("StopTime_SS", p.stopSS);
    p.atTime = Setting("AtTime", link::FormatDateTime(link::ToSerial(clock_.wallNow())));
    return p;
}

std::optional<std::string> AddinHost::CheckParameters(const LoggingParameters& p) const {
    if (p.terminating == 1 && (p.readings < 1 || p.readings > 100000000))
        return "The number of readings must be a whole number from 1 to 100000000.";
    if (p.interval < 10 || p.interval > 86400000)
        return "The interval must be a whole number of milliseconds from 10 to 86400000.";
    if (p.begin == 2 && !link::ParseDateTime(p.atTime))
        return "The start time must be written as yyyy/mm/dd hh:nn:ss.";
    if (p.terminating == 2) {
        for (const std::string* f : {&p.stopHH, &p.stopNN, &p.stopSS})
            if (!WholeNumber(Trimmed(*f), 0, 1000000)) return "The stop time must be whole hours, minutes and seconds.";
    }
    if (p.chart == 2 && (p.points < 1 || p.points > 30000))
        return "The strip chart's window must be from 1 to 30000 readings.";
    if (p.begin < 1 || p.begin > 3 || p.terminating < 1 || p.terminating > 3 || p.chart < 0 || p.chart > 2)
        return "Choose a start mode, a stop mode and a chart.";
    return std::nullopt;
}

const LoggingParameters& AddinHost::parameters() {
    if (!parametersRead_) {
        parameters_ = LoadParameters();
        parametersRead_ = true;
    }
    return parameters_;
}

void AddinHost::SaveParameters(const LoggingParameters& p) {
    parameters_ = p;
    parametersRead_ = true;
    Save("ReadPoints", std::to_string(p.readings));
    Save("Begin", std::to_string(p.begin));
    Save("Terminating", std::to_string(p.terminating));
    Save("Add_Chart", std::to_string(p.chart));
    Save("In_Sheet", p.inSheet ? "True" : "False");
    Save("NumPoints", std::to_string(p.points));
    Save("Interval", std::to_string(p.interval));
    Save("StopTime_HH", Trimmed(p.stopHH));
    Save("StopTime_NN", Trimmed(p.stopNN));
    Save("StopTime_SS", Trimmed(p.stopSS));
    Save("AtTime", p.atTime);
}

// --- the run ----------------------------------------------------------------------

bool AddinHost::Start() {
    if (engine_.LoggingActive()) {
        if (!engine_.Running()) engine_.Stop_Pause();  // START resumes a paused run
        return true;
    }
    if (!hasSheet()) {
        prompter_.warn(GetText(texts::kNoSheet), host_texts::kProduct);
        return false;
    }
    if (engine_.wkSesn == 0) {
        prompter_.warn(GetText("1003", "Select Device First"), host_texts::kProduct);
        return false;
    }
    const LoggingParameters& p = parameters();
    // Values kept in the file may have been edited there: the form's checks hold for them too.
    if (auto problem = CheckParameters(p)) {
        prompter_.warn(*problem, host_texts::kProduct);
        return false;
    }
    engine_.SetSheet(prepared_.sheet);
    // F8: the strip chart's window; F1: the start, which the stop time counts from.
    const sheet::CellWrite f8{{8, 6}, static_cast<double>(p.points)};
    (void)prepared_.sheet->WriteCells({&f8, 1});
    if (p.begin != 2) (void)link::WriteRunStart(*prepared_.sheet, link::ToSerial(clock_.wallNow()));
    std::int16_t chart = p.chart;
    bool inSheet = p.inSheet;
    engine_.AddChart(chart, inSheet);
    engine_.SetNumberOfReading(p.readings);
    if (p.begin == 2) engine_.SetAtTime(p.atTime);
    engine_.SetBegin(p.begin);
    engine_.SetTerimnatingUpon(p.terminating);
    if (p.terminating == 2) engine_.SetStopTime(Trimmed(p.stopHH), Trimmed(p.stopNN), Trimmed(p.stopSS));
    std::int32_t interval = p.interval;
    engine_.StartTimer(interval);
    wasLogging_ = engine_.LoggingActive();
    return wasLogging_;
}

void AddinHost::Pause() {
    if (engine_.LoggingActive() && engine_.Running()) engine_.PauseTimer();
}

void AddinHost::Stop() {
    if (engine_.LoggingActive()) engine_.StopTimer();
    Tick();
}

void AddinHost::Tick() {
    if (engine_.LoggingActive()) engine_.Tick();
    if (wasLogging_ && !engine_.LoggingActive()) {
        wasLogging_ = false;
        UpdateStartButton();
    }
}

void AddinHost::UpdateStartButton() {
    if (!prepared_.app || engine_.LoggingActive()) return;
    std::vector<sheet::CommandBarControl> bar = engine_.CommandBarControls();
    if (bar.size() < 7) return;
    bar[6].enabled = engine_.wkSesn != 0;
    (void)prepared_.app->SetCommandBar(host_texts::kProduct, bar);
}

std::optional<std::string> AddinHost::SingleReading() {
    if (engine_.wkSesn == 0) {
        prompter_.warn(GetText("1003", "Select Device First"), host_texts::kProduct);
        return std::nullopt;
    }
    if (loggingActive()) {
        prompter_.warn(GetText(texts::kBusy), host_texts::kProduct);
        return std::nullopt;
    }
    // As a logging tick asks: "read?" without a line feed, one answer.
    ViUInt32 count = 0;
    ViStatus status = viWrite(engine_.wkSesn, reinterpret_cast<ViConstBuf>("read?"), 5, &count);
    ViByte buf[256];
    std::string answer;
    if (status >= VI_SUCCESS) status = viRead(engine_.wkSesn, buf, sizeof buf, &count);
    if (status >= VI_SUCCESS) {
        for (ViUInt32 i = 0; i < std::min<ViUInt32>(count, sizeof buf); ++i)
            if (buf[i] >= 32) answer += static_cast<char>(buf[i]);
        answer = Trimmed(answer);
    } else {
        viClear(engine_.wkSesn);
    }
    if (answer.empty()) {
        prompter_.warn(GetText(texts::kNoAnswer), host_texts::kProduct);
        return std::nullopt;
    }
    const link::LoggedReading r = link::ParseLoggedAnswer(answer, true);
    std::string text = link::NumberText(r.first);
    if (r.second) text += ", " + link::NumberText(*r.second);
    return text;
}

DeviceSettingsLink AddinHost::SetupLink() {
    DeviceSettingsLink l;
    l.devices = [this] {
        std::vector<PageDevice> devices;
        if (engine_.wkSesn != 0) {
            const std::string identity = connectedIdentity();
            devices.push_back({identity.empty() ? connected_ : identity, identity});
        }
        return devices;
    };
    // The Device Settings page's query operation on the working session:
    // the command with a line feed, one answer for a query, quotes kept.
    l.exchange = [this](int, const std::string& command) {
        QueryResult r;
        const ViSession s = engine_.wkSesn;
        if (s == 0) {
            r.refusal = "No instrument is connected.";
            return r;
        }
        const std::string line = command + "\n";
        ViUInt32 count = 0;
        r.writeStatus = viWrite(s, reinterpret_cast<ViConstBuf>(line.data()),
                                static_cast<ViUInt32>(line.size()), &count);
        r.sent = r.writeStatus >= VI_SUCCESS;
        if (!r.sent || !IsQueryCommand(command)) return r;
        r.readAttempted = true;
        std::string raw(kAnswerBufferSize, '\0');
        r.readStatus = viRead(s, reinterpret_cast<ViBuf>(raw.data()), static_cast<ViUInt32>(raw.size() - 1), &count);
        if (r.readStatus >= VI_SUCCESS) r.answer = CleanAnswer(std::string_view(raw.data(), std::min<std::size_t>(count, raw.size() - 1)), false);
        return r;
    };
    l.setAutoRange = [](int, bool) {};
    return l;
}

// --- the office ---------------------------------------------------------------------

bool AddinHost::CheckOffice() {
    if (officeLost_) return false;
    if (office_.Alive()) return true;
    officeLost_ = true;
    if (engine_.LoggingActive()) engine_.StopTimer();
    engine_.RMClose();
    engine_.wkSesn = 0;
    engine_.m_DevCount = 0;
    rows_.clear();
    connected_.clear();
    prepared_ = {};
    prompter_.warn(GetText(texts::kOfficeGone), host_texts::kProduct);
    return false;
}

}  // namespace qm::linkhost
