#pragma once
// The program's icons and toolbar images. They are drawn as SVG, built into
// the program as resources under ":/icons/", and rendered at whatever size and
// pixel density they are shown at.
//
// Names: "qm_tool" (the program icon, also the About box's), "start", "stop",
// "set_device" (toolbar), "arrow_up", "arrow_down" (the Up / Dn buttons),
// "zero_marker" (a chart line's zero mark).
#include <QIcon>
#include <QString>

// The icon of that name, loaded once and cached; a null icon for a name that
// is not among the resources.
QIcon qmIcon(const char* name);

// The resource path of an icon's drawing, ":/icons/<name>.svg".
QString qmIconPath(const char* name);
