// The kit's text codecs: Mac OS Roman (the native 8-bit encoding), Windows
// Latin-1 (code page 1252) and UTF-8, between bytes and Unicode code points.
// Internal to the kit's string code.
#ifndef QV_TEXT_ENCODING_P_H
#define QV_TEXT_ENCODING_P_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "kit/QVString.h"

// The byte written for a character that an 8-bit encoding cannot represent.
inline constexpr char kQVTextLossByte = '?';

// The encoding a stored value stands for: unknown values (1 among them) are
// the native encoding.
QVStringEncoding QVTextEncodingNormalize(QVStringEncoding encoding);

// The character of a native byte (every byte has one).
uint16_t QVTextNativeToUnicode(uint8_t byte);
// The native byte of a character, or -1 when Mac OS Roman has none.
int QVTextUnicodeToNative(uint32_t codePoint);

// Decodes n bytes (bytes may be null when n is 0) and appends their code
// points to out. Returns false, out holding a partial result, when the bytes
// are not valid in the encoding: UTF-8 that is truncated, overlong, a surrogate or
// above U+10FFFF. The 8-bit encodings decode every byte: the five bytes that
// code page 1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for
// the C1 controls of the same value, so that they survive a round trip.
bool QVTextDecode(QVStringEncoding encoding, const char* bytes, size_t n, std::u32string& out);

// Encodes the code points and appends the bytes to out; a character the
// encoding cannot represent becomes kQVTextLossByte.
void QVTextEncode(QVStringEncoding encoding, const std::u32string& text, std::string& out);

// Native text to UTF-8 and back without the code points in between, as
// QVTextDecode then QVTextEncode would convert it (strings are converted by
// the kit often: documents store their texts in UTF-8).
//
// The length of n native bytes in UTF-8 (1 to 3 bytes each).
size_t QVTextNativeToUTF8Length(const char* bytes, size_t n);
// Stores the UTF-8 form of n native bytes at out, which has room for
// QVTextNativeToUTF8Length of them; returns that length.
size_t QVTextNativeToUTF8(const char* bytes, size_t n, char* out);
// Stores the native text of n bytes of UTF-8 at out (never longer than n;
// out may be bytes itself) and sets length to its length. False, out partly written and length unchanged, when the bytes
// are not valid UTF-8 (as QVTextDecode refuses them).
bool QVTextUTF8ToNative(const char* bytes, size_t n, char* out, size_t& length);
// Replaces n bytes of UTF-8 with their native text (never longer); n
// becomes its length. False, the bytes partly overwritten, when they are not
// valid UTF-8 (as QVTextDecode refuses them).
bool QVTextUTF8ToNativeInPlace(char* bytes, size_t& n);

#endif
