#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <sys/stat.h>

#include "graphics/platform/AGFontPlatform_p.h"
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "graphics/AGBezier.h"
#include "graphics/platform/AGNativePath.h"
#include "graphics/platform/AGPlatformOwner_p.h"
#include "kit/QVLog.h"

namespace {

// ---------------------------------------------------------------------------
// Owners of the C libraries' objects.

using FTLibraryPtr = AGPlatformOwner<FT_LibraryRec_, FT_Done_FreeType>;
using FTFacePtr = AGPlatformOwner<FT_FaceRec_, FT_Done_Face>;
using FcConfigPtr = AGPlatformOwner<FcConfig, FcConfigDestroy>;
using FcPatternPtr = AGPlatformOwner<FcPattern, FcPatternDestroy>;
using FcFontSetPtr = AGPlatformOwner<FcFontSet, FcFontSetDestroy>;
using FcObjectSetPtr = AGPlatformOwner<FcObjectSet, FcObjectSetDestroy>;

// The FreeType library, shared by every face opened from it so that it is
// released after the last face, whatever the order of static destruction.
struct FreeTypeLibrary {
  FTLibraryPtr library;
};

// One glyph as read from the face, in design units.
struct GlyphData {
  double advance = 0.0;
  AGRect ink = kAGNullRect;  // kAGNullRect without outline
  std::vector<AGNativeElementType> types;
  std::vector<AGPoint> points;  // as many per element as the type carries
};

}  // namespace

// An opened face with its design metrics and the glyphs read so far.
struct AGNativeFace {
  std::shared_ptr<FreeTypeLibrary> library;  // released after face
  FTFacePtr face;
  std::string path;  // UTF-8, for log lines
  double unitsPerEm = 0.0;
  double ascent = 0.0;   // design units above the baseline
  double descent = 0.0;  // design units below the baseline (positive)
  double leading = 0.0;
  double capHeight = 0.0;
  AGFontStyle style = kAGFontStyleRegular;
  mutable std::unordered_map<uint32_t, GlyphData> glyphs;

  const GlyphData& Glyph(uint32_t glyph) const;
};

namespace {

// ---------------------------------------------------------------------------
// Glyph outlines: FT_Outline_Decompose into kit elements, one contour at a
// time. FreeType reports each contour's closing segment but no close, so a
// contour is closed when the next begins and at the end.

struct OutlineSink {
  GlyphData* glyph;
  bool contourOpen = false;

  void Add(AGNativeElementType type, std::initializer_list<const FT_Vector*> points) {
    glyph->types.push_back(type);
    for (const FT_Vector* p : points) glyph->points.push_back({double(p->x), double(p->y)});
  }
  void CloseContour() {
    if (contourOpen) glyph->types.push_back(AGNativeElementType::kClose);
    contourOpen = false;
  }
};

int OutlineMoveTo(const FT_Vector* to, void* user) {
  auto* sink = static_cast<OutlineSink*>(user);
  sink->CloseContour();
  sink->Add(AGNativeElementType::kMoveTo, {to});
  sink->contourOpen = true;
  return 0;
}
int OutlineLineTo(const FT_Vector* to, void* user) {
  static_cast<OutlineSink*>(user)->Add(AGNativeElementType::kLineTo, {to});
  return 0;
}
int OutlineConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  static_cast<OutlineSink*>(user)->Add(AGNativeElementType::kQuadTo, {control, to});
  return 0;
}
int OutlineCubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to,
                   void* user) {
  static_cast<OutlineSink*>(user)->Add(AGNativeElementType::kCubicTo, {control1, control2, to});
  return 0;
}

void Widen(AGRect* box, bool* any, const AGPoint& min, const AGPoint& max) {
  if (!*any) {
    *box = {min.x, min.y, max.x, max.y};
    *any = true;
    return;
  }
  box->x1 = std::min(box->x1, min.x);
  box->y1 = std::min(box->y1, min.y);
  box->x2 = std::max(box->x2, max.x);
  box->y2 = std::max(box->y2, max.y);
}

