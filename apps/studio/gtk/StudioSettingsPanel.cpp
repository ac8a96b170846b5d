#include "StudioSettingsPanel.h"

#include <algorithm>
#include <cstdio>

#include "StudioDocument.h"
#include "StudioText.h"
#include "kit/QVErrors.h"

namespace {

using Kind = StudioSettingsControl::Kind;

// Controls whose tops lie within this many panel units share a row.
constexpr double kRowTolerance = 8.0;
// A slider's value is applied once the knob has rested this long (ms), so
// that a drag is one step, not one per position.
constexpr guint kSliderRestMs = 250;
// A control at least this wide (panel units) spans the whole row.
constexpr double kWideControl = 150.0;

std::string NumberText(double value, int32_t precision) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", std::clamp(precision, 0, 6), value);
  return text;
}

}  // namespace

struct StudioSettingsPanel::Callbacks {
  static void MenuChanged(GObject*, GParamSpec*, gpointer data) {
    auto* control = static_cast<ControlWidget*>(data);
    StudioSettingsPanel* panel = control->panel;
    if (panel->mShowing) return;
    guint selected = gtk_drop_down_get_selected(GTK_DROP_DOWN(control->widget));
    if (selected == GTK_INVALID_LIST_POSITION) return;
    const uint32_t id = control->id;
    panel->Apply([panel, id, selected](StudioDocument& doc, std::string& name) {
      return panel->mModel.ChooseItem(doc, id, static_cast<int32_t>(selected), name);
    });
  }

  static void EntryActivated(GtkEntry*, gpointer data) {
    auto* control = static_cast<ControlWidget*>(data);
    control->panel->ApplyNumberText(*control);
  }

  static void EntryLeft(GtkEventControllerFocus*, gpointer data) {
    auto* control = static_cast<ControlWidget*>(data);
    control->panel->ApplyNumberText(*control);
  }

  static void SliderMoved(GtkRange*, gpointer data) {
    auto* control = static_cast<ControlWidget*>(data);
    StudioSettingsPanel* panel = control->panel;
    if (panel->mShowing) return;
    if (panel->mSliderTimeout) g_source_remove(panel->mSliderTimeout);
    panel->mSliderTimeout = g_timeout_add(kSliderRestMs, &SliderRested, control);
  }

  static gboolean SliderRested(gpointer data) {
    auto* control = static_cast<ControlWidget*>(data);
    StudioSettingsPanel* panel = control->panel;
    panel->mSliderTimeout = 0;
    const double value = gtk_range_get_value(GTK_RANGE(control->widget));
    const uint32_t id = control->id;
    panel->Apply([panel, id, value](StudioDocument& doc, std::string& name) {
      return panel->mModel.SetNumber(doc, id, value, name);
    });
    return G_SOURCE_REMOVE;
  }
};

StudioSettingsPanel::StudioSettingsPanel(StudioPanelHost& host, HostGUIDesc* desc)
    : StudioSidePanel(host), mModel(desc) {
  GtkWidget* root = Widget();
  GtkWidget* title = gtk_label_new(nullptr);
  gtk_label_set_text(GTK_LABEL(title), StudioText::Get("Inspector"));
  gtk_widget_add_css_class(title, "heading");
  gtk_label_set_xalign(GTK_LABEL(title), 0);
  gtk_box_append(GTK_BOX(root), title);
  mCaption = gtk_label_new("");
  gtk_label_set_xalign(GTK_LABEL(mCaption), 0);
  gtk_box_append(GTK_BOX(root), mCaption);
  mGrid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(mGrid), 6);
  gtk_grid_set_column_spacing(GTK_GRID(mGrid), 6);
  gtk_box_append(GTK_BOX(root), mGrid);
  Build();
  Update();
}

StudioSettingsPanel::~StudioSettingsPanel() {
  if (mSliderTimeout) g_source_remove(mSliderTimeout);
  mSignals.clear();
}

