// talvane-host: the reference host. Loads the Talvane plug-in, registers its
// class and keeps documents of its objects.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bridge/HostDocument.h"
#include "bridge/HostDocumentLock.h"
#include "bridge/HostEdit.h"
#include "bridge/HostEnvironment.h"
#include "bridge/HostGUI.h"
#include "bridge/HostInstallLayout.h"
#include "bridge/HostPlugin.h"
#include "bridge/HostRender.h"
#include "bridge/HostSafeSave.h"
#include "HostSetting.h"
#include "HostText.h"
#include "TalvaneVersion.h"
#include "host/QVGUIEvent.h"
#include "kit/QVDictionary.h"
#include "kit/QVErrors.h"
#include "kit/QVFile.h"
#include "kit/QVLog.h"
#include "kit/QVString.h"
#include "kit/QVValue.h"

namespace {

// Pixels (or points) per score unit in rendered pictures.
constexpr double kRenderScale = 2.0;

const char kUsage[] =
    "usage: talvane-host [options] [--] command [arguments]\n"
    "\n"
    "commands:\n"
    "  info                         show the plug-in's class registration\n"
    "  create DOC [COUNT]           write a document of COUNT default objects (1)\n"
    "  list DOC                     list the objects of a document with their properties\n"
    "  set DOC INDEX KEY VALUE      set one property of object INDEX (from 0) and save;\n"
    "                               KEY may be a path such as Brush.Color\n"
    "  inspect DOC INDEX [ID VALUE] show the inspector panel of object INDEX; with ID and\n"
    "                               VALUE, change control ID (a menu item's text or number,\n"
    "                               or a number) as a person would, and save\n"
    "  type DOC INDEX KEY...        edit object INDEX in place: press each KEY in turn and\n"
    "                               save when the text changed. KEY: an evdev key name or\n"
    "                               code (KEY_R, 19, 0x13) or BackSpace, Delete, Left, Right,\n"
    "                               Up, Down, Home, End, Return, Tab, Escape, space, after\n"
    "                               modifiers joined by + (shift, alt or altgr, ctrl)\n"
    "  render DOC OUT [--library]   draw the document's score (or its library view) into\n"
    "                               OUT: a .png, .svg or .pdf file\n"
    "  demo [DIR]                   create, list, change and reload a default document\n"
    "                               in DIR (a new temporary folder when omitted)\n"
    "\n"
    "options:\n"
    "  --plugin PATH                the plug-in library (default: StdTalvane.so beside\n"
    "                               this program, else the installed lib/talvane one)\n"
    "  --lang CODE                  language of the plug-in's texts (default: from\n"
    "                               LANGUAGE, LC_ALL, LC_MESSAGES, LANG)\n"
    "  --repository DIR             the host's document repository\n"
    "  --byte-order big|little      byte order of documents written (default: big)\n"
    "  --version                    print the version and exit\n"
    "  -h, --help                   print this text and exit\n"
    "  --                           end of options: what follows is the command and its\n"
    "                               arguments, even when it starts with -\n"
    "\n"
    "exit status: 0 done, 1 the command failed (the status code is printed), 2 a\n"
    "usage error (nothing was loaded or changed)\n";

// The hint that follows a usage error on standard error.
const char kUsageHint[] = "see talvane-host --help";

struct Options {
  // What the options alone ask for: run a command, or print the usage or
  // the version and stop.
  enum class Action { kCommand, kHelp, kVersion } action = Action::kCommand;
  std::string plugin;
  std::string language;
  bool languageGiven = false;
  std::string repository;
  uint32_t byteOrder = QVFile::kEndianBig;
  std::vector<std::string> arguments;
};

std::string ExecutableDir() {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return ".";
  std::string path(buffer, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

int Fail(long status, const std::string& what) {
  const char* name = QVErrorName(status);
  std::fprintf(stderr, "talvane-host: %s (status %ld%s%s)\n", what.c_str(), status,
               name ? ", " : "", name ? name : "");
  return 1;
}

// Prints a usage error and its hint on standard error; returns the exit code
// of usage errors.
int UsageError(const std::string& what) {
  std::fprintf(stderr, "talvane-host: %s (%s)\n", what.c_str(), kUsageHint);
  return 2;
}

// Options are taken anywhere before "--"; an unknown one is an error only
// before the command, as a command's own arguments may start with "-"
// ("--library", a negative number). -h, --help and --version end the
// parsing at once.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (optionsEnded) {
      options.arguments.push_back(arg);
      continue;
    }
    auto next = [&](std::string& out) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    if (arg == "--plugin") {
      if (!next(options.plugin)) return false;
    } else if (arg == "--lang") {
      if (!next(options.language)) return false;
      options.languageGiven = true;
    } else if (arg == "--repository") {
      if (!next(options.repository)) return false;
    } else if (arg == "--byte-order") {
      std::string order;
      if (!next(order)) return false;
      if (order == "big") {
        options.byteOrder = QVFile::kEndianBig;
      } else if (order == "little") {
        options.byteOrder = QVFile::kEndianLittle;
      } else {
        error = "--byte-order takes big or little";
        return false;
      }
    } else if (arg == "-h" || arg == "--help") {
      options.action = Options::Action::kHelp;
      return true;
    } else if (arg == "--version") {
      options.action = Options::Action::kVersion;
      return true;
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg.size() > 1 && arg[0] == '-' && options.arguments.empty()) {
      error = "unknown option " + arg;
      return false;
    } else {
      options.arguments.push_back(arg);
    }
  }
  return true;
}