// The true extents of the drawn segments: a curve's control points count
// only where the curve reaches them.
AGRect InkOf(const GlyphData& g) {
  AGRect box = kAGNullRect;
  bool any = false;
  AGPoint current = kAGNullPoint, start = kAGNullPoint, lo, hi;
  const AGPoint* p = g.points.data();
  for (AGNativeElementType type : g.types) {
    switch (type) {
      case AGNativeElementType::kMoveTo:
        current = start = p[0];
        break;
      case AGNativeElementType::kLineTo:
        Widen(&box, &any, {std::min(current.x, p[0].x), std::min(current.y, p[0].y)},
              {std::max(current.x, p[0].x), std::max(current.y, p[0].y)});
        current = p[0];
        break;
      case AGNativeElementType::kQuadTo:
        AGBezierQuadGetMinimax(current, p[0], p[1], &lo, &hi);
        Widen(&box, &any, lo, hi);
        current = p[1];
        break;
      case AGNativeElementType::kCubicTo:
        AGBezierCubicGetMinimax(current, p[0], p[1], p[2], &lo, &hi);
        Widen(&box, &any, lo, hi);
        current = p[2];
        break;
      case AGNativeElementType::kClose:
        current = start;
        break;
    }
    p += AGNativeElementPointCount(type);
  }
  return box;
}

}  // namespace

const GlyphData& AGNativeFace::Glyph(uint32_t glyph) const {
  auto found = glyphs.find(glyph);
  if (found != glyphs.end()) return found->second;
  GlyphData& g = glyphs[glyph];

  // Unscaled and so unhinted: design units, the same for every size.
  FT_Error error = FT_Load_Glyph(face.get(), glyph, FT_LOAD_NO_SCALE | FT_LOAD_IGNORE_TRANSFORM);
  if (error != 0) {
    QVLogStatus(kQVErrFontGlyph, glyph, path.c_str());
    return g;
  }
  FT_GlyphSlot slot = face->glyph;
  g.advance = double(slot->advance.x);
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE || slot->outline.n_contours <= 0) return g;

  const FT_Outline_Funcs funcs = {
      OutlineMoveTo, OutlineLineTo, OutlineConicTo, OutlineCubicTo, 0, 0};
  OutlineSink sink{&g};
  error = FT_Outline_Decompose(&slot->outline, &funcs, &sink);
  sink.CloseContour();
  if (error != 0) {
    // A damaged outline draws nothing rather than a part of itself.
    g.types.clear();
    g.points.clear();
    QVLogStatus(kQVErrFontGlyph, glyph, path.c_str());
    return g;
  }
  g.ink = InkOf(g);
  return g;
}

namespace {

// ---------------------------------------------------------------------------
// Family names between fontconfig (UTF-8) and the kit (native text).

QVString NativeFromUTF8(const char* utf8) {
  if (!utf8) return QVString();
  QVString source(utf8);
  QVString native = source.ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative);
  // A name the native encoding cannot hold would come back with "?" in it
  // and could then equal an unrelated name: it gives no name at all.
  if (native.IsEmpty() || native.Length() > 255 ||
      native.ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8) != source) {
    return QVString();
  }
  return native;
}

std::string UTF8FromNative(const QVString& native) {
  return native.ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8).Std();
}

// ---------------------------------------------------------------------------
// User interface fonts of this platform, by AGFontStandard value: a family
// as fontconfig understands it ("sans-serif" and "monospace" are its
// aliases for the desktop's preferred faces; the family name of the face
// they resolve to becomes the font's name) and the default size in points.
//
// 0 and every value above 14 stand for no font.
struct StandardFont {
  const char* family;
  float size;
};
constexpr StandardFont kStandardFonts[] = {
    {nullptr, 0.0f},        // none
    {"sans-serif", 13.0f},  // system
    {"sans-serif", 11.0f},  // small system
    {"sans-serif", 9.0f},   // mini system
    {"sans-serif", 12.0f},  // user
    {"monospace", 10.0f},   // user fixed-pitch
    {"sans-serif", 12.0f},  // application
    {"sans-serif", 13.0f},  // window title
    {"sans-serif", 11.0f},  // toolbar
    {"sans-serif", 12.0f},  // views
    {"sans-serif", 13.0f},  // control content
    {"sans-serif", 13.0f},  // push button
    {"sans-serif", 10.0f},  // label
    {"sans-serif", 14.0f},  // menu title
    {"sans-serif", 14.0f},  // menu item
};
constexpr uint32_t kStandardFontCount = sizeof(kStandardFonts) / sizeof(kStandardFonts[0]);

