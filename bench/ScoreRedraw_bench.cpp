// Redrawing a score of symbol objects, beside the limits it chases, in one
// process, interleaved round by round.
//
// Scene: 1,000 default Talvane objects (the default ten-symbol text at 48
// points with its Sustained line, filled in black), each in a frame of the
// size of its natural bounds (text and room for the line), on a grid of 25
// columns and 40 rows (76.8 x 27 pixels apart, so they overlap as a dense
// score does) moved by a fraction of a pixel each, drawn into a 1920 x 1080
// ARGB32 bitmap port cleared to white, at scale 1, the way the reference
// host draws a score (HostRender: a drawing event per object,
// HostObject::Draw through the class method).
//
// Each round times one frame of each of:
// - kit:       the objects' own draw code through the kit, coverage-mask
//              cache warm (the figure this program is about);
// - anchor:    the same glyphs through Cairo's own glyph cache
//              (cairo_show_glyphs, hinted, origins snapped to whole pixels)
//              and the same lines as ready Cairo paths;
// - cairo fill: the same outlines and lines as ready Cairo paths, filled
//              (cairo_fill rasterises every outline each time);
// - kit cold:  the kit after the mask cache was emptied (the first frame).
// The order turns every round; medians are printed, with the cache's
// memory and counts, and how far the kit's frame and the anchor's lie from
// the exact fill's (the largest difference of a channel, of 255, and the
// pixels that differ by more than 48).
//
//   build/bench/bench/ScoreRedraw_bench [ROUNDS [DIR]]
//
// ROUNDS defaults to 21; with DIR the three frames are written there as
// score-kit.png, score-anchor.png and score-fill.png.
#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchCairoPath.h"
#include "bridge/HostEnvironment.h"
#include "bridge/HostObject.h"
#include "bridge/HostPlugin.h"
#include "graphics/AGContext.h"
#include "graphics/AGGraphicsLow.h"
#include "graphics/AGMaskCache.h"
#include "host/QVDrawEvent.h"
#include "kit/QVArgs.h"
#include "object/CStdTalvane.h"
#include "object/CStdTalvaneConstants.h"
#include "object/CStdTalvaneRegistration.h"
#include "object/CStdTalvaneResources.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kColumns = 25;
constexpr int kRows = 40;
const char* const kFontPath = TALVANE_SOURCE_DIR "/resources/fonts/PelmarUC.ttf";

using Clock = std::chrono::steady_clock;

double Milliseconds(const std::function<void()>& frame) {
  const Clock::time_point start = Clock::now();
  frame();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// How far one frame lies from another: the largest difference of one
// channel of one pixel, and the pixels with a channel more than 48 off.
struct Distance {
  int largest = 0;
  long beyond48 = 0;
};

Distance Compare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  Distance d;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    int pixel = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      pixel = std::max(pixel, std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF)));
    }
    d.largest = std::max(d.largest, pixel);
    d.beyond48 += pixel > 48;
  }
  return d;
}

std::vector<uint32_t> Words(const unsigned char* data, int stride) {
  std::vector<uint32_t> words;
  for (int y = 0; y < kHeight; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
    words.insert(words.end(), row, row + kWidth);
  }
  return words;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string a, b, c;
  in >> a >> b >> c;
  return a + " " + b + " " + c;
}

cairo_matrix_t CairoMatrix(const AGAffineTransform& t) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
  return m;
}

// What one object draws, worked out once for the Cairo variants: the
// mapping from natural coordinates into the port (y up) and its line.
struct Placed {
  cairo_matrix_t toPort;
  CairoPathPtr line;
};

struct Scene {
  HostEnvironment environment{HostEnvironmentOptions{}};
  HostPlugin plugin{environment};
  std::vector<std::unique_ptr<HostObject>> objects;
  AGNativePortPtr port;

