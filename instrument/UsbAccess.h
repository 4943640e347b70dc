#pragma once
// Meters on USB that discovery searches for but whose device node this user
// may not open: without this, such a meter would just be missing from the list.
#include <string>

namespace qm {

// One paragraph per such meter, naming the device file and the fix; empty
// when every meter found can be opened (or when a vendor VISA is in use).
std::string UsbAccessProblems();

}  // namespace qm
