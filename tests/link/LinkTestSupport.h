#pragma once
// A bench for the link engine: simulated meters on a virtual clock, a
// settings folder of its own, a recording spreadsheet and a scripted
// prompter, and a loop that lets virtual time pass through the engine's tick.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <memory>
#include <string>

#include "link/Application.h"
#include "platform/TempFolder.h"
#include "sheet/RecordingSheet.h"
#include "support/ScriptedPrompter.h"
#include "support/SimulatedBench.h"
#include "visa/visa_ext.h"
#include "sim/SimEndpoint.h"
#include "sim/SimMeter.h"
#include "visa/visa.h"

namespace qm::test {

// $QM_LINK_DOCS pointed at a folder of the test's, with or without the settings file.
class LinkDocs {
  public:
    explicit LinkDocs(bool withSettings = true) {
        if (const char* old = std::getenv("QM_LINK_DOCS")) old_ = old;
        ::setenv("QM_LINK_DOCS", folder_.path().c_str(), 1);
        if (withSettings) WriteSettings("[Information]\nLanguage=English(U.S),Chinese(Traditional)\n"
                                        "[English(U.S)]\n1001=Start\n");
    }
    ~LinkDocs() {
        if (old_.empty())
            ::unsetenv("QM_LINK_DOCS");
        else
            ::setenv("QM_LINK_DOCS", old_.c_str(), 1);
    }
    std::filesystem::path settings() const {
        return folder_.path() / "Varnet Instruments" / "TX42" / "QM_TOOL.ini";
    }
    void WriteSettings(const std::string& text) {
        std::filesystem::create_directories(settings().parent_path());
        WriteBytes(settings(), text);
    }
    std::string ReadSettings() const { return ReadBytes(settings()); }
    const std::filesystem::path& root() const { return folder_.path(); }

  private:
    TempFolder folder_;
    std::string old_;
};

// Two meters on USB and a third-party meter on GPIB, unless a test gives its own.
inline std::string LinkTable(const std::string& firstExtra = {}) {
    return SimMeterSection("USB0::0x1209::0x4101::SN000001::INSTR", "TX42", "SN000001",
                           "noise=0\nvalue=1.25\nvalue2=0.5\n" + firstExtra) +
           SimMeterSection("USB0::0x1209::0x4101::SN000002::INSTR", "TX41", "SN000002", "noise=0") +
           SimMeterSection("GPIB0::7::INSTR", "TX41", "SN7", "identity=Othermaker, DM3000, 0, 1.0");
}

// What an add-in does before logging: search, take row 0 as the working
// instrument, hand over the spreadsheet and its sheet.
inline void AttachEngine(link::Application& link, std::shared_ptr<sheet::SpreadsheetApp> app,
                         std::shared_ptr<sheet::Worksheet> sheet) {
    ASSERT_TRUE(link.FindDevice().ok());
    ASSERT_TRUE(link.GetIDN(0).ok());
    link.wkSesn = link.m_IDNSesn;
    ASSERT_TRUE(link.SetApp(std::move(app)).ok());
    link.SetSheet(std::move(sheet));
}

class LinkFixture : public ::testing::Test {
  protected:
    void SetUpEngine(const std::string& table = LinkTable()) {
        bench.UseTable(table);
        link = std::make_unique<link::Application>(prompter, bench.clock);
        AttachEngine(*link, app, sheet);
    }
    sim::SimEndpoint& meter() { return *visa::simEndpointOf(link->wkSesn); }

    // Virtual time passes in the engine's own steps until `span` has gone
    // by or nothing is left to run.
    void RunFor(std::chrono::milliseconds span) {
        const auto end = bench.clock.now() + span;
        while (bench.clock.now() < end) {
            const auto next = link->NextTickIn();
            if (!next) break;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - bench.clock.now());
            bench.clock.advance(std::min(*next, left));
            link->Tick();
        }
    }
    // Runs until logging stops (or the guard of virtual time passes).
    void RunToEnd(std::chrono::milliseconds guard = std::chrono::hours(1)) {
        const auto end = bench.clock.now() + guard;
        while (link->LoggingActive() && bench.clock.now() < end) {
            const auto next = link->NextTickIn();
            if (!next) break;
            bench.clock.advance(*next);
            link->Tick();
        }
    }
    // The members in the order an add-in calls them, up to StartTimer.
    void Start(std::int16_t chart, std::int32_t begin, std::int32_t stop, std::int32_t count,
               std::int32_t interval, bool inSheet = true) {
        ASSERT_TRUE(link->AddChart(chart, inSheet).ok());
        link->SetNumberOfReading(count);
        link->SetBegin(begin);
        link->SetTerimnatingUpon(stop);
        link->StartTimer(interval);
    }

    LinkDocs docs;
    SimulatedBench bench;
    ScriptedPrompter prompter;
    std::shared_ptr<sheet::Recording> log = std::make_shared<sheet::Recording>();
    std::shared_ptr<sheet::RecordingApp> app = std::make_shared<sheet::RecordingApp>(log);
    std::shared_ptr<sheet::RecordingSheet> sheet =
        std::make_shared<sheet::RecordingSheet>(log, "Sheet1");
    std::unique_ptr<link::Application> link;
};

}  // namespace qm::test