bool ParseIndex(const std::string& text, size_t count, size_t& index) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9)
    return false;
  index = std::stoul(text);
  return index < count;
}

std::string Utf8(const QVString& native) {
  return native.ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8).Std();
}

// Prints object index with its properties; 0, or the program's exit code
// after the failure was reported.
int PrintObject(const HostDocument& doc, size_t index, const std::string& className) {
  const HostObject& object = doc.Object(index);
  QVDictionary dict;
  int32_t status = object.GetAllProperties(dict);
  if (status != 0) return Fail(status, "can't read the properties of object " + std::to_string(index));
  const AGRect& f = object.Record().frame;
  std::printf("#%zu %s  frame (%g;%g;%g;%g)\n", index, className.c_str(), f.x1, f.y1, f.x2, f.y2);
  QVString key;
  QVValue value;
  for (uint32_t i = 0; dict.GetKeyAndValueByIndex(i, &key, &value); ++i) {
    std::printf("    %s = %s\n", Utf8(key).c_str(), HostFormatValue(value).c_str());
  }
  return 0;
}

int List(HostPlugin& plugin, const std::string& path) {
  HostDocument doc(plugin);
  int32_t status = doc.Load(path);
  if (status != 0) return Fail(status, "can't read the document " + path);
  std::printf("%s: %zu object%s, %s-endian\n", path.c_str(), doc.Count(), doc.Count() == 1 ? "" : "s",
              doc.ByteOrder() == QVFile::kEndianBig ? "big" : "little");
  for (size_t i = 0; i < doc.Count(); ++i) {
    if (int failed = PrintObject(doc, i, plugin.ClassName())) return failed;
  }
  return 0;
}

int Create(HostPlugin& plugin, const Options& options, const std::string& path, size_t count) {
  HostDocument doc(plugin);
  doc.SetByteOrder(options.byteOrder);
  int32_t status = doc.AddObjects(static_cast<uint32_t>(count), "-default");
  if (status != 0) return Fail(status, "can't create the objects");
  status = doc.Save(path);
  if (status != 0) return Fail(status, "can't write the document " + path);
  std::printf("%s: %zu default object%s written\n", path.c_str(), count, count == 1 ? "" : "s");
  return 0;
}

