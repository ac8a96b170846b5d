// The plug-in's own resources: the symbol font it draws with.
#ifndef C_STD_TALVANE_RESOURCES_H
#define C_STD_TALVANE_RESOURCES_H

#include "kit/QVString.h"

// The symbol font file: resources/fonts/PelmarUC.ttf beside the plug-in
// library when it is there (an installed or built plug-in), else in the source
// tree the plug-in was built from. Native text; empty when neither exists.
QVString CStdTalvaneSymbolFontPath();

// Makes the symbol font usable by this process (no system-wide install).
// 0, or the font service's status (logged) when the file is missing or
// unusable: the object then shows its missing-font label.
long CStdTalvaneAddSymbolFont();

#endif
