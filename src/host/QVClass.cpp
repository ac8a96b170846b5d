#include "host/QVClass.h"

const QVClassTable* QVClass::sWrapper = nullptr;
QVClassRecord* gQVClass = nullptr;

int32_t QVClass::ClassSetup(QVClassRecord* cls, QVPluginHook* hook) {
  if (!sWrapper || !sWrapper->classSetup) return -1;
  return sWrapper->classSetup(cls, hook);
}

void QVClass::SetClassName(QVClassRecord* cls, const char* name) {
  if (sWrapper && sWrapper->setClassName && cls) sWrapper->setClassName(cls, name ? name : "");
}

void QVClass::AddInspectorGUIDesc(QVClassRecord* cls, QVGUIDescObject* desc) {
  if (sWrapper && sWrapper->addInspectorGUIDesc && cls) sWrapper->addInspectorGUIDesc(cls, desc);
}

uint32_t QVClass::SupClasses(QVClassRecord* cls, QVClassRecord* const** chain) {
  *chain = nullptr;
  if (!sWrapper || !cls || sWrapper->supClasses.IsEmpty()) return 0;
  auto method = sWrapper->supClasses.As<QVClassSupClassesMethod>();
  return (static_cast<QVHostObject*>(cls)->*method)(chain);
}