  // Cairo's side.
  CairoSurfacePtr surface{cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight)};
  CairoPtr cr{cairo_create(surface.get())};
  CairoPathPtr text;  // natural coordinates
  std::vector<Placed> placed;
  std::vector<cairo_glyph_t> glyphs;
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  cairo_font_face_t* fontFace = nullptr;

  ~Scene() {
    placed.clear();
    text.reset();
    cr.reset();
    surface.reset();
    // Cairo's font caches may hold the face on: it releases the FreeType
    // face itself when the last reference goes (see BuildCairo).
    if (fontFace) cairo_font_face_destroy(fontFace);
  }

  bool Build() {
    // The object is linked in, with no plug-in place to find the symbol font
    // from: it comes from the source tree.
    CStdTalvaneAddFallbackResourcesDir(
        QVString(TALVANE_SOURCE_DIR "/resources")
            .ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative));
    if (plugin.Register(&CStdTalvaneRegister) != 0) return false;
    if (AGGraphicsLow::AGNativePortCreateBitmap(kWidth, kHeight, &port) != 0) return false;
    std::mt19937 random(1000);
    std::uniform_real_distribution<double> fraction(0.0, 1.0);
    for (int row = 0; row < kRows; ++row) {
      for (int col = 0; col < kColumns; ++col) {
        auto object = std::make_unique<HostObject>(plugin);
        if (object->Init(QVArgs("-default", true)) != 0) return false;
        const auto* talvane = static_cast<const CStdTalvane*>(object->Object());
        talvane->LowBuildCurrentPath();
        if (!talvane->PathBuilt()) return false;
        const AGRect natural = talvane->NatBounds();
        const double x = col * (double(kWidth) / kColumns) + fraction(random);
        const double y = row * (double(kHeight) / kRows) + fraction(random);
        object->Record().frame = {x, y, x + (natural.x2 - natural.x1), y + (natural.y2 - natural.y1)};
        objects.push_back(std::move(object));
      }
    }
    DrawKit();  // builds every object's outline
    return BuildCairo();
  }

  bool BuildCairo() {
    cairo_matrix_t flip;
    cairo_matrix_init(&flip, 1, 0, 0, -1, 0, kHeight);
    cairo_set_matrix(cr.get(), &flip);
    const auto* first = static_cast<const CStdTalvane*>(objects.front()->Object());
    if (!first->TextPath()) return false;
    text = CairoPathOf(cr.get(), *first->TextPath());

    // Glyphs at their natural pen positions, advances in font units scaled
    // to the built-in size as the kit lays them out.
    if (FT_Init_FreeType(&library) || FT_New_Face(library, kFontPath, 0, &face)) return false;
    fontFace = cairo_ft_font_face_create_for_ft_face(face, 0);
    static const cairo_user_data_key_t kFaceKey = {};
    if (cairo_font_face_set_user_data(fontFace, &kFaceKey, face, [](void* f) {
          FT_Done_Face(static_cast<FT_Face>(f));
        }) != CAIRO_STATUS_SUCCESS) {
      return false;
    }
    double pen = 0.0;
    const double unit = kBuiltinFontSize / face->units_per_EM;
    for (uint32_t i = 0; i < kDefaultUTextLength; ++i) {
      const unsigned long glyph = FT_Get_Char_Index(face, kDefaultUText[i]);
      glyphs.push_back({glyph, pen, 0.0});
      if (FT_Load_Glyph(face, FT_UInt(glyph), FT_LOAD_NO_SCALE)) return false;
      pen += face->glyph->advance.x * unit;
    }

    for (const auto& object : objects) {
      const auto* talvane = static_cast<const CStdTalvane*>(object->Object());
      const AGRect& e = object->Record().frame;
      const AGAffineTransform t = CStdTalvane::LowComputeNatToMapAFT(
          kAGAffineTransformIdentity, talvane->GlyphBounds(), e, kDefaultProline, kDefaultFontSize);
      const AGRect room = CStdTalvane::LowComputeRestNatBounds(t, false, talvane->GlyphBounds(), e);
      const AGPath line = CStdTalvane::LowBuildPathOfProline(kDefaultProline, talvane->TextEnd(),
                                                             talvane->GlyphBounds(), room);
      placed.push_back({CairoMatrix(t), CairoPathOf(cr.get(), line)});
    }
    return true;
  }

  void DrawKit() {
    AGContext context(port.get(), AGGraphicsLow::AGNativePortGetBounds(port.get()));
    context.ClearPixels(kAGColorWhite);
    for (const auto& object : objects) {
      QVDrawEvent event{};
      event.target = object->Record().frame;
      event.brush = &object->Record().brush;
      event.pen = &object->Record().pen;
      event.flags = kQVDrawEventScore;
      object->Draw(context, event);
    }
    AGNativeBitmapInfo info;
    AGGraphicsLow::AGNativePortGetBitmap(port.get(), &info);  // waits for the drawing
  }

  void ClearCairo() {
    cairo_save(cr.get());
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_paint(cr.get());
    cairo_restore(cr.get());
    cairo_set_source_rgb(cr.get(), 0, 0, 0);
  }

  void DrawLines(cairo_t* c, const Placed& p) {
    cairo_save(c);
    cairo_transform(c, &p.toPort);
    cairo_append_path(c, p.line.get());
    cairo_restore(c);
    cairo_fill(c);
  }

  void DrawAnchor() {
    cairo_t* c = cr.get();
    ClearCairo();
    cairo_set_font_face(c, fontFace);
    cairo_matrix_t font;
    cairo_matrix_init(&font, kBuiltinFontSize, 0, 0, -kBuiltinFontSize, 0, 0);  // y up
    for (const Placed& p : placed) {
      cairo_save(c);
      cairo_transform(c, &p.toPort);
      cairo_set_font_matrix(c, &font);
      cairo_show_glyphs(c, glyphs.data(), int(glyphs.size()));
      cairo_restore(c);
      DrawLines(c, p);
    }
    cairo_surface_flush(surface.get());
  }

  void DrawCairoFill() {
    cairo_t* c = cr.get();
    ClearCairo();
    for (const Placed& p : placed) {
      cairo_save(c);
      cairo_transform(c, &p.toPort);
      cairo_append_path(c, text.get());
      cairo_restore(c);
      cairo_fill(c);
      DrawLines(c, p);
    }
    cairo_surface_flush(surface.get());
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
  Scene scene;
  if (!scene.Build()) {
    std::fprintf(stderr, "The scene could not be built (plug-in class, port or symbol font)\n");
    return 1;
  }
  if (argc > 2) {
    // The frames as pictures, to look at side by side.
    const std::string dir = argv[2];
    scene.DrawKit();
    AGGraphicsLow::AGNativePortWritePNG(scene.port.get(), (dir + "/score-kit.png").c_str());
    scene.DrawAnchor();
    cairo_surface_write_to_png(scene.surface.get(), (dir + "/score-anchor.png").c_str());
    scene.DrawCairoFill();
    cairo_surface_write_to_png(scene.surface.get(), (dir + "/score-fill.png").c_str());
  }
  std::vector<double> kit, anchor, fill, cold;
  std::vector<std::function<void()>> steps = {
      [&] { kit.push_back(Milliseconds([&] { scene.DrawKit(); })); },
      [&] { anchor.push_back(Milliseconds([&] { scene.DrawAnchor(); })); },
      [&] { fill.push_back(Milliseconds([&] { scene.DrawCairoFill(); })); },
      [&] {
        AGMaskCache::Clear();
        cold.push_back(Milliseconds([&] { scene.DrawKit(); }));
      },
  };
  // One frame of each first, untimed, so that every variant starts warm.
  for (auto& step : steps) step();
  kit.clear(), anchor.clear(), fill.clear(), cold.clear();
  AGMaskCache::ResetCounters();
  for (int r = 0; r < rounds; ++r) {
    for (size_t k = 0; k < steps.size(); ++k) steps[(k + r) % steps.size()]();
  }
  // The cache as a warm frame leaves it, and the three frames side by side.
  scene.DrawKit();
  const AGMaskCache::Stats stats = AGMaskCache::GetStats();
  AGNativeBitmapInfo info;
  AGGraphicsLow::AGNativePortGetBitmap(scene.port.get(), &info);
  const std::vector<uint32_t> kitFrame =
      Words(reinterpret_cast<const unsigned char*>(info.data), int(info.bytesPerRow));
  const int stride = cairo_image_surface_get_stride(scene.surface.get());
  scene.DrawCairoFill();
  const std::vector<uint32_t> exactFrame =
      Words(cairo_image_surface_get_data(scene.surface.get()), stride);
  scene.DrawAnchor();
  const std::vector<uint32_t> anchorFrame =
      Words(cairo_image_surface_get_data(scene.surface.get()), stride);
  const Distance kitOff = Compare(kitFrame, exactFrame);
  const Distance anchorOff = Compare(anchorFrame, exactFrame);

  const double anchorMs = Median(anchor);
  std::printf("Score redraw: %zu objects, %d x %d pixels, %d rounds, load average %s\n",
              scene.objects.size(), kWidth, kHeight, rounds, LoadAverage().c_str());
  std::printf("  kit, mask cache warm   %8.2f ms  %5.2fx the anchor\n", Median(kit),
              Median(kit) / anchorMs);
  std::printf("  anchor (show_glyphs)   %8.2f ms\n", anchorMs);
  std::printf("  cairo_fill of outlines %8.2f ms  %5.2fx the anchor\n", Median(fill),
              Median(fill) / anchorMs);
  std::printf("  kit, first frame cold  %8.2f ms  %5.2fx the anchor\n", Median(cold),
              Median(cold) / anchorMs);
  std::printf("  mask cache: %u masks of %u outlines, %.1f KiB (peak %.1f KiB, budget %.0f KiB); "
              "%llu hits, %llu misses, %llu evictions, %llu direct fills over the rounds\n",
              stats.masks, stats.outlines, stats.bytes / 1024.0, stats.peakBytes / 1024.0,
              stats.budget / 1024.0, static_cast<unsigned long long>(stats.hits),
              static_cast<unsigned long long>(stats.misses),
              static_cast<unsigned long long>(stats.evictions),
              static_cast<unsigned long long>(stats.direct));
  std::printf("  beside the exact fill: kit at most %d/255 off, %ld pixels beyond 48/255; "
              "anchor at most %d/255 off, %ld pixels beyond 48/255\n",
              kitOff.largest, kitOff.beyond48, anchorOff.largest, anchorOff.beyond48);
  return 0;
}
