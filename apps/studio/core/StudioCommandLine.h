// The studio's command line:
//   talvane-studio [options] [DOCUMENT.tlv] [RECORDING]
// Options as talvane-host's: --plugin PATH, --lang CODE, -h/--help,
// --version; and --export OUT, which writes the score to OUT (.png, .svg,
// .pdf) and exits without opening a window.
//
// Files: an argument ending in ".tlv" (any case) is the document, any other
// the recording; at most one of each, in either order. "--" ends the
// options, so that a file may start with "-".
#ifndef STUDIO_COMMAND_LINE_H
#define STUDIO_COMMAND_LINE_H

#include <string>
#include <vector>

struct StudioCommandLine {
  std::string plugin;
  std::string language;
  bool languageGiven = false;
  std::string exportPath;
  std::string document;
  std::string recording;
  bool help = false;
  bool version = false;
};

extern const char kStudioUsage[];

// Reads args (argv without the program's name). False with error set (a
// sentence naming the argument) for an unknown option, an option without
// its value or a second document or recording; line is then unchanged.
bool StudioParseCommandLine(const std::vector<std::string>& args, StudioCommandLine& line,
                            std::string& error);

// Whether path names a studio document (ends in ".tlv", any case).
bool StudioIsDocumentPath(const std::string& path);

#endif
