// Rendering a document the way the host shows it: every object drawn by the
// plug-in into its frame of the score, or each in a cell of the library.
#ifndef HOST_RENDER_H
#define HOST_RENDER_H

#include <cstdint>
#include <functional>
#include <string>

#include "graphics/AGGraphicsLow.h"

class AGContext;
class HostDocument;
class HostObject;
struct AGRect;

enum class HostView { kScore, kLibrary };

// A picture in pixels is held whole in memory, 4 bytes a pixel: at most
// this many pixels (8000 x 8000, 256 MB), however they are shaped. Vector
// pictures (.svg, .pdf) hold no pixels and have no such limit.
inline constexpr uint64_t kHostMaxRenderPixels = 64000000;

// Writes the view of doc to path (bytes as given, see HostFiles.h); the file
// kind follows the extension: .png, .svg or .pdf. scale: output units per
// score unit. The picture replaces the file at path as HostSafeSave
// replaces a document: written to an exclusive temporary file beside it and
// renamed over it when complete, so that a failed render leaves the old
// file (or none) and no half picture, and a link planted at a temporary
// name is never written through; a symbolic link at path itself is kept and
// its target replaced. 0, or kQVErrDrawFile / kQVErrDrawPort (logged),
// kQVErrRenderTooLarge (logged, with the size and the limit) for a .png of
// more than kHostMaxRenderPixels, kQVErrGeneric for an unknown extension or
// an empty document, and HostSafeSave's codes (kQVErrNotAFile,
// kQVErrDocumentReadOnly, kQVErrFileOpen, kQVErrFileWrite).
[[nodiscard]] int32_t HostRender(const HostDocument& doc, HostView view, const std::string& path,
                                 double scale);

// Whether path ends with an extension HostRender writes (.png, .svg, .pdf;
// compared as bytes, so ".PNG" is not one). Not logged.
bool HostRenderKnowsPictureKind(const std::string& path);

// Writes a picture of kind (PNG, SVG or PDF) and size (points; whole pixels
// for PNG, rounded, at least 1) to path (bytes as given) as HostRender does,
// through HostSafeSave: paint draws into the port, and the picture goes to
// an exclusive temporary file beside path that is renamed over it only when
// the picture is whole. A failing paint (its status is returned), port or write leaves
// no file and an existing picture as it was. 0, paint's status,
// kQVErrDrawPort, kQVErrDrawFile, or HostSafeSave's statuses.
[[nodiscard]] int32_t HostWritePicture(const std::string& path, AGNativePortKind kind,
                                       const AGSize& size,
                                       const std::function<int32_t(AGNativePort* port)>& paint);

// Draws one object the way the host shows it: the plug-in's draw method
// with target (score units, normalised) as the drawing event's target, the
// object's base brush and pen as the recommended ones, and the score or
// library flag; edited adds the edited look (an object in edit mode draws
// nothing without it). context.transform maps the score onto the port.
// The draw method's status (kQVErrGeneric without one).
[[nodiscard]] int32_t HostRenderObject(const AGContext& context, const HostObject& object,
                                       HostView view, const AGRect& target, bool edited);

#endif
