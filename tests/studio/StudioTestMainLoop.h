// The GLib main loop turned by a test as the studio's window turns it, for
// the player's messages; and the sanitizer settings a process that starts
// GStreamer needs. Include in one source file of a test program.
#ifndef STUDIO_TEST_MAIN_LOOP_H
#define STUDIO_TEST_MAIN_LOOP_H

#include <glib.h>

#include <chrono>
#include <functional>

// GLib leaks its first table of quarks on purpose when the table grows
// (GStreamer makes thousands), and the table is made by GLib's library
// initialiser: such memory is not the player's. Seeing the initialiser in
// the stack needs the slow unwinder, GLib having no frame pointers.
#define STUDIO_EXPORT extern "C" __attribute__((visibility("default")))
STUDIO_EXPORT const char* __lsan_default_suppressions() { return "leak:_dl_init\n"; }
STUDIO_EXPORT const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

using StudioTestClock = std::chrono::steady_clock;

inline double StudioMsSince(StudioTestClock::time_point start) {
  return std::chrono::duration<double, std::milli>(StudioTestClock::now() - start).count();
}

// Turns the default main context for ms milliseconds, calling each (if
// given) after every turn.
inline void StudioRunLoopFor(double ms, const std::function<void()>& each = {}) {
  StudioTestClock::time_point start = StudioTestClock::now();
  while (StudioMsSince(start) < ms) {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    if (each) each();
    g_usleep(2000);
  }
}

#endif
