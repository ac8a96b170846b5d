// The plug-in's own resources: the symbol font it draws with and the
// keyboard layouts that type its symbols.
#ifndef C_STD_TALVANE_RESOURCES_H
#define C_STD_TALVANE_RESOURCES_H

#include "kit/QVString.h"

// The symbol font file fonts/PelmarUC.ttf in the first resources folder that
// holds it: resources/ beside the plug-in library (a build folder), the
// installed data folder (share/talvane beside the plug-in's lib/talvane),
// then the fallback folders below. Native text; empty when none has it.
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

// Adds a last resources folder to look in (native text; a final "/" is
// added when missing; empty is ignored). For programs that link the object
// directly and so have no plug-in place to start from (tests run from a
// build folder); the plug-in itself never adds one, so an installed or
// released plug-in finds its files only from its own place.
void CStdTalvaneAddFallbackResourcesDir(const QVString& dir);

// The folder of the symbol keyboard layouts (symbols/pelmar and
// rules/evdev.xml), resources/keylayouts, found as the symbol font is.
// Native text; empty when neither place has it.
QVString CStdTalvaneKeyLayoutsPath();

// Hands that folder to the keyboard layouts, so that the symbol layouts are
// listed and typed with. Without it only the system's layouts exist: the
// keyboard menu shows "<Not Installed>" and editing keeps the user's keyboard.
void CStdTalvaneAddKeyLayouts();

#endif
