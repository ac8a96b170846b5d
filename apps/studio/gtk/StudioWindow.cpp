#include "StudioWindow.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "StudioCommandLine.h"
#include "StudioDocument.h"
#include "StudioExport.h"
#include "StudioPlayer.h"
#include "StudioText.h"
#include "StudioTransport.h"
#include "StudioWindowTitle.h"
#include "kit/QVErrors.h"
#include "kit/QVLog.h"

namespace {

// Playhead updates while playing, in ms: about every other frame.
constexpr unsigned kTickMs = 30;

StudioPlayer::Output SoundOutput() {
  const char* sound = std::getenv("TALVANE_STUDIO_SOUND");
  return sound && std::strcmp(sound, "silent") == 0 ? StudioPlayer::Output::kSilentRealTime
                                                      : StudioPlayer::Output::kDevice;
}

// Why playback stays off, for the status line.
const char* PlaybackOff(int32_t status) {
  return status == kQVErrSoundOutput ? StudioText::Get("No sound output: playback is off")
                                     : StudioText::Get("Can't play the recording: playback is off");
}

std::string StatusText(int32_t status, const std::string& what) {
  const char* name = QVErrorName(status);
  char code[64];
  std::snprintf(code, sizeof code, " (status %d%s%s)", status, name ? ", " : "", name ? name : "");
  return what + code;
}

// A path the chooser returned, or empty; the GFile is released here.
std::string ChosenPath(GtkNativeDialog* dialog) {
  GFile* file = gtk_file_chooser_get_file(GTK_FILE_CHOOSER(dialog));
  if (!file) return "";
  char* path = g_file_get_path(file);
  std::string result = path ? path : "";
  g_free(path);
  g_object_unref(file);
  return result;
}

// What a file chooser or the unsaved-changes question runs when answered.
struct Pending {
  std::function<void(int response, const std::string& path)> then;
};

}  // namespace

struct StudioWindow::Callbacks {
  static gboolean CloseRequest(GtkWindow*, gpointer data) {
    return static_cast<StudioWindow*>(data)->CloseRequested() ? FALSE : TRUE;
  }
  static void Destroy(GtkWidget*, gpointer data) {
    // The widgets the loader's callbacks update are going.
    static_cast<StudioWindow*>(data)->mLoader.Cancel();
  }
  static void Action(GSimpleAction*, GVariant*, gpointer data) {
    auto* entry = static_cast<std::pair<StudioWindow*, void (*)(StudioWindow&)>*>(data);
    entry->second(*entry->first);
  }
  static gboolean Tick(gpointer data) {
    auto* window = static_cast<StudioWindow*>(data);
    window->UpdatePlayhead();
    if (window->mTick != 0) return G_SOURCE_CONTINUE;
    return G_SOURCE_REMOVE;
  }
  static void ChooserResponse(GtkNativeDialog* dialog, int response, gpointer data) {
    std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
    const std::string path = response == GTK_RESPONSE_ACCEPT ? ChosenPath(dialog) : "";
    g_object_unref(dialog);
    pending->then(response, path);
  }
  static void QuestionResponse(GtkDialog* dialog, int response, gpointer data) {
    std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
    gtk_window_destroy(GTK_WINDOW(dialog));
    pending->then(response, "");
  }
};

namespace {

// The toolkit's chooser, answered through then (GTK_RESPONSE_ACCEPT with a
// path, anything else without).
void RunChooser(GtkWindow* parent, const char* title,
                GtkFileChooserAction action, const char* accept,
                std::function<void(int, const std::string&)> then) {
  GtkFileChooserNative* chooser =
      gtk_file_chooser_native_new(title, parent, action, accept, StudioText::Get("_Cancel"));
  gtk_native_dialog_set_modal(GTK_NATIVE_DIALOG(chooser), TRUE);
  auto* pending = new Pending{std::move(then)};
  g_signal_connect(chooser, "response", G_CALLBACK(&StudioWindow::Callbacks::ChooserResponse),
                   pending);
  gtk_native_dialog_show(GTK_NATIVE_DIALOG(chooser));
}

}  // namespace

