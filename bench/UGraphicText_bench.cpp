// The symbol object's text as it is drawn: the outline and character boxes of
// the default ten-unit symbol text in "Pelmar UC" at the built-in size,
// beside the limit they chase: FreeType loading and decomposing the same
// glyphs, with nothing kept between rounds.
//
// The kit reads each glyph once per face in design units and serves later
// requests from there, so after the first round its cost is the placing of
// outlines and boxes; FreeType's is paid on every round.
#include <benchmark/benchmark.h>
#include <ft2build.h>

#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cstdint>
#include <memory>

#include "graphics/AGFont.h"
#include "graphics/AGPath.h"
#include "graphics/platform/AGNativePath.h"
#include "object/CStdTalvaneConstants.h"
#include "textinput/UGraphicText.h"

namespace {

const char* const kFontPath = TALVANE_SOURCE_DIR "/resources/fonts/PelmarUC.ttf";

QVUniChars DefaultText() { return QVUniChars(kDefaultUText, kDefaultUTextLength); }

void BM_BuildPathFromUText(benchmark::State& state) {
  if (AGFont::AddApplicationFontFile(kFontPath) != 0) {
    state.SkipWithError("cannot add the symbol font");
    return;
  }
  const AGFont font(kBuiltinFontName, kBuiltinFontSize, kAGFontStyleRegular);
  const QVUniChars text = DefaultText();
  if (!font.IsValid()) {
    state.SkipWithError("the symbol font is not valid");
    return;
  }
  AGPath path;
  AGRectArray boxes;
  AGPoint penEnd;
  for (auto _ : state) {
    if (!UGraphicText::BuildPathFromUText(&path, &boxes, &penEnd, kAGNullPoint, text, font)) {
      state.SkipWithError("BuildPathFromUText failed");
      break;
    }
    benchmark::DoNotOptimize(path.NativePath());
    benchmark::DoNotOptimize(boxes.Data());
    benchmark::DoNotOptimize(penEnd);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * text.Length());
  state.counters["elements"] = static_cast<double>(path.NativePath()->GetElementCount());
}
BENCHMARK(BM_BuildPathFromUText);

// Decomposition callbacks that only add the points up, so that every point
// is read.
struct PointSum {
  int64_t sum = 0;
  int64_t points = 0;
  void Add(const FT_Vector* p) {
    sum += p->x + p->y;
    ++points;
  }
};
int SumMove(const FT_Vector* to, void* user) {
  static_cast<PointSum*>(user)->Add(to);
  return 0;
}
int SumLine(const FT_Vector* to, void* user) {
  static_cast<PointSum*>(user)->Add(to);
  return 0;
}
int SumConic(const FT_Vector* control, const FT_Vector* to, void* user) {
  static_cast<PointSum*>(user)->Add(control);
  static_cast<PointSum*>(user)->Add(to);
  return 0;
}
int SumCubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  static_cast<PointSum*>(user)->Add(c1);
  static_cast<PointSum*>(user)->Add(c2);
  static_cast<PointSum*>(user)->Add(to);
  return 0;
}

struct LibraryDone {
  void operator()(FT_LibraryRec_* library) const { FT_Done_FreeType(library); }
};
struct FaceDone {
  void operator()(FT_FaceRec_* face) const { FT_Done_Face(face); }
};

void BM_FreeTypeLoadAndDecompose(benchmark::State& state) {
  FT_Library rawLibrary = nullptr;
  if (FT_Init_FreeType(&rawLibrary) != 0) {
    state.SkipWithError("cannot start FreeType");
    return;
  }
  std::unique_ptr<FT_LibraryRec_, LibraryDone> library(rawLibrary);
  FT_Face rawFace = nullptr;
  if (FT_New_Face(library.get(), kFontPath, 0, &rawFace) != 0) {
    state.SkipWithError("cannot open the symbol font");
    return;
  }
  std::unique_ptr<FT_FaceRec_, FaceDone> face(rawFace);
  const FT_Outline_Funcs funcs = {SumMove, SumLine, SumConic, SumCubic, 0, 0};
  const QVUniChars text = DefaultText();
  PointSum total;
  for (auto _ : state) {
    for (uint16_t unit : text) {
      FT_UInt glyph = FT_Get_Char_Index(face.get(), unit);
      if (FT_Load_Glyph(face.get(), glyph, FT_LOAD_NO_SCALE | FT_LOAD_IGNORE_TRANSFORM) != 0) {
        state.SkipWithError("FT_Load_Glyph failed");
        return;
      }
      FT_GlyphSlot slot = face->glyph;
      total.sum += slot->advance.x;
      if (slot->format == FT_GLYPH_FORMAT_OUTLINE && slot->outline.n_contours > 0 &&
          FT_Outline_Decompose(&slot->outline, &funcs, &total) != 0) {
        state.SkipWithError("FT_Outline_Decompose failed");
        return;
      }
    }
    benchmark::DoNotOptimize(total.sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * text.Length());
  if (state.iterations() > 0) {
    state.counters["points"] = static_cast<double>(total.points) / state.iterations();
  }
}
BENCHMARK(BM_FreeTypeLoadAndDecompose);

}  // namespace

BENCHMARK_MAIN();
