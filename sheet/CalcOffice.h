#pragma once
// LibreOffice Calc, live, through its UNO API: an office that this process
// starts (visible for a user, or headless with a throw-away profile) or one
// that already runs and accepts UNO connections. Documents are spreadsheets
// the link engine writes into while the office shows them. UNO itself stays
// inside the .cpp files: nothing here needs the SDK's headers.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "sheet/Spreadsheet.h"

namespace qm::sheet {

struct CalcStartOptions {
    bool headless = true;
    // The office's user profile: a folder of its own (created, and removed
    // again at shutdown when `removeProfile`); empty uses the user's profile.
    std::string profileDir;
    bool removeProfile = true;
    // The office listens on this local pipe; empty picks a unique name.
    std::string pipeName;
    std::chrono::milliseconds startTimeout{60000};
    // An office that already runs with this profile may take the request:
    // the process started here then ends at once, and the office that ran
    // before opens the pipe (and is left running).
    bool handOver = false;
};

// The office's program folder: $QM_LO_PROGRAM_DIR when set, else the one
// this build was made against.
std::string OfficeProgramDir();
// Whether an office with Calc is installed there; `why` says what is missing.
bool CalcInstalled(std::string* why = nullptr);
// Whether this process can start its UNO runtime (it reads the office's
// bootstrap files); `why` says what failed.
bool UnoRuntimeReady(std::string* why = nullptr);

class CalcDocument;

class CalcOffice {
  public:
    static SheetResult<std::shared_ptr<CalcOffice>> Start(const CalcStartOptions& options);
    // "uno:socket,host=127.0.0.1,port=2002;urp;StarOffice.ComponentContext",
    // or the short forms "socket,host=...,port=..." and "pipe,name=...".
    static SheetResult<std::shared_ptr<CalcOffice>> Connect(const std::string& unoUrl,
                                                            std::chrono::milliseconds timeout);
    // The UNO URL an office started with --accept=`accept` is reached by.
    static std::string UrlFor(const std::string& accept);

    ~CalcOffice();
    CalcOffice(const CalcOffice&) = delete;
    CalcOffice& operator=(const CalcOffice&) = delete;

    // A new spreadsheet; hidden documents never show a window (a headless
    // office needs them hidden).
    SheetResult<std::shared_ptr<CalcDocument>> NewDocument(bool hidden);
    SheetResult<std::shared_ptr<CalcDocument>> OpenDocument(const std::string& path, bool hidden);
    // Ends an office this process started (killing it when it does not end
    // in time); leaves one it connected to running.
    void Shutdown();
    // Process id of an office this process started; 0 otherwise.
    int pid() const;
    bool started() const;
    // The office's version ("7.4").
    std::string Version();

    struct Impl;
    // For the backend's own files (the type is opaque elsewhere).
    const std::shared_ptr<Impl>& impl() const { return impl_; }

  private:
    explicit CalcOffice(std::shared_ptr<Impl> impl);
    std::shared_ptr<Impl> impl_;
};

class CalcDocument : public SpreadsheetApp {
  public:
    ~CalcDocument() override;

    SheetResult<std::shared_ptr<Worksheet>> Sheet(int index);
    // Stores the document: .ods, or by the file's extension .xlsx, or .pdf
    // (the first sheet on one landscape page).
    SheetStatus SaveAs(const std::string& path);
    SheetStatus Close();
    // Adds a form scroll bar of that name on a sheet (what the add-in's
    // template carries; a host that builds its sheet itself adds them).
    SheetStatus AddScrollBar(int sheetIndex, const std::string& name, CellRef anchor);
    // A new sheet after the last one (its name made unique with " 2", " 3",
    // ... when taken); its index.
    SheetResult<int> AddSheet(const std::string& name);
    // The document's title as its window shows it.
    std::string Title();
    // The document is still open in a reachable office.
    bool Alive();

    std::string Version() override;
    SheetStatus SetStatusBar(const std::string& text) override;
    SheetStatus SetCommandBar(const std::string& barName,
                              std::span<const CommandBarControl> controls) override;

    // --- reading back, for tests and checks ---
    // The text a formula gives, evaluated in a spare cell of a sheet.
    SheetResult<std::string> Evaluate(int sheetIndex, const std::string& calcFormula);
    SheetResult<std::string> NameContent(int sheetIndex, const std::string& name);
    // Per series of the sheet's first chart (or the chart on a sheet of its
    // own): "label-range values-range axis" with axis 0 or 1.
    SheetResult<std::vector<std::string>> ChartSeries(int sheetIndex);
    SheetResult<std::string> ChartType(int sheetIndex);
    SheetResult<ScrollBarSettings> ScrollBar(int sheetIndex, const std::string& name);
    SheetResult<std::vector<CommandBarControl>> CommandBar(const std::string& barName);
    int SheetCount();
    const std::string& statusText() const;

    struct Impl;
    explicit CalcDocument(std::shared_ptr<Impl> impl);
    const std::shared_ptr<Impl>& impl() const { return impl_; }

  private:
    std::shared_ptr<Impl> impl_;
};

}  // namespace qm::sheet
