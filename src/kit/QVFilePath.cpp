#include "kit/QVFilePath.h"

#include <strings.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace {

std::string LowWithSlashes(const QVString& text) {
  std::string s = text.Std();
  std::replace(s.begin(), s.end(), '\\', '/');
  return s;
}

// Index just past the last "/" (0 when there is none): where the file name
// starts and the directory part ends.
size_t LowFileNameStart(std::string_view path) {
  size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

std::string_view LowFileNameOf(std::string_view path) {
  return path.substr(LowFileNameStart(path));
}

// Index of the "." that starts the extension within name, or npos.
size_t LowExtensionDot(std::string_view name) { return name.rfind('.'); }

// The directory components of path. With simplify, empty and "." components
// are dropped and ".." removes the component before it; a ".." with nothing
// before it fails.
bool LowComponents(const QVString& path, bool simplify, QVStringArray& out) {
  out = path.SplitToArray("/", "");
  if (!out.IsEmpty()) out.Remove(out.Length() - 1);  // the file name
  if (!out.IsEmpty() && out[0].IsEmpty()) out.Remove(0);
  if (!simplify) return true;

  QVStringArray kept;
  for (const QVString& piece : out) {
    if (piece.IsEmpty() || piece == ".") continue;
    if (piece == "..") {
      if (kept.IsEmpty()) return false;
      kept.Remove(kept.Length() - 1);
      continue;
    }
    kept.Append(piece);
  }
  out = kept;
  return true;
}

bool LowIsAbsolute(const QVString& path) { return !path.IsEmpty() && path[0] == '/'; }

bool LowFileNameLess(const QVFilePath& a, const QVFilePath& b) {
  return LowFileNameOf(a.String().Std()) < LowFileNameOf(b.String().Std());
}

}  // namespace

QVFilePath::QVFilePath(const char* path) : mPath(LowWithSlashes(QVString(path))) {}

QVFilePath::QVFilePath(const QVString& path) : mPath(LowWithSlashes(path)) {}

QVFilePath& QVFilePath::operator=(const char* path) {
  mPath = LowWithSlashes(QVString(path));
  return *this;
}

QVFilePath& QVFilePath::operator=(const QVString& path) {
  mPath = LowWithSlashes(path);
  return *this;
}

bool QVFilePath::IsEqual(const QVFilePath& other) const { return mPath == other.mPath; }

bool QVFilePath::IsAbsolute() const { return LowIsAbsolute(mPath); }

bool QVFilePath::IsRelative() const { return !mPath.IsEmpty() && mPath[0] != '/'; }

QVString QVFilePath::FileName() const { return std::string(LowFileNameOf(mPath.Std())); }

QVString QVFilePath::Path() const {
  return mPath.Std().substr(0, LowFileNameStart(mPath.Std()));
}

