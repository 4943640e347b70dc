#include "addin/Remover.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "sheet/CalcOffice.h"

namespace qm::addin {

namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

bool OfficeRuntimeReady(std::string* why) { return sheet::UnoRuntimeReady(why); }

Remover::Remover(Prompter& prompter, Connect connect)
    : prompter_(prompter), connect_(std::move(connect)) {}

RemoveOutcome Remover::Run() {
    // Nothing to show: an office started for this work stays invisible.
    OfficeOutcome reached = connect_(OfficeRequest{/*invisible=*/true});
    if (!reached.office) {
        // The reason follows the fixed text: on this system it is rarely Excel.
        prompter_.error(std::string(remover_texts::kNoOffice) +
                            (reached.error.empty() ? "" : "\n" + reached.error),
                        remover_texts::kCaption);
        return RemoveOutcome::NoOffice;
    }
    AddinOffice& office = *reached.office;
    const std::string barName = Upper(kRemovedToolbarName);
    if (auto bars = office.Toolbars()) {
        for (const auto& [url, name] : bars.value())
            if (Upper(name) == barName) (void)office.RemoveToolbar(url);
    }
    if (auto extensions = office.Extensions()) {
        for (const auto& [fileName, enabled] : extensions.value()) {
            const std::string upper = Upper(fileName);
            if (std::any_of(std::begin(kAddinFileNames), std::end(kAddinFileNames),
                            [&](const char* n) { return upper == n; }))
                (void)office.DisableExtension(fileName);
        }
    }
    office.Release();
    return RemoveOutcome::Done;
}

}  // namespace qm::addin
