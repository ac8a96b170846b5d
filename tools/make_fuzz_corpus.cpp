// Writes the seed corpora of the fuzz targets (fuzz/corpus/<Target>/): valid
// forms made by the code itself (documents, payloads, brushes and pens,
// values, images, catalogs, layout files) and a few damaged ones, each a
// small file named after what it holds. Run by tools/make_fuzz_corpus.sh;
// the corpora are committed, so this only runs when a form changes.
//
//   make_fuzz_corpus CORPUS_DIR SOURCE_DIR
#include <linux/input-event-codes.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

// After <cstdio>: the header needs size_t and FILE.
#include <jpeglib.h>

#include "FuzzCorpus.h"
#include "FuzzHost.h"
#include "FuzzKitFile.h"
#include "FuzzSupport.h"
#include "bridge/HostDocument.h"
#include "bridge/HostObject.h"
#include "graphics/AGBitmap.h"
#include "graphics/AGBrush.h"
#include "graphics/AGContext.h"
#include "graphics/AGGraphicsLow.h"
#include "graphics/AGPath.h"
#include "graphics/AGPen.h"
#include "host/QVEditEvent.h"
#include "kit/QVArgs.h"
#include "kit/QVDictionary.h"
#include "kit/QVFile.h"
#include "kit/QVString.h"
#include "kit/QVValue.h"
#include "textinput/UPasteboardService.h"

namespace {

using Bytes = std::string;

std::string gCorpus;

void Put(const char* target, const std::string& name, const Bytes& bytes) {
  FuzzCorpusPut(gCorpus, target, name, bytes);
}

const char* OrderName(uint32_t order) { return order == QVFile::kEndianBig ? "big" : "little"; }

// ---- Documents and payloads

void SetProperty(HostObject& object, const char* key, const QVValue& value) {
  QVDictionary dict;
  FuzzRequire(dict.SetValue(key, value) == 0, "a key goes into the dictionary");
  FuzzRequire(object.SetAllProperties(dict) == 0, "a property is set");
}

QVValue Text(std::initializer_list<uint16_t> units) {
  QVUniChars text;
  for (uint16_t unit : units) text.Append(unit);
  return QVValueSetasQVUniChars(text);
}

// A document of two default objects, the second changed in every setting.
void FillDocument(HostDocument& doc) {
  FuzzRequire(doc.AddObjects(2, "-default") == 0, "default objects are made");
  HostObject& changed = doc.Object(1);
  QVValue value;
  value.SetasFloat(72.0);
  SetProperty(changed, "FontSize", value);
  SetProperty(changed, "LineType", QVValueSetasQVString(QVString("Iterated")));
  SetProperty(changed, "LineEnd", QVValueSetasQVString(QVString("Down")));
  SetProperty(changed, "KeyLayout", QVValueSetasQVString(QVString("Sorel")));
  SetProperty(changed, "UnicodeText", Text({0xE300, 0xE4C0, 'A', 0xE000}));
  AGBrush brush;
  brush.SetStyleRadialGradient(0xFF8000FFu, 0x0000FF80u, 0.25f, 0.2f, 0.7f);
  brush.WriteToValue(&value);
  SetProperty(changed, "Brush", value);
}

Bytes SavedDocument(const HostDocument& doc) {
  const std::string path = FuzzScratchFolder::Shared().Path("corpus.tlv");
  FuzzRequire(doc.Save(path) == 0, "a document saves");
  return FuzzReadFile(path);
}

void Documents(HostPlugin& plugin) {
  const char* target = "HostDocumentLoad";
  HostDocument empty(plugin);
  Put(target, "empty-document", SavedDocument(empty));
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    HostDocument doc(plugin);
    doc.SetByteOrder(order);
    FillDocument(doc);
    Put(target, std::string("two-objects-") + OrderName(order), SavedDocument(doc));
  }
  HostDocument doc(plugin);
  FillDocument(doc);
  const Bytes good = SavedDocument(doc);
  Put(target, "damaged-cut-in-second-object", FuzzCut(good, good.size() - 20));
  Put(target, "damaged-no-byte-order", FuzzPatched(good, 8, "MIDE"));
  Put(target, "damaged-version-2", FuzzPatched(good, 12, Bytes("\0\0\0\2", 4)));
  // The first object's chunk claims more than the file holds.
  Put(target, "damaged-object-too-long", FuzzPatched(good, 20, Bytes("\x7F\0\0\0", 4)));
  Put(target, "unknown-chunk-skipped", good + Bytes("xtra\0\0\0\4abcd", 12));
  // The studio's recording path, after the head.
  HostDocument recorded(plugin);
  FillDocument(recorded);
  recorded.SetRecordingPath("sons/\xC3\xA9t\xC3\xA9.wav");
  const Bytes withRecording = SavedDocument(recorded);
  Put(target, "recording-path", withRecording);
  Put(target, "damaged-recording-path-zero-byte", FuzzPatched(withRecording, 28, Bytes("\0", 1)));
}