// Loads the document args[1] into doc and reads the object index args[2];
// 0, or the program's exit code after the failure was reported. A command
// that will save the document passes lock: the document is then locked
// against other writers before it is read, until the lock goes.
int LoadObjectArguments(HostDocument& doc, const std::vector<std::string>& args, size_t& index,
                        HostDocumentLock* lock = nullptr) {
  int32_t status = lock ? lock->Acquire(args[1]) : 0;
  if (status != 0) return Fail(status, "can't change the document " + args[1]);
  status = doc.Load(args[1]);
  if (status != 0) return Fail(status, "can't read the document " + args[1]);
  if (!ParseIndex(args[2], doc.Count(), index)) {
    return Fail(QVLogStatus<kQVErrNoSuchObject>(args[2].c_str()), "no object " + args[2]);
  }
  return 0;
}

int Set(HostPlugin& plugin, const std::vector<std::string>& args) {
  const std::string& path = args[1];
  HostDocument doc(plugin);
  HostDocumentLock lock;
  size_t index = 0;
  if (int failed = LoadObjectArguments(doc, args, index, &lock)) return failed;
  std::string message;
  int32_t status = HostSetProperty(doc.Object(index), args[3], args[4], message);
  if (status != 0) return Fail(status, message + "; the document is unchanged");
  status = doc.Save(path, &lock);
  if (status != 0) return Fail(status, "can't write the document " + path);
  return PrintObject(doc, index, plugin.ClassName());
}

// Fills the panel from object index and prints it; with a control id and a
// value, first applies that change as a person using the panel would.
int Inspect(HostPlugin& plugin, const std::vector<std::string>& args) {
  HostGUIDesc* desc = plugin.InspectorDesc();
  if (!desc) return Fail(kQVErrGeneric, "the plug-in describes no inspector panel");
  HostDocument doc(plugin);
  // Only a change is saved: looking at the panel leaves other writers be.
  HostDocumentLock lock;
  size_t index = 0;
  if (int failed = LoadObjectArguments(doc, args, index, args.size() == 5 ? &lock : nullptr))
    return failed;
  HostObject& object = doc.Object(index);
  std::string action;
  int32_t status = object.Inspect(desc, kQVGUIEventFill, 0, action);
  if (status != 0) return Fail(status, "can't fill the panel of object " + args[2]);

  if (args.size() == 5) {
    size_t id = 0;
    HostGUICtrl* ctrl = nullptr;
    if (ParseIndex(args[3], 1000, id)) {
      ctrl = static_cast<HostGUICtrl*>(desc->GetController(static_cast<uint32_t>(id)));
    }
    if (!ctrl || ctrl->type == "StaticText" || !ctrl->visible || !ctrl->enabled) {
      return Fail(QVLogStatus<kQVErrBadProperty>(args[3].c_str()),
                  "the panel has no control " + args[3] + " to change");
    }
    const std::string& value = args[4];
    if (ctrl->type == "PopupMenu") {
      std::string native;
      HostNativeText(value, native);
      size_t item = 0;
      int32_t chosen = -1;
      for (size_t i = 0; i < ctrl->items.size(); ++i) {
        if (ctrl->items[i] == native) chosen = static_cast<int32_t>(i);
      }
      if (chosen < 0 && ParseIndex(value, ctrl->items.size(), item)) chosen = static_cast<int32_t>(item);
      if (chosen < 0) {
        return Fail(QVLogStatus<kQVErrBadProperty>(args[3].c_str()),
                    "control " + args[3] + " has no item " + value);
      }
      ctrl->SetMenuIndex(chosen);
    } else {
      char* end = nullptr;
      float f = std::strtof(value.c_str(), &end);
      if (value.empty() || *end != '\0') {
        return Fail(QVLogStatus<kQVErrBadProperty>(args[3].c_str()),
                    "control " + args[3] + " takes a number, not " + value);
      }
      ctrl->SetValueAsFloat32(f);
    }
    status = object.Inspect(desc, kQVGUIEventChanged, static_cast<uint32_t>(id), action);
    if (status != 0) return Fail(status, "control " + args[3] + " can't be changed");
    if (!action.empty()) {
      status = doc.Save(args[1], &lock);
      if (status != 0) return Fail(status, "can't write the document " + args[1]);
      std::printf("%s\n", Utf8(action).c_str());
    }
    status = object.Inspect(desc, kQVGUIEventFill, 0, action);
    if (status != 0) return Fail(status, "can't fill the panel of object " + args[2]);
  }
  std::printf("%s", HostDescribePanel(*desc).c_str());
  return 0;
}

