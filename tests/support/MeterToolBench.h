#pragma once
// The main window's logic on a bench of simulated meters, with a scripted
// prompter and the English texts; and the same in a scratch working folder,
// where its records land (in DB/).
#include "platform/TextSource.h"
#include "app/MeterTool.h"
#include "records/RecordTestSupport.h"
#include "support/ScriptedPrompter.h"
#include "support/SimulatedBench.h"

namespace qm::test {

struct MeterToolBench {
    SimulatedBench bench;
    ScriptedPrompter prompter;
    EnglishTexts texts;
    MeterTool tool{prompter, texts, bench.clock};
};

// The folder is entered before the tool exists and left after it is gone.
struct ScratchFolder {
    TempDir dir;
    WorkingDirectory cwd{dir.path()};
};

struct MeterToolInFolder : ScratchFolder, MeterToolBench {};

}  // namespace qm::test
