#include "bridge/HostRender.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "bridge/HostDocument.h"
#include "bridge/HostSafeSave.h"
#include "graphics/AGContext.h"
#include "graphics/AGGraphicsLow.h"
#include "host/QVDrawEvent.h"
#include "kit/QVErrors.h"
#include "kit/QVLog.h"
#include "kit/QVString.h"

namespace {

// Blank space around the drawing, in score units.
constexpr double kMargin = 12.0;
// Side of a library cell and the gap between cells, in score units.
constexpr double kLibraryCell = 120.0;
constexpr double kLibraryGap = 12.0;

bool EndsWith(const std::string& s, const char* suffix) {
  std::string tail(suffix);
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

AGRect Union(const AGRect& a, const AGRect& b) {
  return AGRect{std::min(a.x1, b.x1), std::min(a.y1, b.y1), std::max(a.x2, b.x2),
                std::max(a.y2, b.y2)};
}

// The picture kind path's extension names; false for none.
bool PictureKindOf(const std::string& path, AGNativePortKind& kind) {
  if (EndsWith(path, ".png")) {
    kind = kAGNativePortPNG;
  } else if (EndsWith(path, ".svg")) {
    kind = kAGNativePortSVG;
  } else if (EndsWith(path, ".pdf")) {
    kind = kAGNativePortPDF;
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool HostRenderKnowsPictureKind(const std::string& path) {
  AGNativePortKind kind;
  return PictureKindOf(path, kind);
}

int32_t HostRender(const HostDocument& doc, HostView view, const std::string& path, double scale) {
  AGNativePortKind kind;
  if (!PictureKindOf(path, kind)) {
    return static_cast<int32_t>(QVLogError(
        kQVErrGeneric, "Can't tell the kind of picture \"%s\" (.png, .svg, .pdf)", path.c_str()));
  }
  if (doc.Count() == 0 || !(scale > 0.0)) {
    return static_cast<int32_t>(
        QVLogError(kQVErrGeneric, "Nothing to draw into \"%s\"", path.c_str()));
  }

  // Where each object goes, in score units.
  std::vector<AGRect> targets;
  for (size_t i = 0; i < doc.Count(); ++i) {
    if (view == HostView::kScore) {
      AGRect f = doc.Object(i).Record().frame;
      targets.push_back(AGRect{std::min(f.x1, f.x2), std::min(f.y1, f.y2), std::max(f.x1, f.x2),
                               std::max(f.y1, f.y2)});
    } else {
      double x = static_cast<double>(i) * (kLibraryCell + kLibraryGap);
      targets.push_back(AGRect{x, 0.0, x + kLibraryCell, kLibraryCell});
    }
  }
  AGRect all = targets.front();
  for (const AGRect& t : targets) all = Union(all, t);
  const AGSize size = {(all.x2 - all.x1 + 2 * kMargin) * scale,
                       (all.y2 - all.y1 + 2 * kMargin) * scale};

  if (kind == kAGNativePortPNG && std::isfinite(size.width) && std::isfinite(size.height)) {
    // Rounded as the port rounds them.
    const double columns = std::max(1.0, std::round(size.width));
    const double rows = std::max(1.0, std::round(size.height));
    if (columns * rows > static_cast<double>(kHostMaxRenderPixels)) {
      char what[160];
      std::snprintf(what, sizeof what, "%.0f x %.0f pixels; at most %llu pixels are drawn", columns,
                    rows, static_cast<unsigned long long>(kHostMaxRenderPixels));
      return static_cast<int32_t>(QVLogStatus<kQVErrRenderTooLarge>(path.c_str(), what));
    }
  }

  return HostWritePicture(path, kind, size, [&](AGNativePort* port) {
    AGContext context(port, AGGraphicsLow::AGNativePortGetBounds(port));
    if (kind == kAGNativePortPNG) context.ClearPixels(kAGColorWhite);
    AGAffineTransform t = AGAffineTransformConcatTranslation(kAGAffineTransformIdentity,
                                                             kMargin - all.x1, kMargin - all.y1);
    context.transform = AGAffineTransformConcatScale(t, scale, scale);
    for (size_t i = 0; i < doc.Count(); ++i) {
      // Drawing fails silently: an object that can't draw leaves its frame
      // empty, and the others are still drawn.
      (void)HostRenderObject(context, doc.Object(i), view, targets[i], false);
    }
    return 0;
  });
}

int32_t HostWritePicture(const std::string& path, AGNativePortKind kind, const AGSize& size,
                         const std::function<int32_t(AGNativePort* port)>& paint) {
  // The picture replaces the file at path (its bytes as given) the way a
  // document is saved: drawn into a fresh temporary file beside it, renamed
  // over it only when complete.
  HostSafeSave save(path);
  int32_t saving = save.Begin();
  if (saving != 0) return saving;
  // Released before the save completes: a vector picture is finished then.
  AGNativePortPtr port;
  long status = AGGraphicsLow::AGNativePortCreateForFile(save.File(), kind, size, &port);
  if (status != 0) return static_cast<int32_t>(status);
  const int32_t painted = paint(port.get());
  // Without a commit the temporary file goes and the old picture stays.
  if (painted != 0) return painted;
  status = AGGraphicsLow::AGNativePortFinish(port.get());
  port.reset();
  return status != 0 ? static_cast<int32_t>(status) : save.Commit();
}

int32_t HostRenderObject(const AGContext& context, const HostObject& object, HostView view,
                         const AGRect& target, bool edited) {
  QVDrawEvent event{};
  event.target = target;
  event.brush = &object.Record().brush;
  event.pen = &object.Record().pen;
  event.flags = view == HostView::kScore ? kQVDrawEventScore : kQVDrawEventLibrary;
  if (edited) event.flags |= kQVDrawEventEdited;
  return object.Draw(context, event);
}
