// QVFilePath: the kit's path value. A path is text with "/" as its only
// separator; every way of setting text into a path turns backslashes into "/".
//
// Vocabulary, for '/a/b/c.txt':
//   directory part (Path)  '/a/b/'   everything up to and including the last "/"
//   file name              'c.txt'   the text after the last "/" (the whole
//                                    path when there is no "/")
//   extension              'txt'     the text after the last "." of the file name
//   short file name        'c'       the file name without its last "." and extension
//   components             a, b      the directory part split at "/", without the
//                                    leading empty piece of an absolute path
// An absolute path is non-empty and starts with "/", a relative path is
// non-empty and does not; the empty path is neither. Comparison is
// case-sensitive and there are no volumes.
//
// Paths in memory hold native 8-bit text (Mac OS Roman); the file utilities
// convert them to the system's form when they reach the file system.
#ifndef QV_FILE_PATH_H
#define QV_FILE_PATH_H

#include <cstdint>

#include "kit/ATArray.h"
#include "kit/QVString.h"

class QVFile;
class QVValue;

class QVFilePath {
 public:
  QVFilePath() = default;
  // A null text gives the empty path.
  QVFilePath(const char* path);
  QVFilePath(const QVString& path);
  QVFilePath(const QVFilePath& other) = default;
  QVFilePath(QVFilePath&& other) noexcept = default;

  QVFilePath& operator=(const QVFilePath& other) = default;
  QVFilePath& operator=(QVFilePath&& other) noexcept = default;
  QVFilePath& operator=(const char* path);
  QVFilePath& operator=(const QVString& path);

  void Clear() { mPath.Clear(); }
  void Free() { mPath.Free(); }
  bool IsEmpty() const { return mPath.IsEmpty(); }
  uint32_t Length() const { return mPath.Length(); }
  const char* c_str() const { return mPath.c_str(); }
  const QVString& String() const { return mPath; }

  // Byte comparison of the texts.
  bool IsEqual(const QVFilePath& other) const;
  bool operator==(const QVFilePath& other) const { return IsEqual(other); }
  bool operator!=(const QVFilePath& other) const { return !IsEqual(other); }

  bool IsCaseSensitive() const { return true; }
  bool HasVolume() const { return false; }
  QVString Volume() const { return QVString(); }

  bool IsAbsolute() const;
  bool IsRelative() const;

  QVString FileName() const;
  QVString Path() const;
  QVString Extension() const;
  QVString ShortFileName() const;

  // True when the extension is not empty.
  bool HasExtension() const;
  // True when the extension equals ext, ignoring ASCII case ('TXT' matches
  // 'a.txt'). An empty ext matches a path without extension.
  bool HasExtension(const QVString& ext) const;

  // Replaces the directory part by dir, adding a final "/" when dir lacks one;
  // the file name stays ('f.txt' with '/x' gives '/x/f.txt'). An empty dir
  // leaves only the file name.
  void SetPath(const QVString& dir);
  // Keeps the directory part and replaces the file name.
  void SetFileName(const QVString& name);
  // Keeps the directory part and the extension, replaces the short name.
  void SetShortFileName(const QVString& name);
  // Replaces the extension; an empty ext removes it with its ".". A file name
  // without extension gains "." + ext.
  void SetExtension(const QVString& ext);
  // Appends "." + ext to the whole path; an empty ext does nothing.
  void AddExtension(const QVString& ext);
  void RemoveExtension();
  // Keeps only the directory part.
  void RemoveFileName();
  // Inserts name as a new last component, before the file name: '/a/f' with
  // 'b' gives '/a/b/f'. An empty name changes nothing.
  void AppendComponent(const QVString& name);
  // Removes the last directory component, keeping the file name
  // ('/a/b/c.txt' gives '/a/c.txt'). A directory part with fewer than two
  // "/" is left unchanged.
  void RemoveLastComponent();

  // The components as they stand ("." and ".." included, empty pieces too).
  QVStringArray GetPathComponents() const;
  // Rebuilds the directory part from components and keeps the file name:
  // "/" first unless relative, then each component followed by "/". A
  // relative result that would be empty becomes "./".
  void SetPathComponents(const QVStringArray& components, bool relative);

  // Removes empty and "." components and resolves ".." against the component
  // before it. Returns false and leaves the path unchanged when a ".." has
  // nothing left to remove. The file name is never a component, so in 'a/..'
  // the '..' stays as it is. The empty path stays empty.
  bool SimplifyPath();
  // Resolves this relative path against the directory part of the absolute
  // base ('c/d.txt' against '/a/b/' gives '/a/b/c/d.txt', against '/a/b'
  // gives '/a/c/d.txt'). False, unchanged, unless this path is relative and
  // base absolute, or when ".." climbs above the root.
  bool MakeAbsolute(const QVFilePath& base);
  // Expresses this absolute path relative to the directory part of the
  // absolute base ('/a/b/x/f.txt' against '/a/b/y/' gives '../x/f.txt').
  // False, unchanged, unless both are absolute and simplify.
  bool MakeRelative(const QVFilePath& base);

  // Value form: a string holding the path text. ReadFromValue fails on any
  // other kind of value and then empties the path.
  void WriteToValue(QVValue* value) const;
  bool ReadFromValue(const QVValue& value);

  // File forms: the path text as a file string, with each "/" stored as the
  // byte 0x01. Return a status code.
  long WriteToFile(QVFile& file) const;
  long ReadFromFile(const QVFile& file);
  long ReadFromFile_OFF(const QVFile& file);

 private:
  QVString mPath;
};

// The empty path and the empty array, returned by reference where there is
// no result; one object each in the process, ready before any other static
// (see kQVNullString).
extern const QVFilePath kQVNullFilePath;

class QVFilePathArray : public ATArray<QVFilePath> {
 public:
  using ATArray<QVFilePath>::ATArray;
  QVFilePathArray() = default;

  // Ascending byte order of the whole path texts; the order of equal paths is
  // not fixed.
  void SortByFilePath();
  // Ascending byte order of the file names only.
  void SortByFileName();
};

extern const QVFilePathArray kQVNullFilePathArray;

#endif
