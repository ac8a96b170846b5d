#include "graphics/AGFont.h"

#include <cmath>

#include "graphics/AGGraphicsLow.h"
#include "graphics/AGPath.h"
#include "graphics/platform/AGFontPlatform_p.h"
#include "graphics/platform/AGNativePath.h"

const AGFont kAGNullFont;

AGFont::AGFont() = default;

AGFont::AGFont(const QVString& name, float size, AGFontStyle style)
    : mName(name), mSize(size), mStyle(style) {}

AGFont::AGFont(AGFontStandard standard, float size) { SetStandard(standard, size); }

AGFont::AGFont(const AGFont& other)
    : mName(other.mName), mSize(other.mSize), mStyle(other.mStyle) {}

AGFont& AGFont::operator=(const AGFont& other) {
  if (this != &other) {
    mName = other.mName;
    mSize = other.mSize;
    mStyle = other.mStyle;
    DropNativeFont();
  }
  return *this;
}

AGFont::~AGFont() = default;

void AGFont::DropNativeFont() const { mNative.reset(); }

void AGFont::SetName(const QVString& name) {
  if (name == mName) return;
  mName = name;
  DropNativeFont();
}

void AGFont::SetSize(float size) {
  if (size == mSize) return;
  mSize = size;
  DropNativeFont();
}

void AGFont::SetStyle(AGFontStyle style) {
  if (style == mStyle) return;
  mStyle = style;
  DropNativeFont();
}

void AGFont::SetStyleBit(AGFontStyle bit, bool on) {
  SetStyle(on ? (mStyle | bit) : (mStyle & ~bit));
}

void AGFont::SetStandard(AGFontStandard standard, float size) {
  DropNativeFont();
  mName = QVString();
  mSize = 0.0f;
  mStyle = kAGFontStyleRegular;
  std::unique_ptr<AGNativeFont> native = AGNativeFont::CreateStandard(standard, size);
  if (!native) return;
  mName = native->GetFamilyName();
  mSize = native->GetSize();
  mStyle = native->GetStyle();
  mNative = std::move(native);
}

void AGFont::InvalidateNativeFont(uint32_t mask) {
  if (mask & (kAGFontStyleBold | kAGFontStyleItalic | kAGFontStyleUnderline)) DropNativeFont();
}

const AGNativeFont* AGFont::NativeFont() const {
  RebuildNativeFont();
  return mNative.get();
}

void AGFont::RebuildNativeFont() const {
  if (!mNative) mNative = AGNativeFont::Create(mName, mSize, mStyle);
}

bool AGFont::IsValid() const { return NativeFont() && std::isfinite(mSize) && mSize > 0.0f; }

double AGFont::GetAscent() const {
  const AGNativeFont* native = NativeFont();
  return native ? native->GetAscent() : 0.0;
}

double AGFont::GetDescent() const {
  const AGNativeFont* native = NativeFont();
  return native ? native->GetDescent() : 0.0;
}

double AGFont::GetLeading() const {
  const AGNativeFont* native = NativeFont();
  return native ? native->GetLeading() : 0.0;
}

AGSize AGFont::GetUTextExtent(const QVUniChars& chars) const {
  return AGGraphicsLow::AGNativeFontGetUTextExtent(*this, chars);
}

AGSize AGFont::GetTextExtent(const QVString& string) const {
  return AGGraphicsLow::AGNativeFontGetTextExtent(*this, string);
}

const QVStringArray& AGFont::GetFontNameList() {
  static QVStringArray sList;
  static bool sBuilt = false;
  static uint32_t sGeneration = 0;
  // The list follows the font set: fonts this process adds (it may ask
  // before adding its own), and fonts installed while it runs once a lookup
  // has brought the configuration up to date.
  uint32_t generation = AGNativeFont::GetFontSetGeneration();
  if (sBuilt && generation == sGeneration) return sList;
  sList = AGNativeFont::CopyFamilyNames();
  if (!sList.IsEmpty()) {
    sList.Sort();
    sList.RemoveDuplicates();
    sList.Shrink();
  }
  sBuilt = true;
  sGeneration = generation;
  return sList;
}

long AGFont::AddApplicationFontFile(const QVString& path) {
  return AGNativeFont::AddApplicationFontFile(path);
}

double AGFont::GetCapHeight() const { return IsValid() ? NativeFont()->GetCapHeight() : 0.0; }

uint32_t AGFont::GetGlyph(uint16_t unit) const { return IsValid() ? NativeFont()->GetGlyph(unit) : 0; }

AGSize AGFont::GetGlyphAdvance(uint32_t glyph) const {
  return IsValid() ? NativeFont()->GetAdvance(glyph) : kAGNullSize;
}

AGRect AGFont::GetGlyphInkBox(uint32_t glyph) const {
  return IsValid() ? NativeFont()->GetInkBox(glyph) : kAGNullRect;
}

bool AGFont::AddGlyphOutline(uint32_t glyph, const AGPoint& pen, AGPath* path) const {
  if (!path || !IsValid()) return false;
  path->UpdateOrigin(pen);
  AGPoint origin = path->GetOrigin();
  // The native path holds coordinates relative to the path's origin.
  return NativeFont()->AddGlyphOutline(glyph, {pen.x - origin.x, pen.y - origin.y},
                                       path->NativePathToModify());
}
