// The keyboard panel's costs: building the map of a symbol layout (every
// key translated at every level; paid when the shown layout changes) and
// drawing it into the panel's bitmap (paid on every redraw, hovering
// included), at the panel's smallest size and at twice that.
#include <benchmark/benchmark.h>

#include "StudioKeyboardMap.h"
#include "StudioKeyboardPicture.h"
#include "graphics/AGBitmap.h"
#include "graphics/AGFont.h"
#include "textinput/UKeyLayout.h"

namespace {

const char* const kFontPath = TALVANE_SOURCE_DIR "/resources/fonts/PelmarUC.ttf";
const char* const kLayouts = TALVANE_SOURCE_DIR "/resources/keylayouts";

void BM_MapForLayout(benchmark::State& state) {
  UKeyLayout::SetSymbolLayoutFolder(kLayouts);
  // Alternating layouts: each build looks its layout up again.
  const char* const names[] = {"Brindel", "Sorel"};
  size_t n = 0;
  for (auto _ : state) {
    StudioKeyboardMap map = StudioKeyboardMap::ForLayout(names[n++ % 2]);
    benchmark::DoNotOptimize(map.Keys().data());
  }
}
BENCHMARK(BM_MapForLayout)->Unit(benchmark::kMillisecond);

void BM_DrawPicture(benchmark::State& state) {
  UKeyLayout::SetSymbolLayoutFolder(kLayouts);
  if (AGFont::AddApplicationFontFile(kFontPath) != 0) {
    state.SkipWithError("cannot add the symbol font");
    return;
  }
  const StudioKeyboardMap map = StudioKeyboardMap::ForLayout("Brindel");
  const uint32_t width = static_cast<uint32_t>(state.range(0));
  AGBitmap bitmap(width, width / 3);
  for (auto _ : state) {
    StudioKeyboardPicture::Draw(map, bitmap, 20, 1);
    benchmark::DoNotOptimize(bitmap.GetData());
  }
}
BENCHMARK(BM_DrawPicture)->Arg(360)->Arg(720)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
