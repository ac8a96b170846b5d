#include "StudioCommandLine.h"

#include <cctype>

const char kStudioUsage[] =
    "usage: talvane-studio [options] [DOCUMENT.tlv] [RECORDING]\n"
    "\n"
    "Opens DOCUMENT (created by the first save when it does not exist) over\n"
    "RECORDING (WAV, AIFF, FLAC, Ogg/Vorbis, Opus, MP3).\n"
    "\n"
    "options:\n"
    "  --plugin PATH   the plug-in library (default: StdTalvane.so beside this\n"
    "                  program, else the installed lib/talvane one)\n"
    "  --lang CODE     language of the plug-in's texts (default: from LANGUAGE,\n"
    "                  LC_ALL, LC_MESSAGES, LANG)\n"
    "  --export OUT    write the score to OUT (.png, .svg, .pdf) and exit\n"
    "  -h, --help      print this and exit\n"
    "  --version       print the version and exit\n";

bool StudioIsDocumentPath(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".tlv";
}

bool StudioParseCommandLine(const std::vector<std::string>& args, StudioCommandLine& line,
                            std::string& error) {
  StudioCommandLine parsed;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg == "--plugin") {
      if (!value(parsed.plugin)) return false;
    } else if (!optionsEnded && arg == "--lang") {
      if (!value(parsed.language)) return false;
      parsed.languageGiven = true;
    } else if (!optionsEnded && arg == "--export") {
      if (!value(parsed.exportPath)) return false;
    } else if (!optionsEnded && (arg == "-h" || arg == "--help")) {
      parsed.help = true;
    } else if (!optionsEnded && arg == "--version") {
      parsed.version = true;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg;
      return false;
    } else {
      std::string& slot = StudioIsDocumentPath(arg) ? parsed.document : parsed.recording;
      if (!slot.empty()) {
        error = "a second " + std::string(&slot == &parsed.document ? "document" : "recording") +
                ": " + arg;
        return false;
      }
      slot = arg;
    }
  }
  line = parsed;
  return true;
}
