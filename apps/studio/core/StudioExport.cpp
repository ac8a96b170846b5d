#include "StudioExport.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "StudioScenePainter.h"
#include "StudioSonogram.h"
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

// Draws the picture in memory until the sonogram's strip in it is whole,
// waiting for its tiles in between: the tiles asked for are exactly the
// picture's. 0, kQVErrRenderTooLarge, the port's status, the sonogram's
// (-1422: nothing open), or -1422 when the tiles take longer than
// StudioExport::kSonogramWaitMs.
[[nodiscard]] int32_t AwaitSonogram(const StudioScenePainter& painter, StudioSonogram& sonogram,
                      double columns, double rows, const std::string& path) {
  if (!sonogram.IsOpen()) {
    return static_cast<int32_t>(QVLogStatus<kQVErrSonogram>("no recording is open"));
  }
  if (columns * rows > static_cast<double>(kHostMaxRenderPixels)) {
    char what[160];
    std::snprintf(what, sizeof what,
                  "%.0f x %.0f pixels with a sonogram; at most %llu pixels are drawn", columns,
                  rows, static_cast<unsigned long long>(kHostMaxRenderPixels));
    return static_cast<int32_t>(QVLogStatus<kQVErrRenderTooLarge>(path.c_str(), what));
  }
  AGNativePortPtr port;
  auto status = static_cast<int32_t>(AGGraphicsLow::AGNativePortCreateBitmap(
      static_cast<uint32_t>(columns), static_cast<uint32_t>(rows), &port));
  if (status != 0) return status;
  const AGContext context(port.get(), AGGraphicsLow::AGNativePortGetBounds(port.get()));
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(StudioExport::kSonogramWaitMs);
  for (;;) {
    bool complete = false;
    status = painter.Paint(context, &complete);
    if (status != 0 || complete) return status;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      return static_cast<int32_t>(
          QVLogStatus<kQVErrSonogram>("the tiles of the exported picture took too long"));
    }
    (void)sonogram.WaitUntilIdle(static_cast<int32_t>(left.count()));
  }
}

}  // namespace

int32_t StudioExport::Write(const StudioDocument& doc, const StudioViewport& view,
                            const StudioWaveSummary* summary, double height,
                            const std::string& path, StudioSonogram* sonogram) {
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
  if (sonogram) {
    painter.SetSonogram(sonogram);
    const int32_t status = AwaitSonogram(painter, *sonogram, columns, rows, path);
    if (status != 0) return status;
  }
  return HostWritePicture(path, kind, {columns, rows}, [&](AGNativePort* port) {
    return painter.Paint(AGContext(port, AGGraphicsLow::AGNativePortGetBounds(port)));
  });
}