StudioWindow::StudioWindow(GtkApplication* app, StudioDocument& doc,
                           const std::string& documentPath)
    : mDoc(doc), mDocPath(documentPath) {
  mWindow = gtk_application_window_new(app);
  gtk_window_set_default_size(GTK_WINDOW(mWindow), 1100, 520);
  mSignals.emplace_back(mWindow, "close-request", G_CALLBACK(&Callbacks::CloseRequest), this);
  mSignals.emplace_back(mWindow, "destroy", G_CALLBACK(&Callbacks::Destroy), this);

  mView = std::make_unique<StudioScoreView>(mDoc, mSelection,
                                            static_cast<StudioScoreViewOwner&>(*this));

  GtkWidget* paned = gtk_paned_new(GTK_ORIENTATION_HORIZONTAL);
  gtk_paned_set_start_child(GTK_PANED(paned), mView->Widget());
  gtk_paned_set_resize_start_child(GTK_PANED(paned), TRUE);
  gtk_paned_set_shrink_start_child(GTK_PANED(paned), FALSE);
  // The side area joins the paned with its first panel: an empty end child
  // leaves the paned's handle without an allocation.
  mPaned = paned;
  mPanels = StudioGObject<GtkWidget>::Take(
      GTK_WIDGET(g_object_ref_sink(gtk_box_new(GTK_ORIENTATION_VERTICAL, 6))));

  GtkWidget* statusLine = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
  mStatus = gtk_label_new("");
  gtk_label_set_xalign(GTK_LABEL(mStatus), 0.0f);
  gtk_label_set_ellipsize(GTK_LABEL(mStatus), PANGO_ELLIPSIZE_END);
  gtk_widget_set_hexpand(mStatus, TRUE);
  mProgress = gtk_progress_bar_new();
  gtk_widget_set_visible(mProgress, FALSE);
  mTime = gtk_label_new("");
  gtk_box_append(GTK_BOX(statusLine), mStatus);
  gtk_box_append(GTK_BOX(statusLine), mProgress);
  gtk_box_append(GTK_BOX(statusLine), mTime);

  mPlayer = std::make_unique<StudioPlayer>(SoundOutput());
  mTransport = std::make_unique<StudioTransport>(*mPlayer);
  mTransport->SetFinishedProc([this](int32_t status) {
    if (status != 0) ScoreFailed(status, StudioText::Get("Playback stopped"));
    UpdatePlayhead();
  });

  GtkWidget* content = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_widget_set_vexpand(paned, TRUE);
  gtk_box_append(GTK_BOX(content), paned);
  gtk_box_append(GTK_BOX(content), statusLine);
  gtk_window_set_child(GTK_WINDOW(mWindow), content);

  BuildMenus(app);
  UpdateTitleAndMenus();
  UpdatePlayhead();
}

StudioWindow::~StudioWindow() {
  if (mTick != 0) g_source_remove(mTick);
  mTick = 0;
  mTransport.reset();
  mPlayer.reset();
  mLoader.Cancel();
  mSignals.clear();
  // Typing ends before the document can go.
  EndTyping();
}

void StudioWindow::EndTyping() {
  // A typing that can't be kept as a step is reported by the view (status
  // line); typing has ended either way and the object keeps what was typed,
  // so saving, undoing or closing goes on.
  (void)mView->FinishEditing();
}

void StudioWindow::Present() {
  gtk_window_present(GTK_WINDOW(mWindow));
  mView->Focus();
}

// ---- Menus and actions

void StudioWindow::AddAction(const char* name, void (*handler)(StudioWindow&)) {
  GSimpleAction* action = g_simple_action_new(name, nullptr);
  // The pair lives as long as the action: freed with it.
  auto* entry = new std::pair<StudioWindow*, void (*)(StudioWindow&)>(this, handler);
  g_signal_connect_data(
      action, "activate", G_CALLBACK(&Callbacks::Action), entry,
      [](gpointer data, GClosure*) {
        delete static_cast<std::pair<StudioWindow*, void (*)(StudioWindow&)>*>(data);
      },
      GConnectFlags(0));
  g_action_map_add_action(G_ACTION_MAP(mActions.Get()), G_ACTION(action));
  g_object_unref(action);
}

