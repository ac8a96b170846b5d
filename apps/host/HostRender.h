// Rendering a document the way the host shows it: every object drawn by the
// plug-in into its frame of the score, or each in a cell of the library.
#ifndef HOST_RENDER_H
#define HOST_RENDER_H

#include <cstdint>
#include <string>

class HostDocument;

enum class HostView { kScore, kLibrary };

// Writes the view of doc to path (UTF-8); the file kind follows the
// extension: .png, .svg or .pdf. scale: output units per score unit.
// 0, or kQVErrDrawFile / kQVErrDrawPort (logged), kQVErrGeneric for an
// unknown extension or an empty document.
int32_t HostRender(const HostDocument& doc, HostView view, const std::string& path, double scale);

#endif
