// The score view written to a picture: the same painting the screen shows
// (background, waveform or sonogram, ruler, objects) without the selection,
// handles or rubber band. With a sonogram, its tiles for the picture are
// computed first (the picture is drawn once, whole); the strip is a bitmap,
// embedded as an image in vector files.
//
// The file kind follows the extension, in any case: .png (pixels, white
// background), .svg or .pdf (vector drawing, one page). The picture is
// the view's width (its time axis) by height pixels, or points for vector
// files.
//
// The file is replaced as a document is saved (HostSafeSave): the picture
// goes to a fresh temporary name beside it and is renamed over it only when
// it is whole, so a failed export leaves no half file and an existing
// picture untouched.
//
// Status codes (kit/QVErrors.h), logged where they arise:
// kQVErrStudioExportKind (-1430) for another extension;
// kQVErrStudioExportSize (-1431) for a height not finite or below one
// pixel; kQVErrRenderTooLarge (-710) for a PNG of more than
// kHostMaxRenderPixels; HostSafeSave's statuses (kQVErrFileOpen,
// kQVErrNotAFile, kQVErrDocumentReadOnly, kQVErrFileWrite); kQVErrDrawFile
// or kQVErrDrawPort from the drawing port; the first object's draw failure
// (the file is then not written either); with a sonogram, kQVErrSonogram
// (-1422) when its tiles are not computed within kSonogramWaitMs, and
// kQVErrRenderTooLarge for a picture of more than kHostMaxRenderPixels (the
// tiles are asked for by drawing it in memory first).
#ifndef STUDIO_EXPORT_H
#define STUDIO_EXPORT_H

#include <cstdint>
#include <string>

class StudioDocument;
class StudioSonogram;
class StudioViewport;
class StudioWaveSummary;

class StudioExport {
 public:
  // How long an export waits for the sonogram's tiles, in milliseconds.
  static constexpr int32_t kSonogramWaitMs = 60000;

  // summary may be null (no recording). sonogram (may be null): the strip
  // drawn instead of the waveform, as on screen; it must be open. path:
  // UTF-8.
  [[nodiscard]] static int32_t Write(const StudioDocument& doc, const StudioViewport& view,
                                     const StudioWaveSummary* summary, double height,
                                     const std::string& path, StudioSonogram* sonogram = nullptr);
};

#endif
