#include "StudioExport.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "StudioScenePainter.h"
#include "StudioViewport.h"
#include "bridge/HostRender.h"
#include "graphics/AGContext.h"
#include "graphics/AGGraphicsLow.h"
#include "kit/QVErrors.h"
#include "kit/QVLog.h"
#include "kit/QVString.h"

namespace {

bool KindOf(const std::string& path, AGNativePortKind& kind) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == "png") {
    kind = kAGNativePortPNG;
  } else if (ext == "svg") {
    kind = kAGNativePortSVG;
  } else if (ext == "pdf") {
    kind = kAGNativePortPDF;
  } else {
    return false;
  }
  return true;
}

}  // namespace

int32_t StudioExport::Write(const StudioDocument& doc, const StudioViewport& view,
                            const StudioWaveSummary* summary, double height,
                            const std::string& path) {
  AGNativePortKind kind = kAGNativePortPNG;
  if (!KindOf(path, kind)) {
    return static_cast<int32_t>(QVLogStatus<kQVErrStudioExportKind>(path.c_str()));
  }
  const double width = view.Axis().ViewWidth();
  char size[96];
  std::snprintf(size, sizeof size, "%g x %g", width, height);
  if (!std::isfinite(height) || height < 1.0) {
    return static_cast<int32_t>(QVLogStatus<kQVErrStudioExportSize>(path.c_str(), size));
  }
  // Pixels are whole; the view's last partial pixel is kept.
  const double columns = std::ceil(width);
  const double rows = std::ceil(height);
  if (kind == kAGNativePortPNG && columns * rows > static_cast<double>(kHostMaxRenderPixels)) {
    char what[160];
    std::snprintf(what, sizeof what, "%.0f x %.0f pixels; at most %llu pixels are drawn", columns,
                  rows, static_cast<unsigned long long>(kHostMaxRenderPixels));
    return static_cast<int32_t>(QVLogStatus<kQVErrRenderTooLarge>(path.c_str(), what));
  }

  StudioScenePainter painter(doc, view, summary);
  painter.SetMode(StudioScenePainter::Mode::kExport);
  return HostWritePicture(path, kind, {columns, rows}, [&](AGNativePort* port) {
    return painter.Paint(AGContext(port, AGGraphicsLow::AGNativePortGetBounds(port)));
  });
}
