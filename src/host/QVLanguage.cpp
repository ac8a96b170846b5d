#include "host/QVLanguage.h"

#include "host/QVEnv.h"

QVEnvironment* gQVEnv = nullptr;

const char* QVLanguage::SetDomain(const char* domain) {
  if (!gQVEnv || !gQVEnv->setLanguageDomain) return domain;
  const char* answer = gQVEnv->setLanguageDomain(domain);
  return answer ? answer : domain;
}

const char* QVLanguage::GetText(const char* text) {
  if (!gQVEnv || !gQVEnv->getText) return text;
  const char* answer = gQVEnv->getText(text);
  return answer ? answer : text;
}