// ---------------------------------------------------------------------------
// The process-wide font registry: the FreeType library, the fontconfig
// configuration, and caches of lookups and opened faces.

struct Lookup {
  std::shared_ptr<const AGNativeFace> face;  // null: nothing found
  QVString family;
};

class FontRegistry {
 public:
  static FontRegistry& Get() {
    static FontRegistry registry;
    return registry;
  }

  // The face of the family (native text) and style bits. exact: only a font
  // one of whose family names equals family byte for byte; otherwise the
  // best match fontconfig offers, under its first family name.
  Lookup Find(const QVString& family, AGFontStyle style, bool exact);

  QVStringArray CopyFamilyNames();
  long AddApplicationFontFile(const QVString& path);
  uint32_t Generation() const { return mGeneration; }

 private:
  // The modification time of a font or configuration folder, or its
  // absence, as the configuration was built.
  struct Stamp {
    std::string path;
    bool exists = false;
    struct timespec mtime = {};
  };

  FontRegistry() = default;

  FcConfig* Config();
  // Builds the configuration again when a font folder or configuration
  // folder it was built from changed since (a font installed or removed
  // while the program runs), with the application fonts added so far; true
  // when it did. A stat of each folder when nothing changed.
  bool Refresh();
  void TakeStamps();
  bool StampsChanged() const;
  FreeTypeLibrary* Library();
  Lookup Match(const std::string& family, AGFontStyle style, bool exact, const QVString& wanted);
  std::shared_ptr<const AGNativeFace> OpenFace(const std::string& path, int index);

  using LookupKey = std::tuple<std::string, AGFontStyle, bool>;

  std::shared_ptr<FreeTypeLibrary> mLibrary;
  bool mLibraryFailed = false;
  FcConfigPtr mConfig;
  bool mConfigFailed = false;
  // A failed open is kept as null, so that a damaged file is logged once.
  std::map<std::pair<std::string, int>, std::shared_ptr<const AGNativeFace>> mFaces;
  std::map<LookupKey, Lookup> mLookups;
  std::set<std::string> mApplicationFiles;  // canonical paths
  std::vector<Stamp> mStamps;  // of the folders mConfig was built from
  uint32_t mGeneration = 0;
};