void StudioWindow::BuildMenus(GtkApplication* app) {
  mActions = StudioGObject<GSimpleActionGroup>::Take(g_simple_action_group_new());
  AddAction("open", [](StudioWindow& w) { w.AskToSave([&w]() { w.ChooseFileToOpen(); }); });
  AddAction("save", [](StudioWindow& w) { w.Save([](bool) {}); });
  AddAction("save-as", [](StudioWindow& w) {
    w.EndTyping();
    w.ChooseSavePath([](bool) {});
  });
  AddAction("export", [](StudioWindow& w) { w.ChooseExportPath(); });
  AddAction("quit", [](StudioWindow& w) { gtk_window_close(GTK_WINDOW(w.mWindow)); });
  AddAction("undo", [](StudioWindow& w) { w.Undo(); });
  AddAction("redo", [](StudioWindow& w) { w.Redo(); });
  // The view reports these failures in the status line itself.
  AddAction("delete", [](StudioWindow& w) { (void)w.mView->DeleteSelection(); });
  AddAction("duplicate", [](StudioWindow& w) { (void)w.mView->DuplicateSelection(); });
  AddAction("copy", [](StudioWindow& w) { (void)w.mView->CopySelection(); });
  AddAction("paste", [](StudioWindow& w) { (void)w.mView->Paste(); });
  AddAction("select-all", [](StudioWindow& w) {
    w.EndTyping();
    w.mSelection.SelectAll(w.mDoc);
    w.ScoreSelectionChanged();
    w.mView->Redraw();
  });
  AddAction("zoom-in", [](StudioWindow& w) { w.mView->ZoomIn(); });
  AddAction("zoom-out", [](StudioWindow& w) { w.mView->ZoomOut(); });
  AddAction("zoom-fit", [](StudioWindow& w) { w.mView->ZoomToFit(); });
  AddAction("play", [](StudioWindow& w) { w.TogglePlay(); });
  AddAction("loop", [](StudioWindow& w) { w.ToggleLoop(); });
  AddAction("sonogram", [](StudioWindow& w) {
    w.mView->ShowSonogram(!w.mView->ShowsSonogram());
    w.SetMessage(w.mView->ShowsSonogram() ? StudioText::Get("Sonogram")
                                          : StudioText::Get("Waveform"));
  });
  AddAction("log-frequencies", [](StudioWindow& w) {
    w.mView->SetLogFrequencies(!w.mView->LogFrequencies());
    w.SetMessage(w.mView->LogFrequencies() ? StudioText::Get("Sonogram: logarithmic frequencies")
                                           : StudioText::Get("Sonogram: linear frequencies"));
  });
  gtk_widget_insert_action_group(mWindow, "studio", G_ACTION_GROUP(mActions.Get()));

  struct Accel {
    const char* action;
    const char* keys[3];
  };
  // Delete, duplicate, copy and paste keep their keys in the score view, so
  // that while an object is typed into they reach the object instead.
  static const Accel kAccels[] = {
      {"studio.open", {"<Control>o", nullptr, nullptr}},
      {"studio.save", {"<Control>s", nullptr, nullptr}},
      {"studio.save-as", {"<Control><Shift>s", nullptr, nullptr}},
      {"studio.export", {"<Control>e", nullptr, nullptr}},
      {"studio.quit", {"<Control>q", nullptr, nullptr}},
      {"studio.undo", {"<Control>z", nullptr, nullptr}},
      {"studio.redo", {"<Control><Shift>z", nullptr, nullptr}},
      {"studio.zoom-in", {"<Control>plus", "<Control>equal", nullptr}},
      {"studio.zoom-out", {"<Control>minus", nullptr, nullptr}},
      {"studio.zoom-fit", {"<Control>0", nullptr, nullptr}},
      {"studio.sonogram", {"<Control>g", nullptr, nullptr}},
  };
  for (const Accel& accel : kAccels)
    gtk_application_set_accels_for_action(app, accel.action, accel.keys);

  GMenu* bar = g_menu_new();
  GMenu* file = g_menu_new();
  g_menu_append(file, StudioText::Get("_Open…"), "studio.open");
  g_menu_append(file, StudioText::Get("_Save"), "studio.save");
  g_menu_append(file, StudioText::Get("Save _As…"), "studio.save-as");
  g_menu_append(file, StudioText::Get("_Export…"), "studio.export");
  g_menu_append(file, StudioText::Get("_Quit"), "studio.quit");
  g_menu_append_submenu(bar, StudioText::Get("_File"), G_MENU_MODEL(file));
  g_object_unref(file);

  GMenu* edit = g_menu_new();
  mUndoSection = StudioGObject<GMenu>::Take(g_menu_new());
  g_menu_append_section(edit, nullptr, G_MENU_MODEL(mUndoSection.Get()));
  GMenu* objects = g_menu_new();
  // Shown beside the items, not bound (the score view handles them).
  auto appendShown = [](GMenu* menu, const char* label, const char* action, const char* keys) {
    GMenuItem* item = g_menu_item_new(label, action);
    g_menu_item_set_attribute(item, "accel", "s", keys);
    g_menu_append_item(menu, item);
    g_object_unref(item);
  };
  appendShown(objects, StudioText::Get("_Delete"), "studio.delete", "Delete");
  appendShown(objects, StudioText::Get("D_uplicate"), "studio.duplicate", "<Control>d");
  appendShown(objects, StudioText::Get("_Copy"), "studio.copy", "<Control>c");
  appendShown(objects, StudioText::Get("_Paste"), "studio.paste", "<Control>v");
  appendShown(objects, StudioText::Get("Select _All"), "studio.select-all", "<Control>a");
  g_menu_append_section(edit, nullptr, G_MENU_MODEL(objects));
  g_object_unref(objects);
  g_menu_append_submenu(bar, StudioText::Get("_Edit"), G_MENU_MODEL(edit));
  g_object_unref(edit);

  GMenu* view = g_menu_new();
  g_menu_append(view, StudioText::Get("Zoom _In"), "studio.zoom-in");
  g_menu_append(view, StudioText::Get("Zoom _Out"), "studio.zoom-out");
  g_menu_append(view, StudioText::Get("_Fit"), "studio.zoom-fit");
  GMenu* listening = g_menu_new();
  appendShown(listening, StudioText::Get("_Play or Pause"), "studio.play", "space");
  appendShown(listening, StudioText::Get("_Loop the Selection"), "studio.loop", "l");
  g_menu_append_section(view, nullptr, G_MENU_MODEL(listening));
  g_object_unref(listening);
  GMenu* seeing = g_menu_new();
  g_menu_append(seeing, StudioText::Get("_Waveform or Sonogram"), "studio.sonogram");
  g_menu_append(seeing, StudioText::Get("Sonogram _Frequencies Linear or Logarithmic"),
                "studio.log-frequencies");
  g_menu_append_section(view, nullptr, G_MENU_MODEL(seeing));
  g_object_unref(seeing);
  // The side panels install the action (and its key, F9) on the window.
  GMenu* panels = g_menu_new();
  g_menu_append(panels, StudioText::Get("_Side Panels"), "panels.toggle");
  g_menu_append_section(view, nullptr, G_MENU_MODEL(panels));
  g_object_unref(panels);
  g_menu_append_submenu(bar, StudioText::Get("_View"), G_MENU_MODEL(view));
  g_object_unref(view);

  GtkWidget* menubar = gtk_popover_menu_bar_new_from_model(G_MENU_MODEL(bar));
  g_object_unref(bar);
  GtkWidget* content = gtk_window_get_child(GTK_WINDOW(mWindow));
  gtk_box_prepend(GTK_BOX(content), menubar);
}