Bytes Payload(const HostObject& object, uint32_t order) {
  return FuzzKitWritten(order, [&](QVFile& file) { return object.WriteToFile(file); });
}

void Payloads(HostPlugin& plugin) {
  const char* target = "TalvanePayload";
  HostDocument doc(plugin);
  FillDocument(doc);
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    Put(target, std::string("default-") + OrderName(order), Payload(doc.Object(0), order));
    Put(target, std::string("changed-") + OrderName(order), Payload(doc.Object(1), order));
  }
  HostObject bare(plugin);
  FuzzRequire(bare.Init(QVArgs("", true)) == 0, "an object is made");
  Put(target, "no-defaults", Payload(bare, QVFile::kEndianBig));
  const Bytes good = Payload(doc.Object(0), QVFile::kEndianBig);
  Put(target, "damaged-cut-in-text", FuzzCut(good, good.size() - 3));
  // The text's unit count (the last field) claims four thousand million.
  Put(target, "damaged-text-count", FuzzPatched(good, 44, "\xFF\xFF\xFF\xF0"));
  Put(target, "not-a-number-size", FuzzPatched(good, 0, "\x7F\xC0\0\0"));
}

// ---- Brushes, pens and values

template <class T>
Bytes FileForm(const T& t, uint32_t order) {
  return FuzzKitWritten(order, [&](QVFile& file) { return t.WriteToFile(file); });
}

Bytes ValueForm(const QVValue& value, uint32_t order) { return FileForm(value, order); }

// The older brush form: style, pattern index from 0, fill mode, reserved;
// colours as four floats; angle in degrees, blend, centre; 8 reserved bytes.
long WriteOlderBrush(QVFile& file) {
  const uint16_t words[4] = {kAGBrushStyleLinearGradient, 4, 1, 0};
  const float colors[8] = {1.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.5f};
  const float numbers[4] = {90.0f, 0.25f, 0.5f, 0.5f};
  long err = QVFileWriteNumbers(file, words, 4, 2, 1, QVFile::kEndianFile, false);
  if (!err) err = QVFileWriteNumbers(file, colors, 8, 4, 1, QVFile::kEndianFile, true);
  if (!err) err = QVFileWriteNumbers(file, numbers, 4, 4, 1, QVFile::kEndianFile, true);
  if (!err) err = QVFileWriteZeros(file, 8);
  return err;
}

// The older pen form: cap, join, size mode, reserved; size, ratio, angle in
// degrees; 12 reserved bytes; the older brush form.
long WriteOlderPen(QVFile& file) {
  const uint16_t words[4] = {1, 2, 0, 0};
  const float numbers[3] = {2.5f, 0.5f, 45.0f};
  long err = QVFileWriteNumbers(file, words, 4, 2, 1, QVFile::kEndianFile, false);
  if (!err) err = QVFileWriteNumbers(file, numbers, 3, 4, 1, QVFile::kEndianFile, true);
  if (!err) err = QVFileWriteZeros(file, 12);
  if (!err) err = WriteOlderBrush(file);
  return err;
}