// Each string of a fontconfig list, handed to f as UTF-8.
template <class F>
void ForEachString(FcStrList* list, F f) {
  if (!list) return;
  while (FcChar8* s = FcStrListNext(list)) f(reinterpret_cast<const char*>(s));
  FcStrListDone(list);
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

FcConfig* FontRegistry::Config() {
  if (!mConfig && !mConfigFailed) {
    // A configuration of our own rather than fontconfig's current one: the
    // host and other libraries may use (and rescan, or finish) that one, and
    // the fonts added here stay private to the kit. It is released with the
    // registry; fontconfig's global state is never touched.
    mConfig.reset(FcInitLoadConfigAndFonts());
    if (!mConfig) {
      mConfigFailed = true;
      QVLogStatus(kQVErrFontService, "fontconfig");
    } else {
      TakeStamps();
    }
  }
  return mConfig.get();
}

void FontRegistry::TakeStamps() {
  mStamps.clear();
  // The font folders (subfolders included) and the configuration folders
  // (conf.d), whose times change when a font or a configuration file comes
  // or goes; not every configuration file, which would cost a stat each on
  // every failed lookup. Times to the nanosecond: fontconfig's own check
  // (FcConfigUptoDate) compares whole seconds and misses for good a font
  // added in the second it last looked.
  auto add = [this](const char* path) {
    Stamp stamp;
    stamp.path = path;
    struct stat info;
    if (stat(path, &info) == 0) {
      stamp.exists = true;
      stamp.mtime = info.st_mtim;
    }
    mStamps.push_back(std::move(stamp));
  };
  ForEachString(FcConfigGetFontDirs(mConfig.get()), add);
  ForEachString(FcConfigGetConfigDirs(mConfig.get()), add);
}

bool FontRegistry::StampsChanged() const {
  for (const Stamp& stamp : mStamps) {
    struct stat info;
    bool exists = stat(stamp.path.c_str(), &info) == 0;
    if (exists != stamp.exists || (exists && !SameTime(info.st_mtim, stamp.mtime))) return true;
  }
  return false;
}

bool FontRegistry::Refresh() {
  if (!mConfig || !StampsChanged()) return false;
  FcConfigPtr fresh(FcInitLoadConfigAndFonts());
  if (!fresh) {
    // The configuration in use stays; a later change tries again.
    QVLogStatus(kQVErrFontService, "fontconfig");
    TakeStamps();
    return false;
  }
  // The fonts this process added stay available (their files were checked
  // when they were added).
  for (const std::string& file : mApplicationFiles) {
    FcConfigAppFontAddFile(fresh.get(), reinterpret_cast<const FcChar8*>(file.c_str()));
  }
  mConfig = std::move(fresh);
  TakeStamps();
  mLookups.clear();
  // A file that could not be opened may have been replaced.
  for (auto it = mFaces.begin(); it != mFaces.end();) {
    it = it->second ? std::next(it) : mFaces.erase(it);
  }
  ++mGeneration;
  return true;
}

FreeTypeLibrary* FontRegistry::Library() {
  if (!mLibrary && !mLibraryFailed) {
    FT_Library raw = nullptr;
    if (FT_Init_FreeType(&raw) == 0) {
      mLibrary = std::make_shared<FreeTypeLibrary>();
      mLibrary->library.reset(raw);
    } else {
      mLibraryFailed = true;
      QVLogStatus(kQVErrFontService, "FreeType");
    }
  }
  return mLibrary.get();
}

std::shared_ptr<const AGNativeFace> FontRegistry::OpenFace(const std::string& path, int index) {
  auto key = std::make_pair(path, index);
  auto found = mFaces.find(key);
  if (found != mFaces.end()) return found->second;
  std::shared_ptr<const AGNativeFace>& slot = mFaces[key];
  FreeTypeLibrary* library = Library();
  if (!library) return nullptr;

  FT_Face raw = nullptr;
  FT_Error error = FT_New_Face(library->library.get(), path.c_str(), index, &raw);
  FTFacePtr face(error == 0 ? raw : nullptr);
  // Everything here is scaled from design units: a bitmap-only face has none.
  if (!face || !FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
    QVLogStatus(kQVErrFontFile, path.c_str());
    return nullptr;
  }

  auto native = std::make_shared<AGNativeFace>();
  native->library = mLibrary;
  native->path = path;
  native->unitsPerEm = face->units_per_EM;
  // Design metrics, not the size metrics that FreeType rounds to pixels.
  native->ascent = face->ascender;
  native->descent = -double(face->descender);
  native->leading = std::max(0.0, double(face->height) - face->ascender + face->descender);
  if (face->style_flags & FT_STYLE_FLAG_BOLD) native->style |= kAGFontStyleBold;
  if (face->style_flags & FT_STYLE_FLAG_ITALIC) native->style |= kAGFontStyleItalic;

  // The OS/2 table holds the cap height from version 2 on (0xFFFF marks a
  // table FreeType made up). Older fonts: the top of the ink of "H", else
  // the ascent.
  auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face.get(), FT_SFNT_OS2));
  native->face = std::move(face);
  if (os2 && os2->version >= 2 && os2->version != 0xFFFF && os2->sCapHeight > 0) {
    native->capHeight = os2->sCapHeight;
  } else {
    FT_UInt h = FT_Get_Char_Index(native->face.get(), 'H');
    double top = h ? native->Glyph(h).ink.y2 : 0.0;
    native->capHeight = top > 0.0 ? top : native->ascent;
  }
  slot = native;
  return slot;
}

