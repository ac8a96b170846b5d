// The studio's own texts (menus, status line, dialogs, panel headings) in
// the person's language, from a GNU gettext catalog of the language domain
// kDomain read by the host bridge's HostCatalog, as the plug-in's texts are
// read from its own domain: the language is the one --lang names, else the
// environment's (LANGUAGE, LC_ALL, LC_MESSAGES, LANG), and the catalog
// lies in the same locale folder (<dir>/<lang>/LC_MESSAGES/TalvaneStudio.mo)
// beside the program or in the installed tree.
//
// Texts and translations are UTF-8. A text the catalog lacks, or any text
// while no catalog is in use, comes back unchanged (English).
//
// Process-wide: the window's parts look their texts up wherever they are
// made. Use is called once, before the window is built, on the main thread;
// Get may then be called from any thread.
#ifndef STUDIO_TEXT_H
#define STUDIO_TEXT_H

#include <string>

class StudioText {
 public:
  static constexpr const char* kDomain = "TalvaneStudio";

  // Reads the catalog of language (a code such as "fr"; empty: none) from
  // localeDir. False, and English from then on, when language is empty or
  // its catalog is missing or damaged.
  static bool Use(const std::string& localeDir, const std::string& language);
  // English from then on.
  static void UseNone();

  // The translation of text; text itself when there is none. The pointer
  // stays valid until the next Use or UseNone (or for as long as text does).
  static const char* Get(const char* text);
  // format's translation with its one "%s" replaced by argument (the
  // argument is not translated); a translation without "%s" comes back
  // whole, and argument is left out.
  static std::string Format(const char* format, const std::string& argument);
};

#endif
