// Talvane Studio's main window: the menus (File, Edit with the undo and redo
// names, View), the score view, a side area for panels and a status line
// with the recording's loading progress. It owns the selection and the
// typing state; the document belongs to the caller.
//
// Files: Save writes to the document's path (the one given on the command
// line, created by the first save, or the last one opened or saved) through
// the document's safe save, and asks for a path only when there is none.
// Closing, quitting or opening another document with unsaved changes asks
// first: Save, Discard or Cancel.
//
// Listening: space plays from the cursor, or the selected objects' time
// span, and pauses (the cursor goes where the sound stopped); L switches the
// loop of that span; a click on the ruler moves the cursor. While playing,
// a 30 ms timer moves the playhead line and pages the view after it, and the
// status line shows the time. Without a sound output the status line says
// so and playback stays off. TALVANE_STUDIO_SOUND=silent plays at real-time
// pace into no device (tests, machines without sound).
//
// View: ctrl+G switches between the waveform and the sonogram; the View menu
// also switches the sonogram's frequencies between linear and logarithmic.
//
// The window is the panels' StudioPanelHost.
#ifndef STUDIO_WINDOW_H
#define STUDIO_WINDOW_H

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "StudioGObject.h"
#include "StudioPanelHost.h"
#include "StudioScoreView.h"
#include "StudioSelection.h"
#include "StudioSummaryLoader.h"

typedef struct _GtkApplication GtkApplication;
typedef struct _GtkWidget GtkWidget;
typedef struct _GMenu GMenu;
typedef struct _GSimpleActionGroup GSimpleActionGroup;
class StudioDocument;
class StudioPlayer;
class StudioTransport;
class StudioSignal;

class StudioWindow : public StudioPanelHost, private StudioScoreViewOwner {
 public:
  // doc outlives the window. documentPath: where Save writes (may be
  // empty, or name a file that does not exist yet).
  StudioWindow(GtkApplication* app, StudioDocument& doc, const std::string& documentPath);
  ~StudioWindow() override;
  StudioWindow(const StudioWindow&) = delete;
  StudioWindow& operator=(const StudioWindow&) = delete;

  void Present();
  // Makes path (UTF-8) the document's recording and shows it. A recording
  // other than the one the document names is a change kept by the next save:
  // the document counts as modified until then (when askedFor; a recording
  // given with a new document is not a change).
  void OpenRecording(const std::string& path, bool askedFor = true);
  // Loads a document (the history starts empty) and shows the recording it
  // names, or none. The document's status; on failure nothing changes.
  [[nodiscard]] int32_t OpenDocument(const std::string& path);

  // Adds panel to the side area (a vertical box beside the score, shown
  // once it holds a panel); the window takes the widget.
  void AddPanel(GtkWidget* panel);

  // ---- StudioPanelHost
  void AddListener(StudioPanelListener* listener) override;
  void RemoveListener(StudioPanelListener* listener) override;
  const StudioDocument& Document() const override { return mDoc; }
  const StudioSelection& Selection() const override { return mSelection; }
  StudioObjectId EditedObject() const override { return mView->EditedObject(); }
  [[nodiscard]] int32_t Perform(const std::function<int32_t(StudioDocument&)>& change) override;
  [[nodiscard]] int32_t SendEditKey(const HostEditKey& key) override;
  void FocusScore() override { mView->Focus(); }

 // The toolkit's callbacks (defined with the window).
  struct Callbacks;

 private:
  friend struct Callbacks;

  // ---- StudioScoreViewOwner
  void ScoreDocumentChanged() override;
  void ScoreSelectionChanged() override;
  void ScoreEditingChanged(StudioObjectId id) override;
  void ScoreFailed(int32_t status, const std::string& what) override;
  void ScoreRulerClicked(double ms) override;

  // Ends typing before a command (save, undo, open, close, …).
  void EndTyping();

  // ---- Listening
  void OpenPlayer(const std::string& path);
  void TogglePlay();
  void ToggleLoop();
  // The transport's range: the time span of the selected objects, or none.
  void UpdateRange();
  // Moves the playhead line and the time shown; keeps the timer running
  // while playing.
  void UpdatePlayhead();

  void BuildMenus(GtkApplication* app);
  void AddAction(const char* name, void (*handler)(StudioWindow&));
  void UpdateTitleAndMenus();
  void SetMessage(const std::string& text);
  // Summarises the recording on a worker thread; the waveform appears when
  // it is done, a failure goes to the status line. Empty: no waveform.
  void ShowRecording(const std::string& path);

  // Actions (each finishes typing first).
  void Save(const std::function<void(bool saved)>& then);
  bool SaveTo(const std::string& path);
  void ChooseSavePath(const std::function<void(bool saved)>& then);
  void ChooseFileToOpen();
  void ChooseExportPath();
  void Undo();
  void Redo();
  // Runs then at once when nothing is unsaved; otherwise asks Save, Discard
  // or Cancel and runs it after a save or a discard.
  void AskToSave(const std::function<void()>& then);
  bool CloseRequested();

  StudioDocument& mDoc;
  std::string mDocPath;
  StudioSelection mSelection;
  std::unique_ptr<StudioScoreView> mView;
  StudioSummaryLoader mLoader;
  std::vector<StudioPanelListener*> mListeners;

  GtkWidget* mWindow = nullptr;
  GtkWidget* mPaned = nullptr;
  StudioGObject<GtkWidget> mPanels;
  GtkWidget* mStatus = nullptr;
  GtkWidget* mProgress = nullptr;
  GtkWidget* mTime = nullptr;
  std::unique_ptr<StudioPlayer> mPlayer;
  std::unique_ptr<StudioTransport> mTransport;
  // The playhead timer's source, 0 when stopped.
  unsigned mTick = 0;
  // The player's status for the recording shown (0: playback possible).
  int32_t mSoundStatus = 0;
  StudioGObject<GMenu> mUndoSection;
  StudioGObject<GSimpleActionGroup> mActions;
  std::list<StudioSignal> mSignals;
  bool mClosing = false;
};

#endif
