// The plug-in's own resources: the symbol font it draws with and the
// keyboard layouts that type its symbols.
#ifndef C_STD_TALVANE_RESOURCES_H
#define C_STD_TALVANE_RESOURCES_H

#include "kit/QVString.h"

// The symbol font file: resources/fonts/PelmarUC.ttf beside the plug-in
// library when it is there (an installed or built plug-in), else in the source
// tree the plug-in was built from. Native text; empty when neither exists.
QVString CStdTalvaneSymbolFontPath();

// Makes the symbol font usable by this process (no system-wide install).
// 0 on success; kQVErrFontNotFound (logged with the family and every file
// looked for) when no resources folder holds the file, or the font
// service's status (logged) when the file is unusable: the object then
// shows its missing-font label.
long CStdTalvaneAddSymbolFont();
// The same, looking for fonts/PelmarUC.ttf in resourceDirs (native text,
// absolute paths ending in "/"; others are skipped) in order instead of the
// plug-in's own places.
long CStdTalvaneAddSymbolFontFrom(const QVStringArray& resourceDirs);

// The folder of the symbol keyboard layouts (symbols/pelmar and
// rules/evdev.xml), resources/keylayouts, found as the symbol font is.
// Native text; empty when neither place has it.
QVString CStdTalvaneKeyLayoutsPath();

// Hands that folder to the keyboard layouts, so that the symbol layouts are
// listed and typed with. Without it only the system's layouts exist: the
// keyboard menu shows "<Not Installed>" and editing keeps the user's keyboard.
void CStdTalvaneAddKeyLayouts();

#endif
