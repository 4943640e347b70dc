#pragma once
// The add-in's host as its tests meet it: simulated meters on a virtual
// clock, a settings folder of its own, a scripted prompter and an office
// whose logging sheets record what is written to them.
#include <memory>
#include <string>
#include <vector>

#include "link/host/CLinkHost.h"
#include "sheet/RecordingSheet.h"
#include "tests/link/LinkTestSupport.h"

namespace qm::test {

class RecordingHostOffice : public linkhost::HostOffice {
  public:
    std::vector<std::string> OpenDocuments() override { return {"Untitled 1"}; }
    sheet::SheetResult<linkhost::PreparedSheet> MakeSheet(const linkhost::SheetChoice& choice) override {
        choices.push_back(choice);
        linkhost::PreparedSheet p;
        p.app = app;
        p.sheet = sheet;
        p.workbookName = "Untitled 1";
        p.addScrollBar = [this](const std::string& name, sheet::CellRef) {
            sheet->scrollBars[name] = {};
            return sheet::SheetStatus::Ok();
        };
        return p;
    }
    bool Alive() override { return alive; }

    std::shared_ptr<sheet::Recording> log = std::make_shared<sheet::Recording>();
    std::shared_ptr<sheet::RecordingApp> app = std::make_shared<sheet::RecordingApp>(log);
    std::shared_ptr<sheet::RecordingSheet> sheet = std::make_shared<sheet::RecordingSheet>(log, "QM-Link");
    std::vector<linkhost::SheetChoice> choices;
    bool alive = true;
};

struct LinkHostBench {
    LinkDocs docs;
    SimulatedBench bench;
    ScriptedPrompter prompter;
    RecordingHostOffice office;
    std::unique_ptr<CLinkHost> host;
    LinkHostBench() {
        bench.UseTable(LinkTable());
        host = std::make_unique<CLinkHost>(prompter, bench.clock, office);
    }
    // Virtual time through the engine's own timer.
    void RunToEnd() {
        auto& engine = host->core().engine();
        for (int guard = 0; engine.LoggingActive() && guard < 100000; ++guard) {
            const auto next = engine.NextTickIn();
            if (!next) break;
            bench.clock.advance(*next);
            host->core().Tick();
        }
    }
};

}  // namespace qm::test