Lookup FontRegistry::Match(const std::string& family, AGFontStyle style, bool exact,
                           const QVString& wanted) {
  FcConfig* config = Config();
  if (!config) return {};
  FcPatternPtr pattern(FcPatternCreate());
  if (!pattern ||
      !FcPatternAddString(pattern.get(), FC_FAMILY,
                          reinterpret_cast<const FcChar8*>(family.c_str())) ||
      !FcPatternAddInteger(pattern.get(), FC_WEIGHT,
                           (style & kAGFontStyleBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR) ||
      !FcPatternAddInteger(pattern.get(), FC_SLANT,
                           (style & kAGFontStyleItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN) ||
      !FcConfigSubstitute(config, pattern.get(), FcMatchPattern)) {
    return {};
  }
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  FcPatternPtr match(FcFontMatch(config, pattern.get(), &result));
  if (!match) return {};

  // fontconfig answers every request, ignoring case and blanks and
  // substituting freely: only a family name equal byte for byte counts.
  QVString chosen;
  FcChar8* value = nullptr;
  for (int i = 0; FcPatternGetString(match.get(), FC_FAMILY, i, &value) == FcResultMatch; ++i) {
    QVString name = NativeFromUTF8(reinterpret_cast<const char*>(value));
    if (!exact) {
      chosen = name;
      break;
    }
    if (!name.IsEmpty() && name == wanted) {
      chosen = name;
      break;
    }
  }
  if (chosen.IsEmpty()) return {};

  FcChar8* file = nullptr;
  int index = 0;
  if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || !file) return {};
  if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &index) != FcResultMatch) index = 0;
  Lookup lookup;
  lookup.face = OpenFace(reinterpret_cast<const char*>(file), index);
  if (lookup.face) lookup.family = chosen;
  return lookup;
}

Lookup FontRegistry::Find(const QVString& family, AGFontStyle style, bool exact) {
  style &= kAGFontStyleBold | kAGFontStyleItalic;
  std::string utf8 = UTF8FromNative(family);
  // fontconfig reads names up to a NUL byte: such a name would find the
  // family named by its first part.
  if (utf8.empty() || utf8.find('\0') != std::string::npos) return {};
  LookupKey key(utf8, style, exact);
  auto found = mLookups.find(key);
  // A family that was not found is looked for again once the fonts changed.
  if (found != mLookups.end() && (found->second.face || !Refresh())) return found->second;
  Lookup lookup = Match(utf8, style, exact, family);
  if (!lookup.face && Refresh()) lookup = Match(utf8, style, exact, family);
  mLookups[key] = lookup;
  return lookup;
}

QVStringArray FontRegistry::CopyFamilyNames() {
  QVStringArray names;
  FcConfig* config = Config();
  if (!config) return names;
  FcPatternPtr pattern(FcPatternCreate());
  FcObjectSetPtr objects(FcObjectSetBuild(FC_FAMILY, static_cast<char*>(nullptr)));
  if (!pattern || !objects) return names;
  FcFontSetPtr fonts(FcFontList(config, pattern.get(), objects.get()));
  if (!fonts) return names;
  for (int f = 0; f < fonts->nfont; ++f) {
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(fonts->fonts[f], FC_FAMILY, i, &value) == FcResultMatch;
         ++i) {
      QVString name = NativeFromUTF8(reinterpret_cast<const char*>(value));
      if (!name.IsEmpty()) names.Append(name);
    }
  }
  return names;
}

long FontRegistry::AddApplicationFontFile(const QVString& path) {
  std::string utf8 = UTF8FromNative(path);
  if (utf8.empty() || utf8.find('\0') != std::string::npos) {
    return QVLogStatus(kQVErrFontFile, utf8.c_str());
  }
  std::unique_ptr<char, decltype(&std::free)> canonical(realpath(utf8.c_str(), nullptr),
                                                        &std::free);
  if (!canonical) return QVLogStatus(kQVErrFontFile, utf8.c_str());
  std::string file(canonical.get());
  if (mApplicationFiles.count(file)) return kQVNoErr;

  FreeTypeLibrary* library = Library();
  FcConfig* config = Config();
  if (!library || !config)
    return QVLogStatus(kQVErrFontService, !library ? "FreeType" : "fontconfig");
  // fontconfig takes files it cannot use without complaint: check first
  // that FreeType reads a scalable face from it.
  FT_Face raw = nullptr;
  FT_Error error = FT_New_Face(library->library.get(), file.c_str(), 0, &raw);
  FTFacePtr face(error == 0 ? raw : nullptr);
  if (!face || !FT_IS_SCALABLE(face) ||
      !FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(file.c_str()))) {
    return QVLogStatus(kQVErrFontFile, file.c_str());
  }
  mApplicationFiles.insert(file);
  // A family that was missing may now be found.
  mLookups.clear();
  ++mGeneration;
  return kQVNoErr;
}

}  // namespace

