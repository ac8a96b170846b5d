// Setting one property of an object as a person types it on the command
// line, and telling whether the object kept exactly what was typed.
#ifndef HOST_SETTING_H
#define HOST_SETTING_H

#include <cstdint>
#include <string>

class HostObject;
class QVValue;

// Sets key (a path such as "Brush.Color"; UTF-8) of object to the text
// typed, read like the property's present value (HostParseValueLike). When
// the object would not keep exactly what was typed (a value out of range
// that it clamps, text around a value that a lenient reader drops, an
// unknown word), the object is put back as it was. 0, or
// kQVErrBadProperty (logged) with message saying why.
[[nodiscard]] int32_t HostSetProperty(HostObject& object, const std::string& key, const std::string& valueText,
                        std::string& message);

// Whether kept (what the object answers after the change) is what was typed
// as typed: reals to single precision; texts equal but for letter case
// (words, hexadecimal units), or the same colour or the same symbols written
// another way, provided the typed text is an exact colour or symbol text
// (HostParseColourStrictly, HostParseUnitsStrictly); dictionaries entry by
// entry of typed.
bool HostSameSetting(const QVValue& typed, const QVValue& kept);

#endif