void StudioSettingsPanel::Build() {
  const std::vector<StudioSettingsControl>& controls = mModel.Controls();
  std::vector<size_t> order(controls.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  // Rows by top (within kRowTolerance), left to right within a row.
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return controls[a].position.y < controls[b].position.y;
  });
  std::vector<int> rowOf(controls.size(), 0);
  int rows = 0;
  double rowTop = 0;
  for (size_t n = 0; n < order.size(); ++n) {
    const double top = controls[order[n]].position.y;
    if (n == 0 || top > rowTop + kRowTolerance) {
      ++rows;
      rowTop = top;
    }
    rowOf[order[n]] = rows - 1;
  }
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    if (rowOf[a] != rowOf[b]) return rowOf[a] < rowOf[b];
    return controls[a].position.x < controls[b].position.x;
  });
  int row = -1;
  int column = 0;
  for (size_t n = 0; n < order.size(); ++n) {
    const StudioSettingsControl& c = controls[order[n]];
    if (rowOf[order[n]] != row) {
      row = rowOf[order[n]];
      column = 0;
    }
    ControlWidget& control = mControls.emplace_back();
    control.model = order[n];
    control.id = c.id;
    control.kind = c.kind;
    control.panel = this;
    switch (c.kind) {
      case Kind::kMenu: {
        std::vector<const char*> items;
        for (const std::string& item : c.items) items.push_back(item.c_str());
        items.push_back(nullptr);
        control.items = gtk_string_list_new(items.data());
        control.widget = gtk_drop_down_new(G_LIST_MODEL(control.items), nullptr);
        mSignals.emplace_back(control.widget, "notify::selected",
                              G_CALLBACK(&Callbacks::MenuChanged), &control);
        break;
      }
      case Kind::kNumber: {
        control.widget = gtk_entry_new();
        gtk_editable_set_width_chars(GTK_EDITABLE(control.widget), 6);
        gtk_entry_set_input_purpose(GTK_ENTRY(control.widget), GTK_INPUT_PURPOSE_NUMBER);
        mSignals.emplace_back(control.widget, "activate", G_CALLBACK(&Callbacks::EntryActivated),
                              &control);
        GtkEventController* focus = gtk_event_controller_focus_new();
        mSignals.emplace_back(focus, "leave", G_CALLBACK(&Callbacks::EntryLeft), &control);
        gtk_widget_add_controller(control.widget, focus);
        break;
      }
      case Kind::kSlider:
        control.widget = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, c.rangeMin,
                                                   std::max(c.rangeMax, c.rangeMin + 1), 1);
        gtk_scale_set_draw_value(GTK_SCALE(control.widget), FALSE);
        gtk_widget_set_hexpand(control.widget, TRUE);
        gtk_widget_set_size_request(control.widget, static_cast<int>(c.size.width), -1);
        mSignals.emplace_back(control.widget, "value-changed", G_CALLBACK(&Callbacks::SliderMoved),
                              &control);
        break;
      case Kind::kLabel:
      case Kind::kUnknown:
        control.widget = gtk_label_new(c.title.c_str());
        gtk_label_set_xalign(GTK_LABEL(control.widget), 0);
        break;
    }
    const int span = c.size.width >= kWideControl && c.kind == Kind::kLabel ? 3 : 1;
    gtk_grid_attach(GTK_GRID(mGrid), control.widget, column, row, span, 1);
    column += span;
  }
}

void StudioSettingsPanel::Update() {
  // The model logs what it cannot read; the panel then shows what it had.
  (void)mModel.Refresh(mHost.Document(), mHost.Selection());
  Show();
}

void StudioSettingsPanel::Show() {
  mShowing = true;
  const bool serving = mModel.GetState() == StudioSettings::State::kServing;
  switch (mModel.GetState()) {
    case StudioSettings::State::kNoPanel:
      gtk_label_set_text(GTK_LABEL(mCaption), StudioText::Get("No inspector for these objects"));
      break;
    case StudioSettings::State::kNoSelection:
      gtk_label_set_text(GTK_LABEL(mCaption), StudioText::Get("No object selected"));
      break;
    case StudioSettings::State::kNotServed:
      gtk_label_set_text(GTK_LABEL(mCaption), StudioText::Get("Select one object to inspect it"));
      break;
    case StudioSettings::State::kServing: {
      const size_t count = mModel.Targets().size();
      std::string caption = count == 1 ? std::string(StudioText::Get("One object"))
                                       : StudioText::Format("%s objects", std::to_string(count));
      gtk_label_set_text(GTK_LABEL(mCaption), caption.c_str());
      break;
    }
  }
  gtk_widget_set_visible(mGrid, serving);
  gtk_widget_set_sensitive(mRoot.Get(), mHost.EditedObject() == kStudioNoObject);

  for (ControlWidget& control : mControls) {
    // The description's controls are fixed at registration: the widgets
    // stay paired with them.
    if (control.model >= mModel.Controls().size()) continue;
    const StudioSettingsControl& c = mModel.Controls()[control.model];
    gtk_widget_set_visible(control.widget, c.visible);
    gtk_widget_set_sensitive(control.widget, c.enabled);
    switch (c.kind) {
      case Kind::kMenu:
        gtk_drop_down_set_selected(GTK_DROP_DOWN(control.widget),
                                   c.index < 0 ? GTK_INVALID_LIST_POSITION : guint(c.index));
        break;
      case Kind::kNumber:
        gtk_editable_set_text(GTK_EDITABLE(control.widget),
                              NumberText(c.value, c.precision).c_str());
        gtk_widget_remove_css_class(control.widget, "error");
        break;
      case Kind::kSlider:
        gtk_range_set_value(GTK_RANGE(control.widget), c.value);
        break;
      case Kind::kLabel:
      case Kind::kUnknown:
        gtk_label_set_text(GTK_LABEL(control.widget), c.title.c_str());
        break;
    }
  }
  mShowing = false;
}

void StudioSettingsPanel::Apply(
    const std::function<int32_t(StudioDocument&, std::string&)>& change) {
  std::string name;
  const int32_t status = mHost.Perform([&](StudioDocument& doc) { return change(doc, name); });
  // On success the window's notification has refilled the panel; a refused
  // change shows the objects as they still are.
  if (status != 0) Update();
}

void StudioSettingsPanel::ApplyNumberText(ControlWidget& control) {
  if (mShowing) return;
  const std::string text = gtk_editable_get_text(GTK_EDITABLE(control.widget));
  const StudioSettingsControl* shown = mModel.Find(control.id);
  if (!shown || text == NumberText(shown->value, shown->precision)) return;
  std::string name;
  const uint32_t id = control.id;
  const int32_t status = mHost.Perform(
      [&](StudioDocument& doc) { return mModel.SetNumberText(doc, id, text, name); });
  if (status == kQVErrStudioNumberText) {
    // Kept as typed, marked, for the person to correct.
    gtk_widget_add_css_class(control.widget, "error");
  } else if (status != 0) {
    Update();
  }
}
