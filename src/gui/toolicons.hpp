// The pictures of the tool bar and the program's icon, drawn from the SVG
// files of icons.qrc so that they stay sharp at any screen scale.
#pragma once

#include <QIcon>
#include <QString>

// The icon of a tool-bar button by its name ("NEW", "OPEN_ALL", ...);
// a null icon when the program carries no picture of that name.
QIcon toolIcon(const QString& name);
// The program's own icon ("ICON").
QIcon programIcon();
