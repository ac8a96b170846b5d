#include "StudioViewExport.h"

#include "StudioScenePainter.h"
#include "StudioViewport.h"
#include "graphics/AGContext.h"
#include "graphics/AGGraphicsLow.h"
#include "kit/QVErrors.h"
#include "kit/QVLog.h"
#include "kit/QVString.h"

int32_t StudioExportView(const StudioDocument& doc, const StudioViewport& view,
                   const StudioWaveSummary* summary, double height, const std::string& path) {
  AGNativePortKind kind = kAGNativePortPNG;
  const std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : "";
  if (tail == ".svg") {
    kind = kAGNativePortSVG;
  } else if (tail == ".pdf") {
    kind = kAGNativePortPDF;
  } else if (tail != ".png") {
    return static_cast<int32_t>(
        QVLogError(kQVErrGeneric, "Can't tell the kind of picture \"%s\" (.png, .svg, .pdf)", path.c_str()));
  }
  const QVString native =
      QVString(path).ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative);
  AGNativePortPtr port;
  const long status = AGGraphicsLow::AGNativePortCreateFile(
      native, kind, AGSize{view.Axis().ViewWidth(), height}, &port);
  if (status != 0) return static_cast<int32_t>(status);
  AGContext context(port.get(), AGGraphicsLow::AGNativePortGetBounds(port.get()));
  StudioScenePainter painter(doc, view, summary);
  painter.SetMode(StudioScenePainter::Mode::kExport);
  const int32_t painted = painter.Paint(context);
  const long finished = AGGraphicsLow::AGNativePortFinish(port.get());
  return painted != 0 ? painted : static_cast<int32_t>(finished);
}

