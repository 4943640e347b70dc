#pragma once
// The Record View page without its widgets: the record list, the selected
// record's statistics and grid page, the band search, the CSV export and
// deleting. QM_TOOL's page and qmcli's records commands both drive this.
//
// Every operation works on the file of the selected list entry: a number
// whose two files are both listed shows, searches and exports each file
// under its own entry.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Prompter.h"
#include "platform/TextSource.h"
#include "records/BandSearch.h"
#include "records/CsvExport.h"
#include "records/RecordLabels.h"
#include "records/RecordQuery.h"
#include "records/RecordStore.h"

namespace qm {

// What the page's statics show.
struct RecordViewTexts {
    std::string quantity = "0";  // 1059
    std::string match = "0";     // 1202
    std::string maximum = "0";   // 1060
    std::string minimum = "0";   // 1061
    std::string average = "0";   // 1062
    std::string maximum2, minimum2, average2;  // 1063, 1064, 1067 (hidden)
};

class RecordViewer {
  public:
    RecordViewer(Prompter& prompter, const TextSource& texts);

    // Initialisation and Refresh: finds the database folder from the current
    // directory (telling the user when there is none) and lists the records.
    void Initialise();
    // The same on a known folder, without changing directory (qmcli).
    void InitialiseIn(std::string folder);

    const std::vector<RecordListEntry>& entries() const { return entries_; }
    int selected() const { return selected_; }
    const RecordListEntry* selectedEntry() const;
    std::string SelectedPath() const;

    // Selects a list entry: statistics, page selector and the first grid
    // page. False (after telling the user) when the file cannot be read.
    bool SelectRecord(int index);
    // Loads grid page `page` (0-based) of the selected record.
    bool LoadPage(long long page);

    // The band search with the texts of the two limit edits.
    void Search(std::string_view upperText, std::string_view lowerText);

    // CSV export to the name chosen in the file dialog (".csv" is appended).
    bool BeginExport(CsvExport& exporter, std::string_view chosenName);
    void FinishExport(CsvExport& exporter);
    // Both in one go (qmcli); true when the file was written.
    bool ExportCsv(std::string_view chosenName);

    // Asks, deletes both files of the selected number, then refreshes.
    DeleteOutcome DeleteSelected();

    const RecordViewTexts& texts() const { return shown_; }
    const RecordStatistics& statistics() const { return stats_; }
    const std::vector<std::string>& pageItems() const { return pageItems_; }
    const std::vector<GridRow>& rows() const { return rows_; }
    const std::string& folder() const { return folder_; }

  private:
    void Reset();
    void NoData();
    // Opens the selected entry's file, telling the user when it cannot be read.
    bool OpenSelected(Database& db);
    bool LoadPageFrom(Database& db, long long page);
    std::string Text(std::string_view key, std::string_view englishDefault) const;

    Prompter& prompter_;
    const TextSource& texts_;
    std::string folder_;
    std::vector<RecordListEntry> entries_;
    int selected_ = -1;
    RecordStatistics stats_;
    RecordViewTexts shown_;
    std::vector<std::string> pageItems_;
    std::vector<GridRow> rows_;
};

}  // namespace qm
