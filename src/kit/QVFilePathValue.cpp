// The value forms of paths: a path is a "strg" holding its text with every
// backslash made a slash.
#include "kit/QVFilePath.h"
#include "kit/QVValue.h"
#include "kit/QVValue_p.h"

void QVFilePath::WriteToValue(QVValue* value) const {
  if (!value) return;
  // Paths hold no backslash once set, but the stored form promises none.
  QVString text(mPath);
  text.ReplaceAll("\\", "/");
  value->SetasQVString(std::move(text));
}

bool QVFilePath::ReadFromValue(const QVValue& value) {
  const QVString* text = value.GetasQVString();
  if (!text) {
    Clear();
    return false;
  }
  // Assignment from text turns backslashes into slashes.
  *this = *text;
  return true;
}

QVValue* QVValueSetasQVFilePath(QVValue* value, const QVFilePath& path) {
  path.WriteToValue(value);
  return value;
}

QVValue QVValueSetasQVFilePath(const QVFilePath& path) {
  QVValue value;
  path.WriteToValue(&value);
  return value;
}

bool QVValueGetasQVFilePath(const QVValue& value, QVFilePath& path, bool /*convert*/) {
  return path.ReadFromValue(value);
}

QVFilePath QVValueGetasQVFilePath(const QVValue& value, bool /*convert*/) {
  QVFilePath path;
  path.ReadFromValue(value);
  return path;
}

QVValue* QVValueSetasQVFilePathArray(QVValue* value, const QVFilePathArray& a) {
  return QVValueSetArray(value, a, [](QVValue* v, const QVFilePath& p) { p.WriteToValue(v); });
}

QVValue QVValueSetasQVFilePathArray(const QVFilePathArray& a) {
  QVValue value;
  QVValueSetasQVFilePathArray(&value, a);
  return value;
}

// As the other array forms: an empty value leaves a untouched; otherwise a is
// emptied and filled only when every element is a string.
bool QVValueGetasQVFilePathArray(const QVValue& value, QVFilePathArray& a, bool /*convert*/) {
  return QVValueGetArray(value, a,
                         [](const QVValue& v, QVFilePath& p) { return p.ReadFromValue(v); });
}

QVFilePathArray QVValueGetasQVFilePathArray(const QVValue& value, bool convert) {
  QVFilePathArray a;
  QVValueGetasQVFilePathArray(value, a, convert);
  return a;
}
