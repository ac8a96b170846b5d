// Text forms the reference host prints and parses: property values as a
// person reads and types them.
#ifndef HOST_TEXT_H
#define HOST_TEXT_H

#include <cstdint>
#include <string>
#include <vector>

class QVValue;

// One line: numbers as they are, strings in double quotes (UTF-8),
// dictionaries as {key: value, ...}, arrays as [a, b], binary as <n bytes>.
std::string HostFormatValue(const QVValue& value);

// A value typed on the command line, of the kind of current (the property's
// present value): a number for a number (a whole number for an integer), a
// string for a string. Text for a dictionary property is not accepted. False
// when the text does not fit: a number that is not finite, a string that is
// not UTF-8 or holds a character the kit's native encoding lacks.
bool HostParseValueLike(const QVValue& current, const std::string& text, QVValue& out);

// Strict readings of what a person types, for telling whether the object
// kept exactly that. The kit's own readers are lenient by design (they take
// what they can and clamp it); these take nothing but the whole, exact form.
//
// A colour: "(r;g;b;a)" or "(r;g;b)" (alpha 255), each component a decimal
// whole number from 0 to 255, blanks allowed around it, nothing before or
// after. colour is 0xRRGGBBAA; left alone when false.
bool HostParseColourStrictly(const std::string& text, uint32_t& colour);
// Symbols: hexadecimal UTF-16 units from 1 to FFFF separated by ";" or ","
// (blanks allowed around each), as the kit writes them ("E01C;E000").
// units is left alone when false; the empty text is no units.
bool HostParseUnitsStrictly(const std::string& text, std::vector<uint16_t>& units);

// Turns UTF-8 text into the kit's native 8-bit text; false when a
// character has no native form.
bool HostNativeText(const std::string& utf8, std::string& native);

#endif