// What one key press did, as the object answered it.
const char* KeyOutcome(const QVEditEvent& event) {
  if (event.changed) return "text changed";
  if (event.request == kQVEditEventHandled) return "caret or selection moved";
  if (event.request == kQVEditEventEnd) return "editing ended";
  return "no change";
}

// Edits object index in place as a person typing would: begins editing,
// presses each key, ends editing, saves when the text changed and prints the
// text. Keys are all read before the document is touched.
int Type(HostPlugin& plugin, const std::vector<std::string>& args) {
  // CheckCommand has refused unknown keys already.
  std::vector<HostEditKey> keys;
  for (size_t i = 3; i < args.size(); ++i) {
    HostEditKey key;
    if (HostParseEditKey(args[i], key)) keys.push_back(key);
  }
  HostDocument doc(plugin);
  HostDocumentLock lock;
  size_t index = 0;
  if (int failed = LoadObjectArguments(doc, args, index, &lock)) return failed;
  HostObject& object = doc.Object(index);

  // The object is edited in the score view that render draws.
  AGContext view;
  view.transform = AGAffineTransformConcatScale(kAGAffineTransformIdentity, kRenderScale, kRenderScale);
  HostEditSession session(object, view);
  int32_t status = session.Begin();
  if (status != 0) return Fail(status, "object " + args[2] + " can't be edited");
  for (size_t i = 0; i < keys.size() && session.IsEditing(); ++i) {
    status = session.Key(keys[i]);
    if (status != 0) return Fail(status, "object " + args[2] + " refused the key " + args[i + 3]);
    std::printf("%s: %s\n", args[i + 3].c_str(), KeyOutcome(session.LastEvent()));
  }
  status = session.End();
  if (status != 0) return Fail(status, "object " + args[2] + " can't end editing");

  if (session.TextChanged()) {
    status = doc.Save(args[1], &lock);
    if (status != 0) return Fail(status, "can't write the document " + args[1]);
  }
  QVDictionary dict;
  status = object.GetObjectProperties(dict);
  if (status != 0) return Fail(status, "can't read the properties of object " + args[2]);
  std::printf("UnicodeText = %s\n%s\n", HostFormatValue(dict.GetValue("UnicodeText")).c_str(),
              session.TextChanged() ? "saved" : "unchanged, not saved");
  return 0;
}

int Render(HostPlugin& plugin, const std::vector<std::string>& args) {
  HostDocument doc(plugin);
  int32_t status = doc.Load(args[1]);
  if (status != 0) return Fail(status, "can't read the document " + args[1]);
  // CheckCommand has refused any other fourth argument.
  HostView view = args.size() == 4 ? HostView::kLibrary : HostView::kScore;
  status = HostRender(doc, view, args[2], kRenderScale);
  if (status != 0) return Fail(status, "can't draw into " + args[2]);
  std::printf("%s: %zu object%s drawn\n", args[2].c_str(), doc.Count(), doc.Count() == 1 ? "" : "s");
  return 0;
}

