// talvane-studio: the desktop host for annotating recordings with Talvane
// objects. Loads the plug-in through the host bridge, then opens the window
// on the document and recording given (see StudioCommandLine.h).
#include <gtk/gtk.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "StudioCommandLine.h"
#include "StudioDocument.h"
#include "StudioExport.h"
#include "StudioSidePanels.h"
#include "StudioText.h"
#include "StudioViewport.h"
#include "StudioWaveSummary.h"
#include "StudioWindow.h"
#include "TalvaneVersion.h"
#include "bridge/HostEnvironment.h"
#include "bridge/HostInstallLayout.h"
#include "bridge/HostPlugin.h"
#include "bridge/HostSafeSave.h"
#include "kit/QVErrors.h"

namespace {

// The picture --export writes, in pixels.
constexpr double kExportWidth = 1600.0;
constexpr double kExportHeight = 400.0;

std::string ExecutableDir() {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return ".";
  std::string path(buffer, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

int Fail(int32_t status, const std::string& what) {
  const char* name = QVErrorName(status);
  std::fprintf(stderr, "talvane-studio: %s (status %d%s%s)\n", what.c_str(), status,
               name ? ", " : "", name ? name : "");
  return 1;
}

bool Exists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

// What the application's activation needs.
struct Studio {
  StudioDocument* doc;
  const StudioCommandLine* line;
  std::unique_ptr<StudioWindow> window;
  std::unique_ptr<StudioSidePanels> panels;  // goes before the window
};

void Activate(GtkApplication* app, gpointer data) {
  auto* studio = static_cast<Studio*>(data);
  if (studio->window) {
    studio->window->Present();
    return;
  }
  const std::string& document = studio->line->document;
  const bool existing = !document.empty() && Exists(document);
  // An existing document becomes the one Save writes only once it has been
  // read: a damaged one must never be overwritten by the empty document the
  // window then shows (Save asks for a path instead).
  studio->window =
      std::make_unique<StudioWindow>(app, *studio->doc, existing ? std::string() : document);
  studio->panels = std::make_unique<StudioSidePanels>(app, *studio->window, studio->doc->Plugin());
  // A document that can't be read is reported in the status line by the
  // window, which then shows an empty, unnamed document.
  if (existing) (void)studio->window->OpenDocument(document);
  // A recording given over an existing document that names another one is
  // a change to save; given with a new document it is where it starts.
  if (!studio->line->recording.empty()) {
    studio->window->OpenRecording(studio->line->recording, existing);
  }
  studio->window->Present();
}

int Export(StudioDocument& doc, const StudioCommandLine& line) {
  StudioViewport view;
  view.Axis().SetViewWidth(kExportWidth);
  view.SetStripBottom(kExportHeight - 12.0);
  StudioWaveSummary summary;
  const std::string recording = line.recording.empty() ? doc.RecordingPath() : line.recording;
  if (!recording.empty()) {
    const int32_t status = summary.Build(recording, {}, nullptr);
    if (status != 0) return Fail(status, "can't read the recording " + recording);
    view.Axis().SetDuration(summary.DurationMs());
  }
  view.Axis().ZoomToFit();
  const int32_t status = StudioExport::Write(doc, view, summary.IsBuilt() ? &summary : nullptr,
                                          kExportHeight, line.exportPath);
  if (status != 0) return Fail(status, "can't export the score to " + line.exportPath);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  StudioCommandLine line;
  std::string error;
  if (!StudioParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), line, error)) {
    std::fprintf(stderr, "talvane-studio: %s\n\n%s", error.c_str(), kStudioUsage);
    return 2;
  }
  if (line.help) {
    std::fputs(kStudioUsage, stdout);
    return 0;
  }
  if (line.version) {
    std::printf("talvane-studio %s\n", TALVANE_VERSION);
    return 0;
  }
  HostSafeSave::InstallSignalHandlers();

  HostInstallLayout layout(ExecutableDir());
  HostEnvironmentOptions envOptions;
  envOptions.localeDir = layout.LocaleDir();
  envOptions.language =
      line.languageGiven ? line.language : HostEnvironment::LanguageFromEnvironment();
  if (const char* home = std::getenv("HOME")) {
    envOptions.repositoryDir = std::string(home) + "/.local/share/talvane-host/repository";
  }
  // The studio's own texts follow the same language, from the same folder.
  StudioText::Use(envOptions.localeDir, envOptions.language);  // else English
  HostEnvironment environment(envOptions);
  HostPlugin plugin(environment);
  const std::string pluginPath = line.plugin.empty() ? layout.PluginPath() : line.plugin;
  int32_t status = plugin.Load(pluginPath);
  if (status != 0) {
    const std::string why = plugin.Error().empty() ? "" : ": " + plugin.Error();
    return Fail(status, "can't register the plug-in " + pluginPath + why);
  }

  StudioDocument doc(plugin);
  if (!line.exportPath.empty()) {
    if (!line.document.empty()) {
      status = doc.Load(line.document);
      if (status != 0) return Fail(status, "can't read the document " + line.document);
    }
    return Export(doc, line);
  }
  // Several studios may run at once, each on its own files: no single
  // instance, and no session bus needed.
  GtkApplication* app = gtk_application_new("org.talvane.Studio", G_APPLICATION_NON_UNIQUE);
  Studio studio{&doc, &line, nullptr, nullptr};
  g_signal_connect(app, "activate", G_CALLBACK(&Activate), &studio);
  // The files were read above; the toolkit gets only the program's name.
  const int result = g_application_run(G_APPLICATION(app), 1, argv);
  studio.panels.reset();
  studio.window.reset();
  g_object_unref(app);
  return result;
}
