// talvane-host: the reference host. Loads the Talvane plug-in, registers its
// class and keeps documents of its objects.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <cmath>
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
    "usage: talvane-host [options] command [arguments]\n"
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
    "  --version                    print the version and exit (alone)\n";

struct Options {
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

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
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
      options.arguments.assign(1, "help");
      return true;
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

void PrintObject(const HostDocument& doc, size_t index, const std::string& className) {
  const HostObject& object = doc.Object(index);
  const AGRect& f = object.Record().frame;
  std::printf("#%zu %s  frame (%g;%g;%g;%g)\n", index, className.c_str(), f.x1, f.y1, f.x2, f.y2);
  QVDictionary dict;
  object.GetAllProperties(dict);
  QVString key;
  QVValue value;
  for (uint32_t i = 0; dict.GetKeyAndValueByIndex(i, &key, &value); ++i) {
    std::printf("    %s = %s\n", Utf8(key).c_str(), HostFormatValue(value).c_str());
  }
}

int List(HostPlugin& plugin, const std::string& path) {
  HostDocument doc(plugin);
  int32_t status = doc.Load(path);
  if (status != 0) return Fail(status, "can't read the document " + path);
  std::printf("%s: %zu object%s, %s-endian\n", path.c_str(), doc.Count(), doc.Count() == 1 ? "" : "s",
              doc.ByteOrder() == QVFile::kEndianBig ? "big" : "little");
  for (size_t i = 0; i < doc.Count(); ++i) PrintObject(doc, i, plugin.ClassName());
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
    return Fail(QVLogStatus(kQVErrNoSuchObject, args[2].c_str()), "no object " + args[2]);
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
  PrintObject(doc, index, plugin.ClassName());
  return 0;
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
  object.Inspect(desc, kQVGUIEventFill, 0, action);

  if (args.size() == 5) {
    size_t id = 0;
    HostGUICtrl* ctrl = nullptr;
    if (ParseIndex(args[3], 1000, id)) {
      ctrl = static_cast<HostGUICtrl*>(desc->GetController(static_cast<uint32_t>(id)));
    }
    if (!ctrl || ctrl->type == "StaticText" || !ctrl->visible || !ctrl->enabled) {
      return Fail(QVLogStatus(kQVErrBadProperty, args[3].c_str()),
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
        return Fail(QVLogStatus(kQVErrBadProperty, args[3].c_str()),
                    "control " + args[3] + " has no item " + value);
      }
      ctrl->SetMenuIndex(chosen);
    } else {
      char* end = nullptr;
      float f = std::strtof(value.c_str(), &end);
      if (value.empty() || *end != '\0') {
        return Fail(QVLogStatus(kQVErrBadProperty, args[3].c_str()),
                    "control " + args[3] + " takes a number, not " + value);
      }
      ctrl->SetValueAsFloat32(f);
    }
    object.Inspect(desc, kQVGUIEventChanged, static_cast<uint32_t>(id), action);
    if (!action.empty()) {
      int32_t status = doc.Save(args[1], &lock);
      if (status != 0) return Fail(status, "can't write the document " + args[1]);
      std::printf("%s\n", Utf8(action).c_str());
    }
    object.Inspect(desc, kQVGUIEventFill, 0, action);
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
  std::vector<HostEditKey> keys;
  for (size_t i = 3; i < args.size(); ++i) {
    HostEditKey key;
    if (!HostParseEditKey(args[i], key)) {
      std::fprintf(stderr, "talvane-host: unknown key %s\n", args[i].c_str());
      return 2;
    }
    keys.push_back(key);
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
    session.Key(keys[i]);
    std::printf("%s: %s\n", args[i + 3].c_str(), KeyOutcome(session.LastEvent()));
  }
  session.End();

  if (session.TextChanged()) {
    status = doc.Save(args[1], &lock);
    if (status != 0) return Fail(status, "can't write the document " + args[1]);
  }
  QVDictionary dict;
  object.GetObjectProperties(dict);
  std::printf("UnicodeText = %s\n%s\n", HostFormatValue(dict.GetValue("UnicodeText")).c_str(),
              session.TextChanged() ? "saved" : "unchanged, not saved");
  return 0;
}

int Render(HostPlugin& plugin, const std::vector<std::string>& args) {
  HostDocument doc(plugin);
  int32_t status = doc.Load(args[1]);
  if (status != 0) return Fail(status, "can't read the document " + args[1]);
  HostView view = HostView::kScore;
  if (args.size() == 4) {
    if (args[3] != "--library") {
      std::fprintf(stderr, "talvane-host: unknown render option %s\n", args[3].c_str());
      return 2;
    }
    view = HostView::kLibrary;
  }
  status = HostRender(doc, view, args[2], kRenderScale);
  if (status != 0) return Fail(status, "can't draw into " + args[2]);
  std::printf("%s: %zu object%s drawn\n", args[2].c_str(), doc.Count(), doc.Count() == 1 ? "" : "s");
  return 0;
}

int Demo(HostPlugin& plugin, const Options& options, std::string dir) {
  if (dir.empty()) {
    char pattern[] = "/tmp/talvane-demo-XXXXXX";
    if (!mkdtemp(pattern)) return Fail(kQVErrFileOpen, "can't make a folder for the demo");
    dir = pattern;
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
    session.Begin();
    for (const char* name : {"ctrl+KEY_A", "KEY_R", "shift+KEY_R", "altgr+KEY_T", "space", "KEY_Q"}) {
      HostEditKey key;
      if (HostParseEditKey(name, key)) session.Key(key);
    }
    session.End();
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

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("talvane-host %s\n", TALVANE_VERSION);
    return 0;
  }
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "talvane-host: %s\n\n%s", error.c_str(), kUsage);
    return 2;
  }
  // A save cut short by Ctrl-C or a termination request leaves no
  // temporary file behind.
  HostSafeSave::InstallSignalHandlers();
  const std::vector<std::string>& args = options.arguments;
  if (args.empty() || args[0] == "help") {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }

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
  auto need = [&](size_t min, size_t max) {
    if (args.size() < min || args.size() > max) {
      std::fprintf(stderr, "talvane-host: wrong number of arguments for %s\n\n%s", command.c_str(), kUsage);
      return false;
    }
    return true;
  };
  if (command == "info") {
    if (!need(1, 1)) return 2;
    std::printf("class \"%s\", identifiers %s / %s, object size %u bytes, interface 0x%08X\n",
                plugin.ClassName().c_str(), plugin.ClassId().c_str(), plugin.ClassId2().c_str(),
                plugin.Hook().objectSize, plugin.Hook().pluginVersion);
    return 0;
  }
  if (command == "create") {
    if (!need(2, 3)) return 2;
    size_t count = 1;
    if (args.size() == 3 && (!ParseIndex(args[2], 100001, count) || count == 0)) {
      std::fprintf(stderr, "talvane-host: COUNT must be 1 to 100000\n");
      return 2;
    }
    return Create(plugin, options, args[1], count);
  }
  if (command == "list") {
    if (!need(2, 2)) return 2;
    return List(plugin, args[1]);
  }
  if (command == "set") {
    if (!need(5, 5)) return 2;
    return Set(plugin, args);
  }
  if (command == "inspect") {
    if (args.size() != 3 && args.size() != 5) {
      need(3, 3);
      return 2;
    }
    return Inspect(plugin, args);
  }
  if (command == "type") {
    if (!need(4, args.size())) return 2;
    return Type(plugin, args);
  }
  if (command == "render") {
    if (!need(3, 4)) return 2;
    return Render(plugin, args);
  }
  if (command == "demo") {
    if (!need(1, 2)) return 2;
    return Demo(plugin, options, args.size() == 2 ? args[1] : std::string());
  }
  std::fprintf(stderr, "talvane-host: unknown command %s\n\n%s", command.c_str(), kUsage);
  return 2;
}