// The folder for temporary files: TMPDIR when set and not empty, else /tmp.
std::string TemporaryRoot() {
  const char* tmp = std::getenv("TMPDIR");
  std::string root = tmp && *tmp ? tmp : "/tmp";
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

// A mkdtemp pattern for a fresh folder named prefix + 6 characters in
// TemporaryRoot(), terminated.
std::vector<char> TemporaryFolderPattern(const char* prefix) {
  std::string pattern = TemporaryRoot();
  if (pattern != "/") pattern += '/';
  pattern += prefix;
  pattern += "XXXXXX";
  return std::vector<char>(pattern.c_str(), pattern.c_str() + pattern.size() + 1);
}

int Demo(HostPlugin& plugin, const Options& options, std::string dir) {
  if (dir.empty()) {
    std::vector<char> pattern = TemporaryFolderPattern("talvane-demo-");
    if (!mkdtemp(pattern.data())) {
      return Fail(kQVErrFileOpen, std::string("can't make a folder for the demo in ") +
                                      TemporaryRoot() + ": " + std::strerror(errno));
    }
    dir = pattern.data();
  }
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    return Fail(kQVErrFileOpen, "can't make the folder " + dir);
  }
  std::string path = dir + "/demo.tlv";
  std::printf("== Plug-in: class \"%s\" (%s / %s), object size %u bytes\n", plugin.ClassName().c_str(),
              plugin.ClassId().c_str(), plugin.ClassId2().c_str(), plugin.Hook().objectSize);

  // The embedded default document: three default objects, then a few
  // settings a person would change.
  HostDocument doc(plugin);
  doc.SetByteOrder(options.byteOrder);
  int32_t status = doc.AddObjects(3, "-default");
  if (status != 0) return Fail(status, "can't create the objects");
  std::string message;
  const char* changes[][3] = {
      {"1", "LineType", "Iterated"}, {"1", "LineEnd", "Up"}, {"2", "FontSize", "72"},
      {"2", "UnicodeText", "E01C;E000;E085"}, {"2", "KeyLayout", "Carvel"},
  };
  for (auto& change : changes) {
    status = HostSetProperty(doc.Object(std::strtoul(change[0], nullptr, 10)), change[1], change[2],
                             message);
    if (status != 0) return Fail(status, message);
  }
  // A person edits object 2 in place: select all, type three symbols of
  // the default symbol keyboard, a blank, one more.
  {
    HostEditSession session(doc.Object(2), AGContext());
    status = session.Begin();
    for (const char* name : {"ctrl+KEY_A", "KEY_R", "shift+KEY_R", "altgr+KEY_T", "space", "KEY_Q"}) {
      HostEditKey key;
      if (status == 0 && HostParseEditKey(name, key)) status = session.Key(key);
    }
    if (status == 0) status = session.End();
    if (status != 0) return Fail(status, "can't type into object 2");
  }
  std::printf("== Typed into object 2 in place\n");

  status = doc.Save(path);
  if (status != 0) return Fail(status, "can't write the document " + path);
  std::printf("== Saved %s\n", path.c_str());

  std::printf("== Reloaded:\n");
  int result = List(plugin, path);
  if (result != 0) return result;

  for (const char* picture : {"/demo.png", "/demo.svg"}) {
    status = HostRender(doc, HostView::kScore, dir + picture, kRenderScale);
    if (status != 0) return Fail(status, "can't draw the demo");
    std::printf("== Drew the score into %s%s\n", dir.c_str(), picture);
  }
  status = HostRender(doc, HostView::kLibrary, dir + "/demo-library.png", kRenderScale);
  if (status != 0) return Fail(status, "can't draw the demo");
  std::printf("== Drew the library view into %s/demo-library.png\n", dir.c_str());

  std::printf("== A value out of range is refused and changes nothing:\n");
  std::fflush(stdout);
  status = HostSetProperty(doc.Object(0), "FontSize", "500", message);
  std::printf("   set FontSize 500 -> status %d: %s\n", status, message.c_str());
  return status == kQVErrBadProperty ? 0 : 1;
}

// The commands, with the number of words each takes (itself included).
struct CommandShape {
  const char* name;
  size_t min;
  size_t max;  // SIZE_MAX: no limit
};

