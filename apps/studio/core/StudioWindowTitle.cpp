#include "StudioWindowTitle.h"

#include "StudioText.h"

std::string StudioBaseName(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos || trimmed.size() == 1) return trimmed;
  return trimmed.substr(slash + 1);
}

std::string StudioWindowTitle(const std::string& documentPath, const std::string& recordingPath,
                              bool modified) {
  std::string title = modified ? "*" : "";
  title += documentPath.empty() ? std::string(StudioText::Get("Untitled"))
                                : StudioBaseName(documentPath);
  if (!recordingPath.empty()) title += " (" + StudioBaseName(recordingPath) + ")";
  title += " - ";
  title += kStudioAppName;
  return title;
}
