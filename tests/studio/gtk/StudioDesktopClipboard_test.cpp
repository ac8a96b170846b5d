// The desktop clipboard round trip on a real X display (run under
// xvfb-run): what an object copies is read by another program (xclip) as
// UTF-8, and what another program puts on the clipboard pastes into the
// object as UTF-16.
#include "StudioDesktopClipboard.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <string>

#include "textinput/UPasteboard.h"

namespace {

// Runs the main loop until done() or the time (seconds) has passed.
template <class Done>
bool RunUntil(Done done, int seconds = 10) {
  const gint64 until = g_get_monotonic_time() + seconds * G_USEC_PER_SEC;
  while (!done() && g_get_monotonic_time() < until) g_main_context_iteration(nullptr, FALSE);
  return done();
}

// Runs xclip on the clipboard selection with input on its standard input;
// its standard output, once it ends (the main loop runs meanwhile, so that
// this process can answer it).
std::string Xclip(const char* mode, const std::string& input) {
  GError* error = nullptr;
  // "-i" leaves a child behind that serves the selection and would hold a
  // standard output pipe open: only "-o" has its output read.
  const bool reading = std::string(mode) == "-o";
  GSubprocess* process = g_subprocess_new(
      static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDIN_PIPE |
                                    (reading ? G_SUBPROCESS_FLAGS_STDOUT_PIPE : G_SUBPROCESS_FLAGS_STDOUT_SILENCE)),
      &error, "xclip", "-selection", "clipboard", mode, nullptr);
  if (!process) {
    ADD_FAILURE() << "xclip: " << (error ? error->message : "?");
    if (error) g_error_free(error);
    return {};
  }
  struct Result {
    bool done = false;
    std::string out;
  } result;
  GBytes* stdinBytes = g_bytes_new(input.data(), input.size());
  g_subprocess_communicate_async(
      process, stdinBytes, nullptr,
      [](GObject* source, GAsyncResult* res, gpointer data) {
        auto* r = static_cast<Result*>(data);
        GBytes* out = nullptr;
        if (g_subprocess_communicate_finish(G_SUBPROCESS(source), res, &out, nullptr, nullptr) && out) {
          gsize size = 0;
          const char* bytes = static_cast<const char*>(g_bytes_get_data(out, &size));
          r->out.assign(bytes ? bytes : "", size);
        }
        if (out) g_bytes_unref(out);
        r->done = true;
      },
      &result);
  EXPECT_TRUE(RunUntil([&] { return result.done; })) << "xclip " << mode << " did not end";
  g_bytes_unref(stdinBytes);
  g_object_unref(process);
  return result.out;
}

ATNumberArray<unsigned short> Units(const std::u16string& text) {
  ATNumberArray<unsigned short> units;
  for (char16_t unit : text) units.Append(unit);
  return units;
}

std::u16string Text(const ATNumberArray<unsigned short>& units) {
  std::u16string text;
  for (size_t i = 0; i < units.Length(); ++i) text += static_cast<char16_t>(units[i]);
  return text;
}

class StudioDesktopClipboardTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(gtk_init_check()) << "no display"; }
  void SetUp() override {
    clipboard = std::make_unique<StudioDesktopClipboard>(
        gdk_display_get_clipboard(gdk_display_get_default()), nullptr);
  }
  void TearDown() override { clipboard.reset(); }
  std::unique_ptr<StudioDesktopClipboard> clipboard;
};

TEST_F(StudioDesktopClipboardTest, SymbolsCopiedInTheStudioPasteIntoAnotherProgram) {
  UPasteboard::SetUText(Units(u"\uE01C\uE01Da"));
  EXPECT_EQ(Xclip("-o", ""), "\xEE\x80\x9C\xEE\x80\x9D" "a");
  // The studio still pastes its own copy.
  EXPECT_EQ(Text(UPasteboard::GetUText()), u"\uE01C\uE01Da");
}

TEST_F(StudioDesktopClipboardTest, TextCopiedInAnotherProgramPastesIntoTheStudio) {
  // xclip -i stays behind to serve the selection; the clipboard's "changed"
  // signal brings the text into the studio's copy.
  Xclip("-i", "x\xEE\x80\x9D\xF0\x9F\x98\x80");
  const std::u16string expected = u"x\uE01D\U0001F600";
  EXPECT_TRUE(RunUntil([&] { return clipboard->Service().Text() == expected; }));
  EXPECT_EQ(Text(UPasteboard::GetUText()), expected);

  // What a paste key waits for: a read that finishes before done is called.
  // (The xclip left from before serves its text until the new one has taken
  // the clipboard over: the "changed" signal tells when.)
  Xclip("-i", "\xEE\x80\x80");
  EXPECT_TRUE(RunUntil([&] { return clipboard->Service().Text() == u"\uE000"; }));
  clipboard->Service().FinishRead(clipboard->Service().StartRead(), "", false);  // forgotten
  ASSERT_TRUE(UPasteboard::GetUText().IsEmpty());
  bool done = false;
  clipboard->Refresh([&] { done = true; });
  ASSERT_TRUE(RunUntil([&] { return done; }));
  EXPECT_EQ(Text(UPasteboard::GetUText()), u"\uE000");
}

TEST_F(StudioDesktopClipboardTest, ARefreshPendingWhenTheClipboardGoesCallsNobody) {
  bool called = false;
  clipboard->Refresh([&] { called = true; });
  clipboard.reset();
  // Let the read finish against the destroyed clipboard.
  RunUntil([] { return false; }, 1);
  EXPECT_FALSE(called);
}

}  // namespace