void StudioWindow::UpdateTitleAndMenus() {
  const std::string title =
      StudioWindowTitle(mDocPath, mDoc.RecordingPath(),
                        mDoc.IsModified() || mView->HasUnrecordedTyping());
  gtk_window_set_title(GTK_WINDOW(mWindow), title.c_str());

  const StudioUndoStack& history = mDoc.History();
  GMenu* section = mUndoSection.Get();
  g_menu_remove_all(section);
  const std::string undo = history.CanUndo() ? history.UndoText() : StudioText::Get("Undo");
  const std::string redo = history.CanRedo() ? history.RedoText() : StudioText::Get("Redo");
  g_menu_append(section, undo.c_str(), "studio.undo");
  g_menu_append(section, redo.c_str(), "studio.redo");
  const bool typing = mView->EditedObject() != kStudioNoObject;
  auto enable = [&](const char* name, bool on) {
    GAction* action = g_action_map_lookup_action(G_ACTION_MAP(mActions.Get()), name);
    if (action) g_simple_action_set_enabled(G_SIMPLE_ACTION(action), on);
  };
  // While typing, undo and redo finish the typing first: they stay on.
  enable("undo", history.CanUndo() || typing);
  enable("redo", history.CanRedo());
}

void StudioWindow::SetMessage(const std::string& text) {
  gtk_label_set_text(GTK_LABEL(mStatus), text.c_str());
}

