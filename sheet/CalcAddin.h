#pragma once
// What the add-in's programs need of a live office beyond the link engine's
// worksheet: the user profile's extensions (the add-in list), Calc's toolbars
// (the command bars), the spreadsheets open in the office, and Writer
// documents made from a template. Errors are values with the office's own
// description.
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "sheet/CalcOffice.h"

namespace qm::sheet {

struct ExtensionInfo {
    std::string identifier;   // "com.varnet.qmlink"
    std::string fileName;     // the package's file name as the office keeps it
    std::string displayName;
    std::string version;
    bool enabled = true;
};

// The extensions of the office's user profile.
SheetResult<std::vector<ExtensionInfo>> UserExtensions(CalcOffice& office);
// Adds a package to the user profile's extensions (the office keeps a copy of
// the file) and enables it; a package already there is replaced.
SheetResult<ExtensionInfo> AddUserExtension(CalcOffice& office, const std::string& path);
// Disables an extension of the user profile, named by its file name; the
// office keeps its file.
SheetStatus DisableUserExtension(CalcOffice& office, const std::string& fileName);

struct ToolbarInfo {
    std::string resourceUrl;  // "private:resource/toolbar/custom_..."
    std::string uiName;       // the name the user sees
    std::vector<CommandBarControl> controls;
};

// The resource URL of the add-in's toolbar (Calc keeps toolbars by URL).
std::string AddinToolbarUrl();

// Calc's toolbars of the user profile, shown in every spreadsheet window.
SheetResult<std::vector<ToolbarInfo>> CalcToolbars(CalcOffice& office);
// The toolbar at `resourceUrl` named `uiName` gets these controls (created
// when missing), is stored in the profile and shown in Calc's windows.
SheetStatus SetCalcToolbar(CalcOffice& office, const std::string& resourceUrl,
                           const std::string& uiName, std::span<const CommandBarControl> controls);
// Hides a toolbar in every window and deletes it: from the profile and from
// the documents open now.
SheetStatus RemoveCalcToolbar(CalcOffice& office, const std::string& resourceUrl);
// The documents' own toolbars (the link engine's command bar lives there).
SheetResult<std::vector<ToolbarInfo>> DocumentToolbars(CalcDocument& document);

struct OpenSpreadsheet {
    std::string title;
    std::shared_ptr<CalcDocument> document;
};
// The spreadsheet documents open in the office.
SheetResult<std::vector<OpenSpreadsheet>> OpenSpreadsheets(CalcOffice& office);
// A new Writer document from a template (.ott, .dot).
SheetStatus NewDocumentFromTemplate(CalcOffice& office, const std::string& path, bool hidden);

struct OpenTextDocument {
    std::string title;
    std::string location;  // the file's URL; empty for a document never stored
    std::string text;      // the body text
};
// The word-processor documents open in the office.
SheetResult<std::vector<OpenTextDocument>> OpenTextDocuments(CalcOffice& office);
// Runs a toolbar control's macro as its button does.
SheetStatus RunToolbarMacro(CalcOffice& office, const CommandBarControl& control);
// Whether the office still answers.
bool OfficeAlive(CalcOffice& office);

}  // namespace qm::sheet
