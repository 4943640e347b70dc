#pragma once
// The office as the launcher and the remover drive it: its spreadsheets,
// the user's extensions (the add-in list), Calc's toolbars (the command
// bars) and Writer templates. One implementation drives a live office over
// UNO; the tests give one that records.
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "sheet/Spreadsheet.h"

namespace qm::sheet {
struct ExtensionInfo;
struct ToolbarInfo;
}  // namespace qm::sheet

namespace qm::addin {

class AddinOffice {
  public:
    virtual ~AddinOffice() = default;
    // A spreadsheet is open (one is added when there is none).
    virtual sheet::SheetStatus OpenSpreadsheetIfNone() = 0;
    // The package copied into the user's extensions and enabled.
    virtual sheet::SheetStatus AddExtension(const std::string& path) = 0;
    // File names and enabled state of the user's extensions.
    virtual sheet::SheetResult<std::vector<std::pair<std::string, bool>>> Extensions() = 0;
    virtual sheet::SheetStatus DisableExtension(const std::string& fileName) = 0;
    // Resource URL and name of each of Calc's own toolbars.
    virtual sheet::SheetResult<std::vector<std::pair<std::string, std::string>>> Toolbars() = 0;
    virtual sheet::SheetStatus SetToolbar(const std::string& resourceUrl, const std::string& name,
                                          std::span<const sheet::CommandBarControl> controls) = 0;
    virtual sheet::SheetStatus RemoveToolbar(const std::string& resourceUrl) = 0;
    // A new word-processor document from a template.
    virtual sheet::SheetStatus NewFromTemplate(const std::string& path) = 0;
    // Done with the office: one this program started for itself ends.
    virtual void Release() = 0;
};

// How a program reaches the office.
struct OfficeRequest {
    // Nothing to show: an office started for the work runs headless and
    // ends afterwards.
    bool invisible = false;
};

struct OfficeOutcome {
    std::unique_ptr<AddinOffice> office;
    std::string error;  // why there is none
};

// $QM_LINK_OFFICE (a UNO URL such as "pipe,name=NAME") names an office that
// already runs; otherwise the user's own office is started, or reached when
// it runs, on a pipe private to the user. Documents are hidden when there is
// no display or $QM_LINK_HIDDEN is set.
OfficeOutcome ConnectAddinOffice(const OfficeRequest& request);
bool DocumentsHidden();

}  // namespace qm::addin
