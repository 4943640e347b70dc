#include "addin/AddinOffice.h"

#include <unistd.h>

#include <cstdlib>

#include "sheet/CalcAddin.h"
#include "sheet/CalcOffice.h"

namespace qm::addin {

namespace {

using sheet::SheetResult;
using sheet::SheetStatus;

bool HasDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

class UnoAddinOffice : public AddinOffice {
  public:
    UnoAddinOffice(std::shared_ptr<sheet::CalcOffice> office, bool hidden)
        : office_(std::move(office)), hidden_(hidden) {}
    ~UnoAddinOffice() override { Release(); }

    SheetStatus OpenSpreadsheetIfNone() override {
        auto open = sheet::OpenSpreadsheets(*office_);
        if (!open) return open.status();
        if (!open.value().empty()) return SheetStatus::Ok();
        auto doc = office_->NewDocument(hidden_);
        if (!doc) return doc.status();
        return SheetStatus::Ok();
    }
    SheetStatus AddExtension(const std::string& path) override {
        auto added = sheet::AddUserExtension(*office_, path);
        return added ? SheetStatus::Ok() : added.status();
    }
    SheetResult<std::vector<std::pair<std::string, bool>>> Extensions() override {
        auto list = sheet::UserExtensions(*office_);
        if (!list) return list.status();
        std::vector<std::pair<std::string, bool>> out;
        for (const auto& e : list.value()) out.emplace_back(e.fileName, e.enabled);
        return out;
    }
    SheetStatus DisableExtension(const std::string& fileName) override {
        return sheet::DisableUserExtension(*office_, fileName);
    }
    SheetResult<std::vector<std::pair<std::string, std::string>>> Toolbars() override {
        auto bars = sheet::CalcToolbars(*office_);
        if (!bars) return bars.status();
        std::vector<std::pair<std::string, std::string>> out;
        for (const auto& b : bars.value()) out.emplace_back(b.resourceUrl, b.uiName);
        return out;
    }
    SheetStatus SetToolbar(const std::string& resourceUrl, const std::string& name,
                           std::span<const sheet::CommandBarControl> controls) override {
        return sheet::SetCalcToolbar(*office_, resourceUrl, name, controls);
    }
    SheetStatus RemoveToolbar(const std::string& resourceUrl) override {
        return sheet::RemoveCalcToolbar(*office_, resourceUrl);
    }
    SheetStatus NewFromTemplate(const std::string& path) override {
        return sheet::NewDocumentFromTemplate(*office_, path, hidden_);
    }
    void Release() override {
        if (office_) office_->Shutdown();
        office_.reset();
    }

  private:
    std::shared_ptr<sheet::CalcOffice> office_;
    bool hidden_;
};

}  // namespace

bool DocumentsHidden() {
    const char* forced = std::getenv("QM_LINK_HIDDEN");
    return (forced && *forced) || !HasDisplay();
}

OfficeOutcome ConnectAddinOffice(const OfficeRequest& request) {
    OfficeOutcome outcome;
    const char* named = std::getenv("QM_LINK_OFFICE");
    std::shared_ptr<sheet::CalcOffice> office;
    if (named && *named) {
        auto connected = sheet::CalcOffice::Connect(named, std::chrono::seconds(20));
        if (!connected) {
            outcome.error = connected.description();
            return outcome;
        }
        office = connected.value();
    } else {
        std::string why;
        if (!sheet::CalcInstalled(&why)) {
            outcome.error = why;
            return outcome;
        }
        sheet::CalcStartOptions options;
        options.headless = request.invisible || !HasDisplay();
        // The user's own profile, on a pipe only this user can open; an
        // office that already runs for the user takes the request.
        options.pipeName = "qm_link_" + std::to_string(getuid());
        options.handOver = true;
        options.startTimeout = std::chrono::seconds(60);
        auto started = sheet::CalcOffice::Start(options);
        if (!started) {
            outcome.error = started.description();
            return outcome;
        }
        office = started.value();
    }
    outcome.office = std::make_unique<UnoAddinOffice>(office, DocumentsHidden());
    return outcome;
}

}  // namespace qm::addin
