// Times as a person reads and types them: "h:mm:ss" with an optional
// fraction of a second, for the ruler's labels and the studio's time fields.
//
// Times are in milliseconds from the start of the recording (the score's
// time unit). Texts are ASCII; the decimal mark is always ".", whatever the
// locale, so that a text written on one machine reads back on another.
#ifndef STUDIO_TIME_TEXT_H
#define STUDIO_TIME_TEXT_H

#include <cstdint>
#include <string>

// The most fraction digits a time text carries: one microsecond.
inline constexpr int kStudioTimeMaxDecimals = 6;

// "h:mm:ss" then "." and `decimals` digits of the second (0 to 6; values
// outside are clamped), rounded half away from zero at the last digit:
// 3723004.5 ms with 3 decimals is "1:02:03.005" (3723004.5 rounds to
// 3723005 ms). Hours take as many digits as they need. A negative time starts
// with "-" ("-0:00:01.500"); a time that rounds to zero never does.
// Not-a-number counts as 0; magnitudes beyond 2^53 microseconds are clamped
// to that.
std::string StudioFormatTime(double ms, int decimals);

// The same from a whole number of microseconds (exact: no rounding).
std::string StudioFormatTimeMicros(int64_t micros, int decimals);

// Reads "h:mm:ss", "m:ss" or "s", each with an optional fraction of 1 to 6
// digits after ".", and an optional leading "-". The first field has any
// number of digits, as long as the whole time stays within 2^53
// microseconds (about 285 years); the fields after it have exactly two
// digits below 60. Nothing else is allowed: no blanks, no sign on
// a later field, no empty field, no "," for ".". On success stores the time in
// ms (the nearest double to the exact decimal value) and returns true; on
// failure leaves ms untouched and returns false.
//
// Round trip: StudioParseTime(StudioFormatTime(t, d)) gives t rounded to d
// decimals of a second, and formatting that again gives the same text, for
// times below 2^43 ms (about 278 years): beyond, doubles in milliseconds lie
// further apart than a microsecond, and a six-decimal text may come back a
// microsecond off. StudioParseTime(StudioFormatTime(t, 6)) gives t itself
// at any time.
bool StudioParseTime(const std::string& text, double& ms);

#endif
