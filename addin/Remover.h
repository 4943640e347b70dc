#pragma once
// addinclean: removes the add-in from the office: its toolbar is hidden and
// deleted, and the add-in is disabled in the user's extensions (its file is
// kept). The dialog runs this once when it is first painted.
#include <functional>
#include <string>

#include "addin/AddinOffice.h"
#include "platform/Prompter.h"

namespace qm::addin {

namespace remover_texts {
inline constexpr const char* kCaption = "Varnet QM-Link additionals remove";
inline constexpr const char* kNoRuntime = "Could not initialize COM dll";
inline constexpr const char* kNoOffice = "Couldn't start Excel.";
}  // namespace remover_texts

// The toolbar's name as the remover compares it (without regard to case).
inline constexpr const char* kRemovedToolbarName = "Varnet QM-LINK";
// The add-in's file names, compared upper-cased.
inline constexpr const char* kAddinFileNames[] = {"QMLINKTX42.XLA", "QMLINKTX42.OXT"};

enum class RemoveOutcome {
    Done,      // the work ran: close the dialog
    NoOffice,  // "Couldn't start Excel.": the dialog stays until closed
};

class Remover {
  public:
    using Connect = std::function<OfficeOutcome(const OfficeRequest&)>;
    Remover(Prompter& prompter, Connect connect);
    RemoveOutcome Run();

  private:
    Prompter& prompter_;
    Connect connect_;
};

// Whether the UNO runtime starts in this process (the remover's "COM");
// `why` says what failed.
bool OfficeRuntimeReady(std::string* why);

}  // namespace qm::addin
