// The studio's name for one object of a document: a number that stays with
// the object while it lives, through undo and redo of its deletion, and is
// never given to another object of the same document. 0 names no object.
#ifndef STUDIO_OBJECT_ID_H
#define STUDIO_OBJECT_ID_H

#include <cstdint>

using StudioObjectId = uint64_t;

inline constexpr StudioObjectId kStudioNoObject = 0;

#endif