// ---- Score view

void StudioWindow::ScoreDocumentChanged() {
  mSelection.Prune(mDoc);
  UpdateTitleAndMenus();
  for (StudioPanelListener* listener : mListeners) listener->DocumentChanged(mDoc);
}

void StudioWindow::ScoreSelectionChanged() {
  for (StudioPanelListener* listener : mListeners) listener->SelectionChanged(mSelection);
}

void StudioWindow::ScoreEditingChanged(StudioObjectId id) {
  UpdateTitleAndMenus();
  for (StudioPanelListener* listener : mListeners) listener->EditingChanged(id);
}

void StudioWindow::ScoreFailed(int32_t status, const std::string& what) {
  SetMessage(StatusText(status, what));
}

void StudioWindow::ScoreRulerClicked(double ms) {
  mTransport->SetCursor(ms);
  UpdatePlayhead();
}

// ---- Listening

void StudioWindow::OpenPlayer(const std::string& path) {
  if (mTick != 0) g_source_remove(mTick);
  mTick = 0;
  mTransport->SetCursor(0.0);
  if (path.empty()) {
    mPlayer->Close();
    mSoundStatus = 0;
  } else {
    mSoundStatus = mPlayer->Open(path);
  }
  UpdatePlayhead();
}

void StudioWindow::UpdateRange() {
  double start = 0.0;
  double end = 0.0;
  if (mSelection.TimeSpan(mDoc, start, end)) {
    mTransport->SetRange(start, end);
  } else {
    mTransport->ClearRange();
  }
}

void StudioWindow::TogglePlay() {
  if (!mPlayer->IsOpen()) {
    SetMessage(mSoundStatus != 0 ? StatusText(mSoundStatus, PlaybackOff(mSoundStatus))
                                 : std::string(StudioText::Get("No recording to play")));
    return;
  }
  if (!mTransport->IsPlaying()) UpdateRange();
  const int32_t status = mTransport->TogglePlay();
  if (status != 0) ScoreFailed(status, StudioText::Get("Can't play"));
  UpdatePlayhead();
}

void StudioWindow::ToggleLoop() {
  const int32_t status = mTransport->SetLoop(!mTransport->Loop());
  if (status != 0) ScoreFailed(status, StudioText::Get("Can't switch the loop"));
  UpdatePlayhead();
}

void StudioWindow::UpdatePlayhead() {
  const bool playing = mTransport->IsPlaying();
  const double playhead = mTransport->Playhead();
  mView->SetPlayhead(playhead);
  if (playing) mView->FollowPlayhead(playhead);
  const std::string text = StudioTransport::StatusText(playhead, playing, mTransport->Loop());
  gtk_label_set_text(GTK_LABEL(mTime), text.c_str());
  if (playing && mTick == 0) {
    mTick = g_timeout_add(kTickMs, &Callbacks::Tick, this);
  } else if (!playing && mTick != 0) {
    // Also from the timer's own callback: GLib lets a source remove itself.
    g_source_remove(mTick);
    mTick = 0;
  }
}

// ---- Panels

void StudioWindow::AddPanel(GtkWidget* panel) {
  if (!gtk_paned_get_end_child(GTK_PANED(mPaned))) {
    gtk_paned_set_end_child(GTK_PANED(mPaned), mPanels.Get());
    gtk_paned_set_resize_end_child(GTK_PANED(mPaned), FALSE);
    gtk_paned_set_shrink_end_child(GTK_PANED(mPaned), FALSE);
  }
  gtk_box_append(GTK_BOX(mPanels.Get()), panel);
}