void BrushesAndPens() {
  const char* target = "AGBrushPenRead";
  AGBrush brushes[5];
  brushes[1].SetStyleSolid(0x336699FFu);
  brushes[2].SetStylePattern(0x000000FFu, 0xFFFFFFFFu, 17);
  brushes[3].SetStyleLinearGradient(0xFF0000FFu, 0x00FF00FFu, 0.3f, 1.2f);
  brushes[4].SetStyleRadialGradient(0xFFFF00FFu, 0x0000FFFFu, 0.6f, 0.1f, 0.9f);
  brushes[4].SetFillMode(kAGBrushFillModeWinding);
  AGPen pen(kAGBrushStyleSolid, 0x000000FFu, 0, 2.5f, kAGPenSizeModeAbsolute);
  pen.SetRatio(0.3f);
  pen.SetAngle(0.7f);
  pen.SetLineCap(kAGPenLineCapRound);
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    const std::string suffix = std::string("-") + OrderName(order);
    for (int style = 0; style < 5; ++style) {
      Put(target, "brush-style-" + std::to_string(style) + suffix, FileForm(brushes[style], order));
    }
    Put(target, "pen" + suffix, FileForm(pen, order));
    Put(target, "older-brush" + suffix, FuzzKitWritten(order, WriteOlderBrush));
    Put(target, "older-pen" + suffix, FuzzKitWritten(order, WriteOlderPen));
    QVValue value;
    brushes[3].WriteToValue(&value);
    Put(target, "brush-value" + suffix, ValueForm(value, order));
    pen.WriteToValue(&value);
    Put(target, "pen-value" + suffix, ValueForm(value, order));
  }
  Put(target, "damaged-pen-cut", FuzzCut(FileForm(pen, QVFile::kEndianBig), 50));
}

void Values() {
  const char* target = "QVValueRead";
  QVDictionary inner;
  FuzzRequire(inner.SetValue("Size", QVValueSetasQVString(QVString("12.5"))) == 0, "a key goes into the dictionary");
  QVValue real;
  real.SetasFloat(-2.75);
  FuzzRequire(inner.SetValue("Scale", real) == 0, "a key goes into the dictionary");
  QVValueArray array;
  QVValue item;
  item.SetasBool(true);
  array.push_back(item);
  item.SetasInteger(-40000);
  array.push_back(item);
  item.SetasBinary("\x01\x02\x03", 3);
  array.push_back(item);
  array.push_back(QVValue());
  QVDictionary outer;
  FuzzRequire(outer.SetValue("Inner", QVValueSetasQVDictionary(inner)) == 0, "a key goes into the dictionary");
  item.SetasQVValueArray(array);
  FuzzRequire(outer.SetValue("List", item) == 0, "a key goes into the dictionary");
  FuzzRequire(outer.SetValue("Name", QVValueSetasQVString(QVString("Pelmar"))) == 0, "a key goes into the dictionary");
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    const std::string suffix = std::string("-") + OrderName(order);
    Put(target, "dictionary" + suffix, FileForm(outer, order));
    Put(target, "array" + suffix, FileForm(array, order));
    Put(target, "real" + suffix, ValueForm(real, order));
  }
  const Bytes good = FileForm(outer, QVFile::kEndianBig);
  Put(target, "damaged-dictionary-cut", FuzzCut(good, good.size() / 2));
}

// ---- Images

