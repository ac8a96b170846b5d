#include "StudioExport.h"

#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdio>

#include "StudioScenePainter.h"
#include "StudioViewport.h"
#include "bridge/HostRender.h"
#include "bridge/HostSafeSave.h"
#include "graphics/AGContext.h"
#include "graphics/AGGraphicsLow.h"
#include "kit/QVErrors.h"
#include "kit/QVFile.h"
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

// The drawing port writes by name. The temporary file is reached through
// the descriptor HostSafeSave holds, so that nothing planted under its name
// in the meantime is written through; without /proc, by its name.
QVString PortPathOf(HostSafeSave& save) {
  const std::string byDescriptor = "/proc/self/fd/" + std::to_string(save.File().Descriptor());
  const std::string& path = access(byDescriptor.c_str(), W_OK) == 0 ? byDescriptor
                                                                    : save.TemporaryPath();
  return QVString(path).ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative);
}

}  // namespace

int32_t StudioExport::Write(const StudioDocument& doc, const StudioViewport& view,
                            const StudioWaveSummary* summary, double height,
                            const std::string& path) {
  AGNativePortKind kind = kAGNativePortPNG;
  if (!KindOf(path, kind)) {
    return static_cast<int32_t>(QVLogStatus(kQVErrStudioExportKind, path.c_str()));
  }
  const double width = view.Axis().ViewWidth();
  char size[96];
  std::snprintf(size, sizeof size, "%g x %g", width, height);
  if (!std::isfinite(height) || height < 1.0) {
    return static_cast<int32_t>(QVLogStatus(kQVErrStudioExportSize, path.c_str(), size));
  }
  // Pixels are whole; the view's last partial pixel is kept.
  const double columns = std::ceil(width);
  const double rows = std::ceil(height);
  if (kind == kAGNativePortPNG && columns * rows > static_cast<double>(kHostMaxRenderPixels)) {
    char what[160];
    std::snprintf(what, sizeof what, "%.0f x %.0f pixels; at most %llu pixels are drawn", columns,
                  rows, static_cast<unsigned long long>(kHostMaxRenderPixels));
    return static_cast<int32_t>(QVLogStatus(kQVErrRenderTooLarge, path.c_str(), what));
  }

  HostSafeSave save(path);
  int32_t status = save.Begin();
  if (status != 0) return status;
  const QVString target = PortPathOf(save);

  AGNativePortPtr port;
  long made = kind == kAGNativePortPNG
                  ? AGGraphicsLow::AGNativePortCreateBitmap(static_cast<uint32_t>(columns),
                                                            static_cast<uint32_t>(rows), &port)
                  : AGGraphicsLow::AGNativePortCreateFile(target, kind, {columns, rows}, &port);
  if (made != 0) return static_cast<int32_t>(made);

  StudioScenePainter painter(doc, view, summary);
  painter.SetMode(StudioScenePainter::Mode::kExport);
  status = painter.Paint(AGContext(port.get(), AGGraphicsLow::AGNativePortGetBounds(port.get())));
  if (status != 0) return status;

  long written = kind == kAGNativePortPNG ? AGGraphicsLow::AGNativePortWritePNG(port.get(), target)
                                          : AGGraphicsLow::AGNativePortFinish(port.get());
  if (written != 0) return static_cast<int32_t>(written);
  return save.Commit();
}
