#include "link/host/HostOffice.h"

#include <cstdlib>

#include "sheet/SheetTargets.h"
#ifdef QM_HAVE_CALC
#include "sheet/CalcAddin.h"
#include "sheet/CalcOffice.h"
#endif
#ifdef QM_HAVE_XLSX
#include "sheet/XlsxWorkbook.h"
#endif

namespace qm::linkhost {

namespace {

using sheet::SheetResult;
using sheet::SheetStatus;

class LiveOffice : public HostOffice {
  public:
#ifdef QM_HAVE_CALC
    explicit LiveOffice(std::shared_ptr<sheet::CalcOffice> office) : office_(std::move(office)) {}
#endif
    std::vector<std::string> OpenDocuments() override {
        std::vector<std::string> titles;
#ifdef QM_HAVE_CALC
        documents_.clear();
        if (office_) {
            if (auto open = sheet::OpenSpreadsheets(*office_)) {
                for (const auto& d : open.value()) {
                    titles.push_back(d.title);
                    documents_.push_back(d.document);
                }
            }
        }
#endif
        return titles;
    }

    SheetResult<PreparedSheet> MakeSheet(const SheetChoice& choice) override {
        if (choice.kind == SheetChoice::Kind::Xlsx) return MakeXlsx(choice);
#ifdef QM_HAVE_CALC
        if (!office_) return SheetStatus::Fail("No LibreOffice is connected: choose an .xlsx file.");
        std::shared_ptr<sheet::CalcDocument> doc;
        if (choice.kind == SheetChoice::Kind::NewCalc) {
            const char* hidden = std::getenv("QM_LINK_HIDDEN");
            const char* display = std::getenv("DISPLAY");
            const char* wayland = std::getenv("WAYLAND_DISPLAY");
            const bool invisible = (hidden && *hidden) || !((display && *display) || (wayland && *wayland));
            auto made = office_->NewDocument(invisible);
            if (!made) return made.status();
            doc = made.value();
        } else {
            if (documents_.empty()) OpenDocuments();
            if (choice.document < 0 || choice.document >= static_cast<int>(documents_.size()))
                return SheetStatus::Fail("That document is no longer open.");
            doc = documents_[static_cast<std::size_t>(choice.document)];
        }
        // A new document's first sheet is empty: use it; an open one gets a sheet of its own.
        int index = 0;
        if (choice.kind == SheetChoice::Kind::OpenCalc) {
            auto added = doc->AddSheet(choice.sheetName.empty() ? "QM-Link" : choice.sheetName);
            if (!added) return added.status();
            index = added.value();
        }
        auto sheet = doc->Sheet(index);
        if (!sheet) return sheet.status();
        PreparedSheet p;
        p.app = doc;
        p.sheet = sheet.value();
        p.workbookName = doc->Title();
        p.addScrollBar = [doc, index](const std::string& name, sheet::CellRef anchor) {
            return doc->AddScrollBar(index, name, anchor);
        };
        return p;
#else
        return SheetStatus::Fail("this build has no LibreOffice Calc support");
#endif
    }

    bool Alive() override {
#ifdef QM_HAVE_CALC
        return !office_ || sheet::OfficeAlive(*office_);
#else
        return true;
#endif
    }

  private:
    SheetResult<PreparedSheet> MakeXlsx(const SheetChoice& choice) {
#ifdef QM_HAVE_XLSX
        auto book = sheet::XlsxWorkbook::Create(choice.path);
        PreparedSheet p;
        p.app = book;
        p.sheet = book->AddSheet(choice.sheetName);
        p.workbookName = choice.path;
        p.addScrollBar = [](const std::string&, sheet::CellRef) { return SheetStatus::Ok(); };
        return p;
#else
        (void)choice;
        return SheetStatus::Fail("this build has no .xlsx support (libxlsxwriter was missing)");
#endif
    }

#ifdef QM_HAVE_CALC
    std::shared_ptr<sheet::CalcOffice> office_;
    std::vector<std::shared_ptr<sheet::CalcDocument>> documents_;
#endif
};

}  // namespace

std::unique_ptr<HostOffice> ConnectHostOffice(const std::string& unoUrl, std::string& error) {
#ifdef QM_HAVE_CALC
    if (unoUrl.empty()) return std::make_unique<LiveOffice>(nullptr);
    auto connected = sheet::CalcOffice::Connect(unoUrl, std::chrono::seconds(20));
    if (!connected) {
        error = connected.description();
        return nullptr;
    }
    return std::make_unique<LiveOffice>(connected.value());
#else
    if (!unoUrl.empty()) {
        error = "this build has no LibreOffice Calc support";
        return nullptr;
    }
    return std::make_unique<LiveOffice>();
#endif
}

}  // namespace qm::linkhost
