// File forms of kit strings, paths and UTF-16 arrays.

#include <cstring>
#include <limits>

#include "kit/QVFile.h"
#include "kit/QVFilePath.h"
#include "kit/QVLog.h"
#include "kit/QVString.h"
#include "kit/QVTextEncoding_p.h"

namespace {

// A "/" of a path is stored as this byte.
const QVString kSlash("/");
const QVString kStoredSlash("\x01");

// Reads length bytes into string. The length is checked against the bytes
// left in the file before anything is allocated. On error the string is
// emptied.
long ReadBytes(const QVFile& file, QVString& string, uint32_t length) {
  long err = QVFileCheckReadable(file, length);
  if (!err) {
    string.SetLength(length);
    err = file.Read(string.Data(), length);
  }
  if (err) string.Clear();
  return err;
}

// Reads a 32-bit length in the given order and then that many bytes into
// string, as ReadBytes.
long ReadLengthAndBytes(const QVFile& file, QVString& string, uint32_t endianness) {
  uint32_t length = 0;
  long err = QVFileReadUInt32(file, length, endianness);
  if (err) {
    string.Clear();
    return err;
  }
  return ReadBytes(file, string, length);
}

// The stored length of a string form in the file's order.
uint32_t StoredLength(const QVFile& file, uint32_t length) {
  return file.Endianness() == QVFile::kEndianHost ? length : __builtin_bswap32(length);
}

// The string form of n native bytes whose UTF-8 form has count bytes, at
// form: length, UTF-8 text, zero padding; returns its size.
size_t MakeStringForm(const QVFile& file, const char* text, size_t n, size_t count,
                      uint8_t* form) {
  const uint32_t padded = (static_cast<uint32_t>(count) + 3) & ~3u;
  const uint32_t stored = StoredLength(file, padded);
  std::memcpy(form, &stored, 4);
  QVTextNativeToUTF8(text, n, reinterpret_cast<char*>(form) + 4);
  std::memset(form + 4 + count, 0, padded - count);
  return 4 + padded;
}

// The UTF-8 text of a string form as the string's native text: trailing
// zero bytes dropped; text that is no UTF-8 reads as empty, as
// QVString::ChangeEncoding leaves it.
// The length of n bytes of text without its trailing zero bytes, looked at
// four at a time where there are as many (the padding of a string form is
// at most three).
size_t WithoutTrailingZeros(const char* text, size_t n) {
  static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the last byte is the highest");
  while (n >= 4) {
    uint32_t last;
    std::memcpy(&last, text + n - 4, 4);
    if (last != 0) return n - static_cast<size_t>(__builtin_clz(last)) / 8;
    n -= 4;
  }
  while (n > 0 && text[n - 1] == '\0') --n;
  return n;
}

void SetFromUTF8(QVString& string, const char* utf8, size_t n) {
  n = WithoutTrailingZeros(utf8, n);
  // A short text is converted on the stack and appended to the emptied
  // string (cheaper than an assignment, which must allow for the text lying
  // in the string itself).
  char native[256];
  if (n <= sizeof native) {
    size_t length = 0;
    if (n > 0 && !QVTextUTF8ToNative(utf8, n, native, length)) length = 0;
    string.Clear();
    string.Append(native, static_cast<uint32_t>(length));
    return;
  }
  string.SetLength(static_cast<uint32_t>(n));
  size_t length = 0;
  if (n > 0 && !QVTextUTF8ToNative(utf8, n, string.Data(), length)) length = 0;
  string.SetLength(static_cast<uint32_t>(length));
}

}  // namespace

long QVFileWriteQVString(QVFile& file, const QVString& string) {
  const char* text = string.c_str();
  const size_t length = string.Length();
  // A short string (the usual) leaves in one piece: its length, UTF-8 text
  // and padding are made where they append to the write buffer, else on the
  // stack.
  constexpr size_t kShort = 128;
  if (length <= kShort) {
    // Room for the longest form (three UTF-8 bytes a character) and four
    // zero bytes after the text: the text is converted straight into the
    // write buffer and only its own form is committed.
    if (uint8_t* room = file.AppendRoom(4 + 3 * length + 4)) {
      const size_t count = QVTextNativeToUTF8(text, length, reinterpret_cast<char*>(room) + 4);
      const uint32_t padded = (static_cast<uint32_t>(count) + 3) & ~3u;
      const uint32_t stored = StoredLength(file, padded);
      const uint32_t zeros = 0;
      std::memcpy(room, &stored, 4);
      std::memcpy(room + 4 + count, &zeros, 4);
      file.CommitAppend(4 + padded);
      return 0;
    }
    const size_t count = QVTextNativeToUTF8Length(text, length);
    alignas(4) uint8_t form[4 + kShort * 3 + 3];
    return file.Write(form, MakeStringForm(file, text, length, count, form));
  }
  const size_t count = QVTextNativeToUTF8Length(text, length);
  if (count > std::numeric_limits<uint32_t>::max() - 3)
    return QVLogStatus<kQVErrFileWrite>(file.LogPath());
  const uint32_t padded = (static_cast<uint32_t>(count) + 3) & ~3u;
  long err = QVFileWriteUInt32(file, padded);
  // The UTF-8 form is made a piece at a time on the stack: no copy of the
  // string is allocated for it.
  char utf8[kShort * 3];
  for (size_t done = 0; err == 0 && done < length; done += kShort) {
    const size_t n = length - done < kShort ? length - done : kShort;
    err = file.Write(utf8, QVTextNativeToUTF8(text + done, n, utf8));
  }
  if (err == 0) err = QVFileWriteZeros(file, padded - count);
  return err;
}