void StudioWindow::AddListener(StudioPanelListener* listener) {
  if (listener && std::find(mListeners.begin(), mListeners.end(), listener) == mListeners.end()) {
    mListeners.push_back(listener);
  }
}

void StudioWindow::RemoveListener(StudioPanelListener* listener) {
  mListeners.erase(std::remove(mListeners.begin(), mListeners.end(), listener), mListeners.end());
}

int32_t StudioWindow::Perform(const std::function<int32_t(StudioDocument&)>& change) {
  if (mView->EditedObject() != kStudioNoObject) {
    return static_cast<int32_t>(QVLogStatus<kQVErrStudioTyping>("change the document"));
  }
  const int32_t status = change(mDoc);
  if (status != 0) {
    ScoreFailed(status, StudioText::Get("Can't make the change"));
    return status;
  }
  mView->Redraw();
  ScoreDocumentChanged();
  ScoreSelectionChanged();
  return status;
}

int32_t StudioWindow::SendEditKey(const HostEditKey& key) { return mView->SendEditKey(key); }

// ---- History

void StudioWindow::Undo() {
  EndTyping();
  const int32_t status = mDoc.Undo();
  if (status != 0 && status != kQVErrStudioNothingToUndo)
    ScoreFailed(status, StudioText::Get("Can't undo"));
  mView->Redraw();
  ScoreDocumentChanged();
  ScoreSelectionChanged();
}

void StudioWindow::Redo() {
  EndTyping();
  const int32_t status = mDoc.Redo();
  if (status != 0 && status != kQVErrStudioNothingToUndo)
    ScoreFailed(status, StudioText::Get("Can't redo"));
  mView->Redraw();
  ScoreDocumentChanged();
  ScoreSelectionChanged();
}

// ---- Files

bool StudioWindow::SaveTo(const std::string& path) {
  const int32_t status = mDoc.Save(path);
  if (status != 0) {
    ScoreFailed(status, StudioText::Format("Can't save %s", path));
    return false;
  }
  mDocPath = path;
  SetMessage(StudioText::Format("Saved %s", path));
  ScoreDocumentChanged();
  return true;
}

void StudioWindow::Save(const std::function<void(bool saved)>& then) {
  EndTyping();
  if (mDocPath.empty()) {
    ChooseSavePath(then);
    return;
  }
  then(SaveTo(mDocPath));
}

void StudioWindow::ChooseSavePath(const std::function<void(bool saved)>& then) {
  RunChooser(GTK_WINDOW(mWindow), StudioText::Get("Save Document"), GTK_FILE_CHOOSER_ACTION_SAVE,
             StudioText::Get("_Save"), [this, then](int response, const std::string& path) {
               if (response != GTK_RESPONSE_ACCEPT || path.empty()) {
                 then(false);
                 return;
               }
               then(SaveTo(StudioIsDocumentPath(path) ? path : path + ".tlv"));
             });
}

int32_t StudioWindow::OpenDocument(const std::string& path) {
  EndTyping();
  const int32_t status = mDoc.Load(path);
  if (status != 0) {
    ScoreFailed(status, StudioText::Format("Can't open %s", path));
    return status;
  }
  mDocPath = path;
  mSelection.Clear();
  ShowRecording(mDoc.RecordingPath());
  mView->Redraw();
  ScoreDocumentChanged();
  ScoreSelectionChanged();
  SetMessage(StudioText::Format("Opened %s", path));
  return 0;
}

void StudioWindow::OpenRecording(const std::string& path, bool askedFor) {
  if (askedFor) {
    mDoc.SetRecordingPath(path);
  } else {
    mDoc.StartWithRecording(path);
  }
  ShowRecording(path);
  ScoreDocumentChanged();
}