constexpr CommandShape kCommands[] = {
    {"info", 1, 1},   {"create", 2, 3}, {"list", 2, 2}, {"set", 5, 5},
    {"inspect", 3, 5}, {"type", 4, SIZE_MAX}, {"render", 3, 4}, {"demo", 1, 2},
};

// Everything about the command line that needs neither the plug-in nor a
// document; empty when args make a command, else what is wrong with them.
std::string CheckCommand(const std::vector<std::string>& args) {
  if (args.empty()) return "no command given";
  const std::string& command = args[0];
  const CommandShape* shape = nullptr;
  for (const CommandShape& c : kCommands) {
    if (command == c.name) shape = &c;
  }
  if (!shape) return "unknown command " + command;
  // inspect takes DOC INDEX, or DOC INDEX ID VALUE: never three arguments.
  if (args.size() < shape->min || args.size() > shape->max ||
      (command == "inspect" && args.size() == 4)) {
    return "wrong number of arguments for " + command;
  }
  if (command == "create" && args.size() == 3) {
    size_t count = 0;
    if (!ParseIndex(args[2], 100001, count) || count == 0) return "COUNT must be 1 to 100000";
  }
  if (command == "type") {
    for (size_t i = 3; i < args.size(); ++i) {
      HostEditKey key;
      if (!HostParseEditKey(args[i], key)) return "unknown key " + args[i];
    }
  }
  if (command == "render") {
    if (!HostRenderKnowsPictureKind(args[2])) {
      return "can't tell the kind of picture " + args[2] + " (.png, .svg or .pdf)";
    }
    if (args.size() == 4 && args[3] != "--library") return "unknown render option " + args[3];
  }
  return std::string();
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) return UsageError(error);
  if (options.action == Options::Action::kHelp) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (options.action == Options::Action::kVersion) {
    std::printf("talvane-host %s\n", TALVANE_VERSION);
    return 0;
  }
  const std::vector<std::string>& args = options.arguments;
  // A mistyped command line is refused before anything is loaded.
  error = CheckCommand(args);
  if (!error.empty()) return UsageError(error);

  // A save cut short by Ctrl-C or a termination request leaves no
  // temporary file behind.
  HostSafeSave::InstallSignalHandlers();

  std::string exeDir = ExecutableDir();
  HostEnvironmentOptions envOptions;
  HostInstallLayout layout(exeDir);
  envOptions.localeDir = layout.LocaleDir();
  envOptions.language =
      options.languageGiven ? options.language : HostEnvironment::LanguageFromEnvironment();
  if (!options.repository.empty()) {
    envOptions.repositoryDir = options.repository;
  } else if (const char* home = std::getenv("HOME")) {
    envOptions.repositoryDir = std::string(home) + "/.local/share/talvane-host/repository";
  }
  HostEnvironment environment(envOptions);

  HostPlugin plugin(environment);
  std::string pluginPath = options.plugin.empty() ? layout.PluginPath() : options.plugin;
  int32_t status = plugin.Load(pluginPath);
  if (status != 0) {
    std::string why = plugin.Error().empty() ? "" : ": " + plugin.Error();
    return Fail(status, "can't register the plug-in " + pluginPath + why);
  }

  const std::string& command = args[0];
  if (command == "info") {
    std::printf("class \"%s\", identifiers %s / %s, object size %u bytes, interface 0x%08X\n",
                plugin.ClassName().c_str(), plugin.ClassId().c_str(), plugin.ClassId2().c_str(),
                plugin.Hook().objectSize, plugin.Hook().pluginVersion);
    return 0;
  }
  if (command == "create") {
    size_t count = 1;
    if (args.size() == 3) ParseIndex(args[2], 100001, count);
    return Create(plugin, options, args[1], count);
  }
  if (command == "list") return List(plugin, args[1]);
  if (command == "set") return Set(plugin, args);
  if (command == "inspect") return Inspect(plugin, args);
  if (command == "type") return Type(plugin, args);
  if (command == "render") return Render(plugin, args);
  return Demo(plugin, options, args.size() == 2 ? args[1] : std::string());
}