long QVFileReadQVString(const QVFile& file, QVString& string) {
  // A form that was read ahead whole (the usual) is converted from there,
  // with no copy in between.
  if (const uint8_t* stored = file.ReadInPlace(4)) {
    uint32_t length = 0;
    std::memcpy(&length, stored, 4);
    length = StoredLength(file, length);
    if (length == 0) {
      string.Clear();
      return 0;
    }
    if (const uint8_t* utf8 = file.ReadInPlace(length)) {
      SetFromUTF8(string, reinterpret_cast<const char*>(utf8), length);
      return 0;
    }
    long err = ReadBytes(file, string, length);
    if (!err) SetFromUTF8(string, string.Data(), string.Length());
    return err;
  }
  long err = ReadLengthAndBytes(file, string, QVFile::kEndianFile);
  if (!err) SetFromUTF8(string, string.Data(), string.Length());
  return err;
}

long QVFileReadQVString_OFF(const QVFile& file, QVString& string) {
  long err = ReadLengthAndBytes(file, string, QVFile::kEndianBig);
  if (err) return err;
  string.ChangeEncoding(kQVStringEncodingLatin1, kQVStringEncodingNative);
  return 0;
}

long QVFileWriteQVFilePath(QVFile& file, const QVFilePath& path) {
  QVString text = path.String();
  text.ReplaceAll(kSlash, kStoredSlash);
  return QVFileWriteQVString(file, text);
}

namespace {

long ReadPathWith(long (*readString)(const QVFile&, QVString&), const QVFile& file,
                  QVFilePath& path) {
  QVString text;
  long err = readString(file, text);
  if (err) {
    path.Clear();
    return err;
  }
  text.ReplaceAll(kStoredSlash, kSlash);
  path = text;
  return 0;
}

}  // namespace

long QVFileReadQVFilePath(const QVFile& file, QVFilePath& path) {
  return ReadPathWith(QVFileReadQVString, file, path);
}

long QVFileReadQVFilePath_OFF(const QVFile& file, QVFilePath& path) {
  return ReadPathWith(QVFileReadQVString_OFF, file, path);
}

long QVFileWriteQVUniChars(QVFile& file, const ATNumberArray<uint16_t>& chars,
                           uint32_t endianness) {
  long err = QVFileWriteUInt32(file, chars.Length(), endianness);
  if (err) return err;
  return QVFileWriteNumbers(file, chars.Data(), chars.Length(), 2, 1, endianness, false);
}

long QVFileReadQVUniChars(const QVFile& file, ATNumberArray<uint16_t>& chars,
                          uint32_t endianness) {
  chars.Clear();
  uint32_t count = 0;
  long err = QVFileReadUInt32(file, count, endianness);
  if (!err) err = QVFileCheckReadable(file, uint64_t{count} * 2);
  if (!err) {
    chars.SetLength(count);
    err = QVFileReadNumbers(file, chars.Data(), count, 2, 1, endianness, false);
  }
  if (err) chars.Free();
  return err;
}

// ---------------------------------------------------------------- Members

long QVString::WriteToFile(QVFile& file) const { return QVFileWriteQVString(file, *this); }

long QVString::ReadFromFile(const QVFile& file) { return QVFileReadQVString(file, *this); }

long QVString::ReadFromFile_OFF(const QVFile& file) { return QVFileReadQVString_OFF(file, *this); }

long QVFilePath::WriteToFile(QVFile& file) const { return QVFileWriteQVFilePath(file, *this); }

long QVFilePath::ReadFromFile(const QVFile& file) { return QVFileReadQVFilePath(file, *this); }

long QVFilePath::ReadFromFile_OFF(const QVFile& file) {
  return QVFileReadQVFilePath_OFF(file, *this);
}