void StudioWindow::ShowRecording(const std::string& path) {
  mLoader.Cancel();
  OpenPlayer(path);
  const int32_t sonogram = mView->OpenSonogram(path);
  if (path.empty()) {
    gtk_widget_set_visible(mProgress, FALSE);
    mView->SetSummary(nullptr);
    return;
  }
  SetMessage(StudioText::Format("Reading %s…", path));
  gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(mProgress), 0.0);
  gtk_widget_set_visible(mProgress, TRUE);
  mLoader.Start(
      path,
      [this](double fraction) {
        gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(mProgress), fraction);
      },
      [this, path, sonogram](int32_t status, std::unique_ptr<StudioWaveSummary> summary) {
        gtk_widget_set_visible(mProgress, FALSE);
        if (status != 0) {
          ScoreFailed(status, StudioText::Format("Can't read the recording %s", path));
          return;
        }
        mView->SetSummary(std::move(summary));
        if (mSoundStatus != 0) {
          ScoreFailed(mSoundStatus, PlaybackOff(mSoundStatus));
        } else if (sonogram != 0) {
          ScoreFailed(sonogram, StudioText::Format("No sonogram for %s", path));
        } else {
          SetMessage(path);
        }
      });
}

void StudioWindow::ChooseFileToOpen() {
  RunChooser(GTK_WINDOW(mWindow), StudioText::Get("Open Document or Recording"),
             GTK_FILE_CHOOSER_ACTION_OPEN, StudioText::Get("_Open"),
             [this](int response, const std::string& path) {
               if (response != GTK_RESPONSE_ACCEPT || path.empty()) return;
               if (StudioIsDocumentPath(path)) {
                 (void)OpenDocument(path);  // a failure is shown in the status line
               } else {
                 OpenRecording(path);
               }
             });
}

void StudioWindow::ChooseExportPath() {
  EndTyping();
  RunChooser(GTK_WINDOW(mWindow), StudioText::Get("Export Score (.png, .svg, .pdf)"),
             GTK_FILE_CHOOSER_ACTION_SAVE, StudioText::Get("_Export"),
             [this](int response, const std::string& path) {
               if (response != GTK_RESPONSE_ACCEPT || path.empty()) return;
               const int32_t status =
                   StudioExport::Write(mDoc, mView->Viewport(), mView->Summary(), mView->Height(),
                                       path, mView->ShownSonogram());
               if (status != 0) {
                 ScoreFailed(status, StudioText::Format("Can't export %s", path));
               } else {
                 SetMessage(StudioText::Format("Exported %s", path));
               }
             });
}

void StudioWindow::AskToSave(const std::function<void()>& then) {
  EndTyping();
  if (!mDoc.IsModified()) {
    then();
    return;
  }
  GtkWidget* dialog = gtk_message_dialog_new(
      GTK_WINDOW(mWindow), GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE, "%s",
      StudioText::Format("Save the changes to %s?",
                         mDocPath.empty() ? StudioText::Get("Untitled") : StudioBaseName(mDocPath))
          .c_str());
  gtk_message_dialog_format_secondary_text(
      GTK_MESSAGE_DIALOG(dialog), "%s",
      StudioText::Get("Your changes are lost if you don't save them."));
  gtk_dialog_add_buttons(GTK_DIALOG(dialog), StudioText::Get("_Cancel"), GTK_RESPONSE_CANCEL,
                         StudioText::Get("_Discard"), GTK_RESPONSE_REJECT, StudioText::Get("_Save"),
                         GTK_RESPONSE_ACCEPT, nullptr);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  auto* pending = new Pending{[this, then](int response, const std::string&) {
                                 if (response == GTK_RESPONSE_REJECT) {
                                   then();
                                 } else if (response == GTK_RESPONSE_ACCEPT) {
                                   Save([then](bool saved) {
                                     if (saved) then();
                                   });
                                 }
                               }};
  g_signal_connect(dialog, "response", G_CALLBACK(&Callbacks::QuestionResponse), pending);
  gtk_window_present(GTK_WINDOW(dialog));
}

bool StudioWindow::CloseRequested() {
  if (mClosing) return true;
  EndTyping();
  if (!mDoc.IsModified()) return true;
  AskToSave([this]() {
    mClosing = true;
    gtk_window_close(GTK_WINDOW(mWindow));
  });
  return false;
}
