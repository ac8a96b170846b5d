// Translation of user-visible texts through the host's environment record.
#ifndef QV_LANGUAGE_H
#define QV_LANGUAGE_H

class QVLanguage {
 public:
  // Selects the language domain of later GetText calls. Returns the host's
  // answer, or domain itself without an environment record or selector.
  static const char* SetDomain(const char* domain);
  // The translation of text in the selected domain, or text itself without an
  // environment record or translator, or when the host has none. Valid until
  // the next call.
  static const char* GetText(const char* text);
};

#endif
