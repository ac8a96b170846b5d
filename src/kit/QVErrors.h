// The kit's status codes: one table holds each code's name, value and log
// message, so that they live in one place.
//
// Conventions: 0 is success, a negative code is an error, a positive one a
// warning. A message is a printf format; its arguments are documented beside
// it and supplied by the place that detects the failure. Callers pass codes on
// unchanged.
//
// A status must not be dropped: every function that returns one is declared
// [[nodiscard]], so that ignoring its result is a compiler warning (an error
// in the test build). The attribute is put on each declaration rather than
// on a status type: the functions return plain long or int32_t, which the
// host's method tables fix in their signatures (a return type of our own
// would change the plug-in's interface) and which callers store, compare and
// pass on as numbers; an alias (using) can't carry the attribute, and a
// [[nodiscard]] enum or struct would only help functions that return it. The
// log functions that return the code they were given (QVLogError,
// QVLogStatus) are not marked: their result is only for `return QVLogError(…)`.
// Where a status is dropped on purpose, the call is cast to void with a
// comment saying why that is safe.
#ifndef QV_ERRORS_H
#define QV_ERRORS_H

#include <cstdint>

// X(name, value, message format)
#define QV_ERROR_TABLE(X)                                                                          \
  /* generic failure; also the host paths and file type codes with no answer; no arguments */    \
  X(kQVErrGeneric, -1, "Operation failed")                                                         \
  /* reference host; %s: plug-in path, class identifier, document path or key */                  \
  X(kQVErrPluginNotFound, -701, "Can't load the plug-in \"%s\"")                                 \
  X(kQVErrPluginNoEntry, -702, "The plug-in \"%s\" has no entry \"main\"")                        \
  X(kQVErrPluginRefused, -703, "The plug-in's class announcement was refused: %s")                \
  X(kQVErrUnknownClass, -704, "Unknown class identifier \"%s\"")                                 \
  X(kQVErrBadDocument, -705, "The document \"%s\" is damaged")                                   \
  X(kQVErrBadProperty, -706, "Bad value for property \"%s\"")                                    \
  X(kQVErrNoSuchObject, -707, "No object %s in the document")                                    \
  /* %s: document path, %d: how long the writer waited, in milliseconds */                         \
  X(kQVErrDocumentLocked, -708, "The document \"%s\" is being changed by another writer (waited %d ms)") \
  /* %s: document path */                                                                          \
  X(kQVErrDocumentReadOnly, -709, "The document \"%s\" is read-only")                             \
  /* %s: picture path, %s: its size and the limit */                                               \
  X(kQVErrRenderTooLarge, -710, "The picture \"%s\" would be too large (%s)")                      \
  /* %s: class name */                                                                             \
  X(kQVErrBadHostAPI, -779, "Application API is not appropriate for class <%s>")                   \
  /* %s: key or key path */                                                                        \
  X(kQVErrKeyExists, -938, "The key \"%s\" already exists")                                        \
  X(kQVErrKeyNotFound, -939, "The key \"%s\" does not exist")                                      \
  X(kQVErrKeyInvalid, -940, "The key \"%s\" is invalid")                                           \
  /* %s path, %llu position, %.4s wanted signature, %.4s signature found */                        \
  X(kQVErrBadChunk, -960, "In file \"%s\" at pos %llu, want chunk [%.4s] but has [%.4s]")          \
  /* %s: file path (%ld before it: errno for -971) */                                              \
  X(kQVErrMmapOutOfBounds, -969, "Can't mmap on file (out of bounds) \"%s\"")                      \
  X(kQVErrMmapBadOffset, -970, "Can't mmap on file (bad offset) \"%s\"")                           \
  X(kQVErrMmapFailed, -971, "Can't mmap on file (errno %ld) \"%s\"")                               \
  X(kQVErrFileGetSize, -972, "Can't get size of file \"%s\"")                                      \
  X(kQVErrFileSetSize, -973, "Can't set size of file \"%s\"")                                      \
  X(kQVErrFileGetPos, -974, "Can't get position in file \"%s\"")                                   \
  X(kQVErrFileSetPos, -975, "Can't set position in file \"%s\"")                                   \
  X(kQVErrFileWrite, -976, "Can't write to file \"%s\"")                                           \
  X(kQVErrFileRead, -977, "Can't read in file \"%s\"")                                             \
  X(kQVErrFileOpen, -978, "Can't open file \"%s\"")                                                \
  X(kQVErrFileAlreadyOpened, -979, "The file \"%s\" is already opened")                            \
  X(kQVErrFileNotOpened, -980, "The file \"%s\" is not opened")                                    \
  /* %s: path. QVFileUtils::GetFileSize returns it without logging */                              \
  X(kQVErrNotAFile, -987, "\"%s\" is not a regular file")                                          \
  /* %s: what failed to start */                                                                   \
  X(kQVErrFontService, -1201, "Can't start the font service (%s)")                                 \
  /* %s: font file path (UTF-8) */                                                                 \
  X(kQVErrFontFile, -1202, "Can't load the font file \"%s\"")                                      \
  /* %u glyph index, %s font file path (UTF-8) */                                                  \
  X(kQVErrFontGlyph, -1203, "Can't load glyph %u of the font \"%s\"")                              \
  /* %s: font family (UTF-8), %s: the font files looked for, comma-separated */                   \
  X(kQVErrFontNotFound, -1204, "The font \"%s\" was not found (looked for %s)")                    \
  /* %s: what was asked for and the drawing service's reason */                                    \
  X(kQVErrDrawPort, -1301, "Can't create the drawing port (%s)")                                   \
  /* %s: file path (native text), %s: the drawing service's reason */                              \
  X(kQVErrDrawFile, -1302, "Can't write the drawing to \"%s\" (%s)")                               \
  /* %s: image file path (native text) */                                                          \
  X(kQVErrImageFile, -1311, "Can't read the image file \"%s\"")                                    \
  /* %s: image file path (native text), %s: what was found */                                      \
  X(kQVErrImageFormat, -1312, "The file \"%s\" is not an image this kit decodes (%s)")             \
  /* %s: image file path (native text), %s: the decoder's reason */                                \
  X(kQVErrImageDamaged, -1313, "The image file \"%s\" is damaged (%s)")                            \
  /* %s: image file path or what the pixels are for, %s: size and limit */                         \
  X(kQVErrImageTooLarge, -1314, "The image \"%s\" is too large (%s)")                           \
  /* studio; %s: sound file path (UTF-8), %s: the sound library's reason */                       \
  X(kQVErrSoundOpen, -1401, "Can't open the sound file \"%s\" (%s)")                             \
  X(kQVErrSoundFormat, -1402, "The file \"%s\" is not a recording the studio reads (%s)")         \
  X(kQVErrSoundRead, -1403, "Can't read the sound file \"%s\" (%s)")                             \
  /* not logged: the caller asked for it; %s: sound file path (UTF-8) */                          \
  X(kQVErrSoundCancelled, -1404, "Summarising the sound file \"%s\" was cancelled")              \
  /* %s: what is wrong with the query */                                                           \
  X(kQVErrWaveQuery, -1405, "Bad waveform query (%s)")                                             \
  /* %s: what is wrong with the data */                                                            \
  X(kQVErrStudioClipboard, -1406, "The pasted objects are damaged (%s)")                           \
  /* not logged; %s: "undo" or "redo" */                                                           \
  X(kQVErrStudioNothingToUndo, -1407, "There is nothing to %s")                                    \
  /* %s: what was asked while an object is being typed into */                                     \
  X(kQVErrStudioTyping, -1408, "Can't %s while an object is being typed into")                     \
  /* listening; %s: what the sound output reported */                                              \
  X(kQVErrSoundOutput, -1420, "No sound output device (%s)")                                       \
  /* %s: sound file path (UTF-8) or "(none)", %s: the player's reason */                           \
  X(kQVErrPlayback, -1421, "Can't play the sound file \"%s\" (%s)")                                \
  /* seeing; %s: what is wrong with the settings or the query */                                   \
  X(kQVErrSonogram, -1422, "Bad sonogram settings or query (%s)")                                  \
  /* %s: picture path (UTF-8) */                                                                   \
  X(kQVErrStudioExportKind, -1430, "Can't tell the kind of picture \"%s\" (.png, .svg, .pdf)")     \
  /* %s: picture path (UTF-8), %s: the size asked for */                                           \
  X(kQVErrStudioExportSize, -1431, "Can't export the picture \"%s\" at %s")                        \
  /* %s: the key or event that found no object being typed into */                                 \
  X(kQVErrStudioNotTyping, -1440, "No object is being typed into for %s")                          \
  /* studio panels; %s: the control and what is wrong with the change */                           \
  X(kQVErrStudioInspector, -1460, "The inspector can't make that change (%s)")                     \
  /* %s: the text as typed (UTF-8) */                                                              \
  X(kQVErrStudioNumberText, -1461, "\"%s\" is not a number")

enum QVStatus : int32_t {
  kQVNoErr = 0,
#define QV_ERROR_ENUM(name, value, message) name = value,
  QV_ERROR_TABLE(QV_ERROR_ENUM)
#undef QV_ERROR_ENUM
};

// The message format of each code as a compile-time constant, so that a log
// call built on it (QVLogStatus<code>, QVLog.h) has its arguments checked
// against the format by the compiler.
template <QVStatus code>
struct QVStatusFormat;
#define QV_ERROR_FORMAT(name, value, message)   \
  template <>                                   \
  struct QVStatusFormat<name> {                 \
    static constexpr char kFormat[] = message;  \
  };
QV_ERROR_TABLE(QV_ERROR_FORMAT)
#undef QV_ERROR_FORMAT

// Name of a code ("kQVErrFileRead"), or null for a code not in the table.
const char* QVErrorName(long code);

// Log format of a code, or null for a code not in the table.
const char* QVErrorMessage(long code);

#endif
