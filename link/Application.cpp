// The engine's interface: construction, the application and sheet it works
// on, settings, languages and the search for instruments.
#include "link/Application.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "config/NumberText.h"
#include "instrument/SessionTable.h"
#include "link/LinkSettings.h"
#include "link/Logging.h"
#include "platform/AsciiCase.h"
#include "platform/Profile.h"
#include "visa/visa.h"

namespace qm::link {

namespace {

constexpr int kIdentityRows = 256;
constexpr ViUInt32 kSearchTimeoutMs = 30000;
constexpr std::size_t kIdentityBytes = 255;

std::mutex g_engineMutex;
std::weak_ptr<EngineState> g_engine;

AutomationError SubscriptOutOfRange() { return {kSubscriptOutOfRange, "Subscript out of range"}; }

// Whether the link engine takes an instrument: the maker and one of its
// models, or the classic 34401 bench meter, in any letter case.
bool AcceptedByLink(std::string_view identity) {
    const std::string id = AsciiLowerCase(identity);
    if (id.find("34401") != std::string::npos) return true;
    if (id.find("varnet") == std::string::npos) return false;
    for (const char* model : {"tx41", "tx42", "tx44"})
        if (id.find(model) != std::string::npos) return true;
    return false;
}

}  // namespace

void ShowMessage(EngineState& e, const std::string& text, PromptIcon icon) {
    if (e.prompter) e.prompter->message({text, kProductName, icon, PromptButtons::Ok});
}

std::shared_ptr<EngineState> AcquireEngine() {
    std::lock_guard lock(g_engineMutex);
    auto engine = g_engine.lock();
    if (!engine) {
        engine = std::make_shared<EngineState>();
        g_engine = engine;
    }
    return engine;
}

struct Application::Search {
    std::array<std::array<std::string, 4>, kIdentityRows> table;
};

Application::Application(Prompter& prompter, Clock& clock)
    : engine_(AcquireEngine()), search_(std::make_unique<Search>()) {
    EngineState& e = *engine_;
    e.prompter = &prompter;
    e.clock = &clock;
    e.language = kDefaultLanguage;
    e.running = false;
}

Application::~Application() {
    KillEngineTimer(*engine_);
    RMClose();
}

// --- the spreadsheet --------------------------------------------------------

Variant Application::SetApp(std::shared_ptr<sheet::SpreadsheetApp> app) {
    EngineState& e = *engine_;
    e.app = std::move(app);
    e.statusText.reset();
    if (!e.app) return {AutomationError{kObjectNotSet, "Object variable not set"}};
    SetUpCommandBar(e);
    const double version = AsciiToDouble(e.app->Version());
    e.majorVersion = static_cast<std::int16_t>(std::clamp(version, -32768.0, 32767.0));
    e.rowCounter = 2;
    return {};
}

Variant Application::SetWorkbooksName(const std::string& sName) {
    engine_->workbookName = sName;
    return {};
}

Variant Application::SetSheet(std::shared_ptr<sheet::Worksheet> ExcelSheet) {
    engine_->sheet = std::move(ExcelSheet);
    return {};
}

std::int16_t Application::GetExlVersion() { return engine_->majorVersion; }

Variant Application::ShowHelp(const std::string& sPath) {
    if (engine_->prompter) engine_->prompter->openExternal(sPath);
    return {};
}

// --- settings and languages ------------------------------------------------

std::string Application::GetINI() { return SettingsFile(*engine_); }

std::string Application::LoadSetting(std::string& val1, std::string& val2) {
    const std::string ini = GetINI();
    if (ini.empty()) return {};
    return GetProfileString(ini, kInformationSection, val1, val2, 256);
}

Variant Application::SaveSetting1(std::string& val1, std::string& val2) {
    const std::string ini = GetINI();
    if (ini.empty()) return {};
    if (!WriteProfileString(ini, kInformationSection, val1, val2))
        return {AutomationError{75, "Path/File access error"}};
    return {};
}

Variant Application::SaveSetting() {
    if (!SaveLoggingSettings(*engine_) && std::filesystem::is_regular_file(SettingsFilePath()))
        return {AutomationError{75, "Path/File access error"}};
    return {};
}

std::int32_t Application::GetLanguageCount() {
    const std::string ini = GetINI();
    if (ini.empty()) return 0;
    const std::string list =
        GetProfileString(ini, kInformationSection, "Language", kDefaultLanguage, 256);
    EngineState& e = *engine_;
    e.languages.clear();
    std::size_t start = 0;
    for (;;) {
        const auto comma = list.find(',', start);
        e.languages.push_back(list.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return static_cast<std::int32_t>(e.languages.size()) - 1;
}

Result<std::string> Application::GetLanguage(std::int32_t m_Index) {
    const auto& list = engine_->languages;
    if (m_Index < 0 || m_Index >= static_cast<std::int32_t>(list.size()))
        return {{}, SubscriptOutOfRange()};
    return {list[static_cast<std::size_t>(m_Index)], std::nullopt};
}

Variant Application::SetLanguage(std::int32_t m_Index) {
    auto name = GetLanguage(m_Index);
    if (!name.ok()) return {name.error};
    engine_->language = name.value;
    return {};
}

std::string Application::GetIdText(const std::string& id) {
    const std::string ini = GetINI();
    if (ini.empty()) return {};
    return GetProfileString(ini, engine_->language, id, id, 256);
}

// --- instruments ----------------------------------------------------------

Variant Application::FindDevice() {
    for (auto& row : search_->table) row.fill(std::string());
    Variant usb = FindRsrc("USB?*INSTR", "USB?*INSTR");
    USBRM = static_cast<double>(dfltRM);
    Variant gpib = FindRsrc("GPIB?*", "GPIB?*");
    GPIBRM = static_cast<double>(dfltRM);
    return usb.ok() ? gpib : usb;
}

Variant Application::FindRsrc(const std::string& add0, const std::string& add1) {
    EngineState& e = *engine_;
    ViSession rm = VI_NULL;
    e.lastStatus = viOpenDefaultRM(&rm);
    dfltRM = rm;
    if (e.lastStatus < VI_SUCCESS) return {};
    ViUInt32 count = 0;
    ViChar first[VI_FIND_BUFLEN] = {};
    e.lastStatus = viFindRsrc(dfltRM, add0.c_str(), &fList, &count, first);
    if (e.lastStatus < VI_SUCCESS)
        e.lastStatus = viFindRsrc(dfltRM, add1.c_str(), &fList, &count, first);
    if (e.lastStatus < VI_SUCCESS) return {};
    return GetDevSesn(static_cast<std::int32_t>(count), static_cast<std::int32_t>(dfltRM),
                      std::string(first, strnlen(first, VI_FIND_BUFLEN)));
}

Variant Application::GetDevSesn(std::int32_t nList, std::int32_t rm, const std::string& rsrcName) {
    EngineState& e = *engine_;
    std::string name = rsrcName;
    for (std::int32_t n = 0; n < nList; ++n) {
        ViSession session = VI_NULL;
        const ViStatus opened =
            viOpen(static_cast<ViSession>(rm), name.c_str(), VI_NULL, VI_NULL, &session);
        sesn = session;
        e.lastStatus = opened;
        // The logging session's time-out is kept around the search.
        ViUInt32 saved = 0;
        viGetAttribute(e.loggingSession, VI_ATTR_TMO_VALUE, &saved);
        const ViStatus timed =
            opened < VI_SUCCESS ? opened : viSetAttribute(sesn, VI_ATTR_TMO_VALUE, kSearchTimeoutMs);

        std::string identity;
        if (opened < VI_SUCCESS || timed < VI_SUCCESS) {
            viClose(sesn);
        } else {
            viClear(sesn);
            ViByte buf[kIdentityBytes];
            ViUInt32 count = 0;
            viWrite(sesn, reinterpret_cast<ViConstBuf>("*esr?"), 5, &count);
            viRead(sesn, buf, kIdentityBytes, &count);
            viWrite(sesn, reinterpret_cast<ViConstBuf>("*idn?"), 5, &count);
            e.lastStatus = viRead(sesn, buf, kIdentityBytes, &count);
            retCount = static_cast<std::int32_t>(count);
            if (e.lastStatus >= VI_SUCCESS)
                identity = CleanAnswer(std::string_view(reinterpret_cast<const char*>(buf),
                                                        std::min<ViUInt32>(count, kIdentityBytes)),
                                       false);
        }

        if (!identity.empty() && AcceptedByLink(identity)) {
            if (m_DevCount < 0 || m_DevCount >= kIdentityRows) {
                viSetAttribute(e.loggingSession, VI_ATTR_TMO_VALUE, saved);
                return {SubscriptOutOfRange()};
            }
            auto& row = search_->table[static_cast<std::size_t>(m_DevCount)];
            row = {identity, name, std::to_string(sesn), std::to_string(static_cast<ViSession>(rm))};
            ++m_DevCount;
        }
        viSetAttribute(e.loggingSession, VI_ATTR_TMO_VALUE, saved);
        ViChar next[VI_FIND_BUFLEN] = {};
        if (n + 1 < nList) {
            if (viFindNext(fList, next) < VI_SUCCESS) break;
            name.assign(next, strnlen(next, VI_FIND_BUFLEN));
        }
    }
    return {};
}

Variant Application::GetIDN(std::int16_t i) {
    if (i < 0 || i >= kIdentityRows) return {SubscriptOutOfRange()};
    const auto& row = search_->table[static_cast<std::size_t>(i)];
    m_IDNbuff = row[0];
    m_IDNAddr = row[1];
    m_IDNSesn = static_cast<ViSession>(std::max(0.0, AsciiToDouble(row[2])));
    return {};
}

void Application::RMClose() {
    // Each handle is closed once: a second RMClose must not close whatever
    // later received the same handle number.
    for (double* rm : {&USBRM, &GPIBRM, &TCPIPRM}) {
        const auto handle = static_cast<ViSession>(*rm);
        if (handle != VI_NULL) viClose(handle);
        *rm = 0;
    }
}

std::string Application::IdentityCell(int row, int column) const {
    if (row < 0 || row >= kIdentityRows || column < 0 || column > 3) return {};
    return search_->table[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

}  // namespace qm::link