QVString QVFilePath::Extension() const {
  std::string_view name = LowFileNameOf(mPath.Std());
  size_t dot = LowExtensionDot(name);
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

QVString QVFilePath::ShortFileName() const {
  std::string_view name = LowFileNameOf(mPath.Std());
  return std::string(name.substr(0, LowExtensionDot(name)));
}

bool QVFilePath::HasExtension() const { return !Extension().IsEmpty(); }

bool QVFilePath::HasExtension(const QVString& ext) const {
  return strcasecmp(Extension().c_str(), ext.c_str()) == 0;
}

void QVFilePath::SetPath(const QVString& dir) {
  std::string text = LowWithSlashes(dir);
  // An empty directory means none: appending "/" would move the file to the
  // root.
  if (!text.empty() && text.back() != '/') text += '/';
  text += LowFileNameOf(mPath.Std());
  mPath = std::move(text);
}

void QVFilePath::SetFileName(const QVString& name) {
  mPath = Path().Std() + LowWithSlashes(name);
}

void QVFilePath::SetShortFileName(const QVString& name) {
  std::string text = Path().Std() + LowWithSlashes(name);
  QVString ext = Extension();
  if (!ext.IsEmpty()) text += "." + ext.Std();
  mPath = std::move(text);
}

void QVFilePath::SetExtension(const QVString& ext) {
  std::string text = Path().Std() + ShortFileName().Std();
  if (!ext.IsEmpty()) text += "." + ext.Std();
  mPath = LowWithSlashes(text);
}

void QVFilePath::AddExtension(const QVString& ext) {
  if (ext.IsEmpty()) return;
  mPath = LowWithSlashes(mPath.Std() + "." + ext.Std());
}

void QVFilePath::RemoveExtension() { SetExtension(QVString()); }

void QVFilePath::RemoveFileName() { mPath = Path(); }

void QVFilePath::AppendComponent(const QVString& name) {
  if (name.IsEmpty()) return;
  mPath = Path().Std() + LowWithSlashes(name) + "/" + FileName().Std();
}

void QVFilePath::RemoveLastComponent() {
  const std::string& path = mPath.Std();
  size_t nameStart = LowFileNameStart(path);
  if (nameStart < 2) return;
  // nameStart - 1 is the "/" that closes the last component; the one before
  // it opens that component.
  size_t open = path.rfind('/', nameStart - 2);
  if (open == std::string::npos) return;
  mPath = path.substr(0, open + 1) + path.substr(nameStart);
}

QVStringArray QVFilePath::GetPathComponents() const {
  QVStringArray components;
  LowComponents(mPath, false, components);
  return components;
}

void QVFilePath::SetPathComponents(const QVStringArray& components, bool relative) {
  std::string text;
  // An absolute path keeps its root even without components: '/a/../f'
  // simplifies to '/f', not to the relative 'f'.
  if (!relative) text = "/";
  for (const QVString& component : components) {
    text += component.Std();
    text += '/';
  }
  text += LowFileNameOf(mPath.Std());
  if (relative && text.empty()) text = "./";
  mPath = LowWithSlashes(text);
}

bool QVFilePath::SimplifyPath() {
  // The empty path is neither relative nor absolute: it has nothing to
  // simplify and must not turn into "./".
  if (mPath.IsEmpty()) return true;
  QVStringArray components;
  if (!LowComponents(mPath, true, components)) return false;
  SetPathComponents(components, !IsAbsolute());
  return true;
}

bool QVFilePath::MakeAbsolute(const QVFilePath& base) {
  if (!IsRelative() || !base.IsAbsolute()) return false;
  // Joining the raw pieces first lets this path's ".." climb into base.
  QVFilePath joined(base.Path().Std() + Path().Std());
  QVStringArray components;
  if (!LowComponents(joined.mPath, true, components)) return false;
  SetPathComponents(components, false);
  return true;
}

bool QVFilePath::MakeRelative(const QVFilePath& base) {
  if (!IsAbsolute() || !base.IsAbsolute()) return false;
  QVStringArray mine;
  QVStringArray theirs;
  if (!LowComponents(mPath, true, mine) || !LowComponents(base.mPath, true, theirs)) return false;

  uint32_t common = 0;
  while (common < mine.Length() && common < theirs.Length() && mine[common] == theirs[common]) {
    ++common;
  }
  QVStringArray result;
  for (uint32_t i = common; i < theirs.Length(); ++i) result.Append(QVString(".."));
  for (uint32_t i = common; i < mine.Length(); ++i) result.Append(mine[i]);
  SetPathComponents(result, true);
  return true;
}

void QVFilePathArray::SortByFilePath() {
  Sort([](const QVFilePath& a, const QVFilePath& b) { return a.String().Std() < b.String().Std(); });
}

void QVFilePathArray::SortByFileName() { Sort(LowFileNameLess); }

// Defined once, in the shared kits, so that every module of the process (the
// hosts, the plug-in) refers to the same object; constructed before the
// kits' other statics (init_priority), which may use it.
__attribute__((init_priority(101))) const QVFilePath kQVNullFilePath;
__attribute__((init_priority(101))) const QVFilePathArray kQVNullFilePathArray;
