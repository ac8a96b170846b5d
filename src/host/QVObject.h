// The host's graphic-object base, as the plug-in sees it. The host allocates
// zero-filled storage of the size the plug-in announced, runs the plug-in's
// in-place constructor, and then fills the base fields below; the plug-in's
// class derives from QVObject and adds its own members after them.
//
//   offset  width  content (host-owned)
//   0       8      class record of the object's class
//   8       8      the host's own record for this object
//   size 16
#ifndef QV_OBJECT_H
#define QV_OBJECT_H

#include <cstddef>
#include <cstdint>

#include "host/QVHostObject.h"

struct QVClassRecord;
class QVDictionary;

class QVObject : public QVHostObject {
 public:
  // Leaves the host's fields alone: they are written by the host after the
  // plug-in's constructor has run.
  QVObject() {}
  QVObject(const QVObject&) = delete;
  QVObject& operator=(const QVObject&) = delete;

  QVClassRecord* ClassRecord() const { return mClassRecord; }
  void* HostRecord() const { return mHostRecord; }
  void AttachToHost(QVClassRecord* cls, void* hostRecord) {
    mClassRecord = cls;
    mHostRecord = hostRecord;
  }

  // Walk the object's class chain (QVClass::SupClasses) in order and call each
  // class's get / set property slot with this object and dict; the first
  // non-zero status ends the walk and is returned. 0 when every class answered
  // 0 or the chain is empty.
  [[nodiscard]] int32_t acmGetObjectProperties(QVDictionary& dict) const;
  [[nodiscard]] int32_t acmSetObjectProperties(const QVDictionary& dict);

  // The host's base graphic-object class answers "Brush" and "Pen" from its
  // own storage for each object. Defined by the host, reached by the plug-in
  // only through the class chain.
  [[nodiscard]] int32_t hostBaseGetObjectProperties(QVDictionary& dict) const;
  [[nodiscard]] int32_t hostBaseSetObjectProperties(const QVDictionary& dict);

 private:
  QVClassRecord* mClassRecord;
  void* mHostRecord;
};

static_assert(sizeof(QVObject) == 16);

#endif
