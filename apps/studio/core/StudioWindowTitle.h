// The main window's title: which document is open, whether it has unsaved
// changes, and the recording it annotates, e.g.
//   "*notes.tlv (song.wav) - Talvane Studio"
// The leading "*" is the modified mark. Paths are UTF-8; only their last
// component is shown. A document that has no file yet is "Untitled" (in
// the studio's language, StudioText); without a recording the parenthesis
// is left out.
#ifndef STUDIO_WINDOW_TITLE_H
#define STUDIO_WINDOW_TITLE_H

#include <string>

inline constexpr char kStudioAppName[] = "Talvane Studio";

std::string StudioWindowTitle(const std::string& documentPath, const std::string& recordingPath,
                              bool modified);

// The last component of a path ("a/b.tlv" gives "b.tlv"; a trailing "/" is
// ignored); the path itself when it has no "/".
std::string StudioBaseName(const std::string& path);

#endif
