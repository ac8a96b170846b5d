// The clipboard for cut, copy and paste of symbol strings: one item of UTF-16
// plain text.
//
// Clipboard of this Linux port: without a display server there is no system
// clipboard to reach, so the clipboard is, by default, one held by the
// process for its whole life (shared by every object in it, gone when it
// ends). It sits behind the UPasteboardService seam: a host that runs on a
// desktop can install its system clipboard instead.
//
// Failures are quiet: writing leaves the clipboard as far as it got, reading
// gives the empty array. Host thread only.
#ifndef U_PASTEBOARD_H
#define U_PASTEBOARD_H

#include "kit/ATArray.h"

class UPasteboardService;

class UPasteboard {
 public:
  // Replaces the clipboard's content with one item (identifier 1) holding
  // the text as kUPasteboardFlavorUTF16PlainText. Empty text changes nothing.
  static void SetUText(const ATNumberArray<unsigned short>& text);
  // The text of the first item whose UTF-16 plain text has at least one
  // byte (an odd last byte is dropped, so a single byte gives nothing);
  // items in other flavours only, or with no bytes, are passed over. Empty
  // when there is none.
  static ATNumberArray<unsigned short> GetUText();

  // Installs the clipboard service (not owned; it must outlive its use);
  // null goes back to the process's own clipboard, whose content was kept.
  static void SetService(UPasteboardService* service);
};

#endif
