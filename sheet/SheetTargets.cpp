#include "sheet/SheetTargets.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>

#ifdef QM_HAVE_CALC
#include "sheet/CalcOffice.h"
#endif
#ifdef QM_HAVE_XLSX
#include "sheet/XlsxWorkbook.h"
#endif

namespace qm::sheet {

bool CalcAvailable() {
#ifdef QM_HAVE_CALC
    return true;
#else
    return false;
#endif
}

bool XlsxAvailable() {
#ifdef QM_HAVE_XLSX
    return true;
#else
    return false;
#endif
}

namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size()) return false;
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i])
            return false;
    return true;
}

#ifdef QM_HAVE_CALC
SheetResult<LogTarget> OpenCalc(const std::string& url, const TargetOptions& options) {
    std::shared_ptr<CalcOffice> office;
    bool headless = true;
    if (url.empty()) {
        const char* display = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        headless = options.forceHeadless || !((display && *display) || (wayland && *wayland));
        CalcStartOptions start;
        start.headless = headless;
        if (headless) {
            // A profile of its own, so that a user's office is neither used nor changed.
            std::string pattern = (std::filesystem::temp_directory_path() / "qm_link_office_XXXXXX").string();
            if (!mkdtemp(pattern.data())) return SheetStatus::Fail("cannot create a profile folder");
            start.profileDir = pattern;
        }
        auto started = CalcOffice::Start(start);
        if (!started) return started.status();
        office = started.value();
    } else {
        auto connected = CalcOffice::Connect(url, std::chrono::seconds(20));
        if (!connected) return connected.status();
        office = connected.value();
        headless = false;
    }
    auto document = office->NewDocument(/*hidden=*/headless);
    if (!document) {
        office->Shutdown();
        return document.status();
    }
    auto doc = document.value();
    auto sheet = doc->Sheet(0);
    if (!sheet) {
        office->Shutdown();
        return sheet.status();
    }
    LogTarget t;
    t.app = doc;
    t.sheet = sheet.value();
    t.description = "LibreOffice Calc " + office->Version() + (headless ? " (headless)" : "");
    t.saveAs = [doc](const std::string& path) { return doc->SaveAs(path); };
    t.addScrollBar = [doc](const std::string& name, CellRef anchor) {
        return doc->AddScrollBar(0, name, anchor);
    };
    const bool closeAll = headless && url.empty();
    t.close = [doc, office, closeAll] {
        if (closeAll) {
            (void)doc->Close();
            office->Shutdown();
        }
    };
    return t;
}
#endif

}  // namespace

SheetResult<LogTarget> OpenLogTarget(const std::string& spec, const TargetOptions& options) {
    if (spec == "calc" || spec.rfind("calc:", 0) == 0) {
#ifdef QM_HAVE_CALC
        return OpenCalc(spec == "calc" ? std::string() : spec.substr(5), options);
#else
        (void)options;
        return SheetStatus::Fail("this build has no LibreOffice Calc support (the LibreOffice SDK was missing)");
#endif
    }
    if (EndsWith(spec, ".xlsx")) {
#ifdef QM_HAVE_XLSX
        auto book = XlsxWorkbook::Create(spec);
        LogTarget t;
        t.app = book;
        t.sheet = book->AddSheet("Sheet1");
        t.description = spec;
        t.saveAs = [](const std::string&) { return SheetStatus::Ok(); };
        t.addScrollBar = [](const std::string&, CellRef) { return SheetStatus::Ok(); };
        t.close = [book] { (void)book->Write(); };
        return t;
#else
        return SheetStatus::Fail("this build has no .xlsx support (libxlsxwriter was missing)");
#endif
    }
    return SheetStatus::Fail("unknown target \"" + spec + "\" (calc, calc:UNO-URL or FILE.xlsx)");
}

}  // namespace qm::sheet
