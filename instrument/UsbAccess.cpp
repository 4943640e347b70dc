#include "instrument/UsbAccess.h"

#include "instrument/Discovery.h"

#ifndef QM_SYSTEM_VISA
#include "visa/visa_ext.h"
#endif

namespace qm {

std::string UsbAccessProblems() {
    std::string text;
#ifndef QM_SYSTEM_VISA
    for (const std::string& problem : visa::usbAccessProblems(UsbSearchPattern())) {
        if (!text.empty()) text += "\n\n";
        text += problem;
    }
#endif
    return text;
}

}  // namespace qm
