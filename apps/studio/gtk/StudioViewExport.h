// The score as a view shows it, written to a picture file.
#ifndef STUDIO_VIEW_EXPORT_H
#define STUDIO_VIEW_EXPORT_H

#include <cstdint>
#include <string>

class StudioDocument;
class StudioViewport;
class StudioWaveSummary;

// Paints the view's width (its axis) by height pixels of the score, without
// selection marks, into path: .png, .svg or .pdf (UTF-8). summary may be
// null. 0, kQVErrGeneric (logged) for another extension, or the port's or
// the painter's status.
int32_t StudioExportView(const StudioDocument& doc, const StudioViewport& view,
                         const StudioWaveSummary* summary, double height, const std::string& path);

#endif