uint32_t Crc32(const Bytes& bytes, size_t from, size_t to) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = from; i < to; ++i) {
    crc ^= static_cast<uint8_t>(bytes[i]);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

Bytes BigEndian32(uint32_t v) {
  return Bytes{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
               static_cast<char>(v)};
}

// A picture drawn by the graphics kit and written by its PNG port.
Bytes Png(uint32_t width, uint32_t height) {
  const std::string path = FuzzScratchFolder::Shared().Path("corpus.png");
  AGNativePortPtr port;
  FuzzRequire(AGGraphicsLow::AGNativePortCreateFile(QVString(path.c_str()), kAGNativePortPNG,
                                                    AGSize{double(width), double(height)}, &port) == 0,
              "a PNG port opens");
  AGContext context(port.get(), AGRect{0, 0, double(width), double(height)});
  context.ClearPixels(0x00000000u);
  AGPath path2;
  path2.AddRect(AGRect{1, 1, width * 0.7, height * 0.6});
  context.brush.SetStyleSolid(0xCC3311C0u);
  context.pen = kAGNullPen;
  context.DrawPath(path2, kAGDrawModeFillOnly);
  FuzzRequire(AGGraphicsLow::AGNativePortFinish(port.get()) == 0, "the PNG is written");
  return FuzzReadFile(path);
}

Bytes Jpeg(uint32_t width, uint32_t height, bool grey, bool progressive) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 50, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> row(width * cinfo.input_components);
  while (cinfo.next_scanline < height) {
    for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<unsigned char>(i * 7 + cinfo.next_scanline * 13);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes bytes(reinterpret_cast<char*>(buffer), size);
  std::free(buffer);
  return bytes;
}

void Images() {
  const char* target = "AGImageDecode";
  const Bytes png = Png(12, 8);
  Put(target, "drawn.png", png);
  Put(target, "grey.jpg", Jpeg(9, 7, true, false));
  Put(target, "colour-progressive.jpg", Jpeg(16, 10, false, true));
  const Bytes jpeg = Jpeg(10, 10, false, false);
  Put(target, "colour.jpg", jpeg);
  Put(target, "damaged-cut.jpg", FuzzCut(jpeg, jpeg.size() / 2));
  Put(target, "damaged-cut.png", FuzzCut(png, png.size() - 30));
  // The header claims 100000 x 100000 pixels, with a correct checksum.
  Bytes huge = FuzzPatched(png, 16, BigEndian32(100000) + BigEndian32(100000));
  huge = FuzzPatched(huge, 29, BigEndian32(Crc32(huge, 12, 29)));
  Put(target, "damaged-too-large.png", huge);
  Put(target, "damaged-bad-checksum.png", FuzzPatched(png, 29, "\0\0\0\0"));
  Put(target, "neither", "GIF89a not an image we read");
}

// ---- Catalogs

// A GNU .mo file of the message pairs (sorted by msgid, as msgfmt writes
// them), in little- or big-endian words.
Bytes MoCatalog(std::vector<std::pair<std::string, std::string>> messages, bool bigEndian) {
  auto word = [bigEndian](uint32_t v) {
    Bytes b = BigEndian32(v);
    return bigEndian ? b : Bytes(b.rbegin(), b.rend());
  };
  const uint32_t count = static_cast<uint32_t>(messages.size());
  const uint32_t originals = 28;
  const uint32_t translations = originals + 8 * count;
  uint32_t at = translations + 8 * count;
  Bytes tables[2];
  Bytes strings;
  for (int side = 0; side < 2; ++side) {
    for (const auto& m : messages) {
      const std::string& s = side == 0 ? m.first : m.second;
      tables[side] += word(static_cast<uint32_t>(s.size())) + word(at);
      strings += s + Bytes(1, '\0');
      at += static_cast<uint32_t>(s.size()) + 1;
    }
  }
  return word(0x950412DEu) + word(0) + word(count) + word(originals) + word(translations) +
         word(0) + word(at) + tables[0] + tables[1] + strings;
}

void Catalogs() {
  const char* target = "HostCatalog";
  const std::vector<std::pair<std::string, std::string>> messages = {
      {"", "Content-Type: text/plain; charset=UTF-8\n"},
      {"Font Size", "Taille"},
      {"None", "Aucune"},
      {"Talvane", "Talvane \xC3\xA9"},
      {std::string("file\0files", 10), std::string("fichier\0fichiers", 16)},
  };
  const Bytes little = MoCatalog(messages, false);
  Put(target, "french-little.mo", little);
  Put(target, "french-big.mo", MoCatalog(messages, true));
  Put(target, "damaged-cut.mo", FuzzCut(little, little.size() - 10));
  Put(target, "damaged-magic.mo", FuzzPatched(little, 0, "\x95\x04\x12\xDF"));
  // A string table entry whose offset lies past the end of the file.
  Put(target, "damaged-offset.mo", FuzzPatched(little, 28 + 8 + 4, "\xFF\xFF\xFF\x7F"));
}

// ---- Keyboard layout files

void LayoutFiles(const std::string& sourceDir) {
  const char* target = "UKeyLayoutFile";
  const Bytes pelmar = FuzzReadFile(sourceDir + "/resources/keylayouts/symbols/pelmar");
  FuzzRequire(!pelmar.empty(), "the layout file is read");
  Put(target, "brindel", "brindel\n" + pelmar);
  Put(target, "sorel", "Pelmar Sorel\n" + pelmar);
  Put(target, "small-default",
      "\ndefault partial xkb_symbols \"a\" { key <AD01> { [ UE010, UE011 ] }; "
      "key <LSGT> { [ UE020 ] }; };\nxkb_symbols \"b\" { include \"level3(ralt_switch)\" };\n");
  Put(target, "comments-and-strings",
      "b\n// xkb_symbols \"b\" { }\nxkb_symbols \"b\" { name[Group1] = \"brace } # //\"; "
      "key <AC01> { [ less, greater ] }; };");
  Put(target, "damaged-unclosed", "a\nxkb_symbols \"a\" { key <AD01> { [ UE010 ] };");
  Put(target, "names", "fr(azerty)\n");
}

// ---- Edit scripts (see TalvaneEditSession_fuzz.cpp for their grammar)

class EditScript {
 public:
  // layout: 0 Brindel, 1 Carvel, 2 Sorel, 3 none, 4 not installed.
  explicit EditScript(uint8_t layout) { mBytes += static_cast<char>(layout); }
  EditScript& Clipboard(std::initializer_list<std::pair<uint8_t, Bytes>> items) {
    mBytes += static_cast<char>(items.size());
    for (const auto& item : items) {
      mBytes += static_cast<char>(0);  // item 1
      mBytes += static_cast<char>(item.first);
      mBytes += static_cast<char>(item.second.size());
      mBytes += item.second;
    }
    return *this;
  }
  // rotation: index into the target's table (0: none, 5: not a number).
  EditScript& Rotation(uint8_t rotation) {
    mBytes += static_cast<char>(rotation);
    return *this;
  }
  EditScript& Key(uint16_t code, uint8_t modifiers = 0) {
    mBytes += Bytes{0, 0, static_cast<char>(code & 0xFF), static_cast<char>(code >> 8),
                    static_cast<char>(modifiers)};
    return *this;
  }
  // x, y: percent of the frame.
  EditScript& Mouse(uint8_t phaseIndex, int8_t x, int8_t y, uint8_t modifiers = 0) {
    mBytes += Bytes{4, static_cast<char>(phaseIndex), static_cast<char>(x), static_cast<char>(y),
                    static_cast<char>(modifiers)};
    return *this;
  }
  EditScript& Begin() { return Op(5); }
  EditScript& Draw() { return Op(6); }
  EditScript& End() { return Op(7); }
  const Bytes& Done() const { return mBytes; }

 private:
  EditScript& Op(char op) {
    mBytes += op;
    return *this;
  }
  Bytes mBytes;
};

void EditScripts() {
  const char* target = "TalvaneEditSession";
  constexpr uint8_t kShift = kQVEditModifierShift, kAltGr = kQVEditModifierOption,
                    kCmd = kQVEditModifierCommand;
  const Bytes utf16Symbols("\x10\xE0\x11\xE0\x20", 5);  // two symbols and an odd byte
  Put(target, "typing-brindel",
      EditScript(0).Clipboard({}).Rotation(0)
          .Key(KEY_Q).Key(KEY_Q, kShift).Key(KEY_Q, kAltGr).Key(KEY_Q, kShift | kAltGr)
          .Key(KEY_SPACE).Key(KEY_BACKSPACE).Key(KEY_LEFT).Key(KEY_HOME).Key(KEY_DELETE)
          .Key(KEY_ENTER).Draw().End().Done());
  Put(target, "system-keys-under-symbol-layouts",
      EditScript(1).Clipboard({}).Rotation(0)
          .Key(KEY_102ND).Key(KEY_102ND, kShift).Key(KEY_KPASTERISK).Key(KEY_KPMINUS, kAltGr)
          .Key(KEY_KPPLUS).Key(KEY_KPSLASH).Key(KEY_KP7, kShift).Key(KEY_KPDOT, kShift)
          .Key(KEY_KPLEFTPAREN).Key(KEY_KPENTER).End().Done());
  Put(target, "clipboard-cut-copy-paste",
      EditScript(2).Clipboard({{0, utf16Symbols}}).Rotation(1)
          .Key(KEY_V, kCmd).Key(KEY_A, kCmd).Key(KEY_C, kCmd).Key(KEY_RIGHT)
          .Key(KEY_V, kCmd).Key(KEY_LEFT, kCmd | kShift).Key(KEY_X, kCmd).Key(KEY_V, kCmd)
          .Draw().Done());
  Put(target, "clipboard-eight-bit-and-odd-items",
      EditScript(0).Clipboard({{1, "abc"}, {0, Bytes("\x41", 1)}, {2, "{\\rtf1}"}}).Rotation(0)
          .Key(KEY_V, kCmd).Key(KEY_END).Key(KEY_V, kCmd).Done());
  Put(target, "mouse-select-and-type",
      EditScript(1).Clipboard({}).Rotation(2)
          .Mouse(0, 10, 50).Mouse(1, 60, 50).Mouse(2, 60, 50).Key(KEY_W)
          .Mouse(0, 90, 40, kShift).Draw().Mouse(3, 0, 0).Begin().Key(KEY_E).Done());
  Put(target, "rotation-not-a-number",
      EditScript(2).Clipboard({}).Rotation(5).Mouse(0, 50, 50).Draw().Key(KEY_1).Draw().Done());
  Put(target, "layout-not-installed",
      EditScript(4).Clipboard({}).Rotation(0).Key(KEY_Q).Key(KEY_102ND, kShift).End().Done());
  Put(target, "empty-text-begins-again",
      EditScript(0).Clipboard({}).Rotation(0)
          .Key(KEY_A, kCmd).Key(KEY_BACKSPACE).End().Begin().Key(KEY_R).Done());
}

// ---- Texts

void Texts() {
  const char* kit = "QVTextParsers";
  const std::pair<const char*, Bytes> kitTexts[] = {
      {"integer", "  -2147483648"},
      {"unsigned-64", "18446744073709551615"},
      {"real", "1.5e300"},
      {"colour", "(300;12;0)"},
      {"colour-hex", "FF8000C0"},
      {"time", "-1:02:03.25"},
      {"rectangle", "(1.5;2;3.25;-4)"},
      {"arguments", "-default \"-name:a b\" -size:12 \"\" tail\"open"},
      {"path", "a/./b//../c/d.txt"},
      {"path-absolute", "/x/../../y"},
      {"path-cancels-out", "ka/.././"},
      {"suffix-number", "Take 99999998"},
      {"tokens", "a,,b, c,"},
      {"utf8", "Pelmar \xC3\xA9\xE2\x86\x92"},
      {"not-utf8", Bytes("\xC3\x28\xF0\x9F\x98\0\x8A", 7)},
  };
  for (const auto& t : kitTexts) Put(kit, t.first, t.second);

  const char* host = "HostTextParsers";
  const std::pair<const char*, Bytes> hostTexts[] = {
      {"key-modifiers", "ctrl+shift+KEY_LEFT"},
      {"key-number", "0x1E"},
      {"key-repeated-modifier", "alt+altgr+KEY_A"},
      {"value-real", "72.5"},
      {"value-range", "1e999"},
      {"value-word", "Brindel"},
      {"value-not-native", "\xE2\x86\x92"},
  };
  for (const auto& t : hostTexts) Put(host, t.first, t.second);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_fuzz_corpus CORPUS_DIR SOURCE_DIR\n");
    return 2;
  }
  gCorpus = argv[1];
  ::mkdir(gCorpus.c_str(), 0755);
  HostPlugin& plugin = FuzzHost::Shared().Plugin();
  Documents(plugin);
  Payloads(plugin);
  BrushesAndPens();
  Values();
  Images();
  Catalogs();
  LayoutFiles(argv[2]);
  EditScripts();
  Texts();
  return 0;
}
