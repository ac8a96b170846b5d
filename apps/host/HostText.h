// Text forms the reference host prints and parses: property values as a
// person reads and types them.
#ifndef HOST_TEXT_H
#define HOST_TEXT_H

#include <string>

class QVValue;

// One line: numbers as they are, strings in double quotes (UTF-8),
// dictionaries as {key: value, ...}, arrays as [a, b], binary as <n bytes>.
std::string HostFormatValue(const QVValue& value);

// A value typed on the command line, of the kind of current (the property's
// present value): a number for a number, a string for a string. Text for a
// dictionary property is not accepted. False when the text does not fit: a
// number that is not finite, a string that is not UTF-8 or holds a
// character the kit's native encoding lacks.
bool HostParseValueLike(const QVValue& current, const std::string& text, QVValue& out);

#endif