// ---------------------------------------------------------------------------
// AGNativeFont

std::unique_ptr<AGNativeFont> AGNativeFont::Create(const QVString& family, float size,
                                                   AGFontStyle style) {
  Lookup lookup = FontRegistry::Get().Find(family, style, true);
  if (!lookup.face) return nullptr;
  return std::make_unique<AGNativeFont>(lookup.face, lookup.family, size);
}

std::unique_ptr<AGNativeFont> AGNativeFont::CreateStandard(AGFontStandard standard, float size) {
  if (standard >= kStandardFontCount || !kStandardFonts[standard].family) return nullptr;
  const StandardFont& entry = kStandardFonts[standard];
  Lookup lookup = FontRegistry::Get().Find(entry.family, kAGFontStyleRegular, false);
  if (!lookup.face) return nullptr;
  if (!(std::isfinite(size) && size > 0.0f)) size = entry.size;
  return std::make_unique<AGNativeFont>(lookup.face, lookup.family, size);
}

AGNativeFont::AGNativeFont(std::shared_ptr<const AGNativeFace> face, const QVString& family,
                           float size)
    : mFace(std::move(face)),
      mFamily(family),
      mSize(size),
      mScale(double(size) / mFace->unitsPerEm) {}

AGNativeFont::~AGNativeFont() = default;

AGFontStyle AGNativeFont::GetStyle() const { return mFace->style; }
double AGNativeFont::GetAscent() const { return mFace->ascent * mScale; }
double AGNativeFont::GetDescent() const { return mFace->descent * mScale; }
double AGNativeFont::GetLeading() const { return mFace->leading * mScale; }
double AGNativeFont::GetCapHeight() const { return mFace->capHeight * mScale; }

uint32_t AGNativeFont::GetGlyph(uint16_t unit) const {
  return FT_Get_Char_Index(mFace->face.get(), unit);
}

AGSize AGNativeFont::GetAdvance(uint32_t glyph) const {
  return {mFace->Glyph(glyph).advance * mScale, 0.0};
}

AGRect AGNativeFont::GetInkBox(uint32_t glyph) const {
  const AGRect& ink = mFace->Glyph(glyph).ink;
  return {ink.x1 * mScale, ink.y1 * mScale, ink.x2 * mScale, ink.y2 * mScale};
}

bool AGNativeFont::AddGlyphOutline(uint32_t glyph, const AGPoint& translation,
                                   AGNativePath* path) const {
  const GlyphData& g = mFace->Glyph(glyph);
  if (!path || g.types.empty()) return false;
  auto at = [&](const AGPoint& p) {
    return AGNativePoint{static_cast<float>(translation.x + p.x * mScale),
                         static_cast<float>(translation.y + p.y * mScale)};
  };
  const AGPoint* p = g.points.data();
  for (AGNativeElementType type : g.types) {
    switch (type) {
      case AGNativeElementType::kMoveTo:
        path->MoveTo(at(p[0]));
        break;
      case AGNativeElementType::kLineTo:
        path->LineTo(at(p[0]));
        break;
      case AGNativeElementType::kQuadTo:
        path->QuadTo(at(p[0]), at(p[1]));
        break;
      case AGNativeElementType::kCubicTo:
        path->CubicTo(at(p[0]), at(p[1]), at(p[2]));
        break;
      case AGNativeElementType::kClose:
        path->Close();
        break;
    }
    p += AGNativeElementPointCount(type);
  }
  return true;
}

QVStringArray AGNativeFont::CopyFamilyNames() { return FontRegistry::Get().CopyFamilyNames(); }

uint32_t AGNativeFont::GetFontSetGeneration() { return FontRegistry::Get().Generation(); }

long AGNativeFont::AddApplicationFontFile(const QVString& path) {
  return FontRegistry::Get().AddApplicationFontFile(path);
}
