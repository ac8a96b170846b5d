// A graphic object of a plug-in class as the host keeps it: zero-filled
// storage of the announced size holding the plug-in's object, and the host's
// own record (frame in the score, base brush and pen).
#ifndef HOST_OBJECT_H
#define HOST_OBJECT_H

#include <cstdint>
#include <memory>
#include <string>

#include "graphics/AGBrush.h"
#include "graphics/AGGeometry.h"
#include "graphics/AGPen.h"

class HostPlugin;
class QVArgs;
class QVDictionary;
class QVFile;
class QVObject;
class AGContext;
struct QVDrawEvent;
class QVGUIDescObject;

// What the host stores for each object beside the plug-in's own part.
struct HostObjectRecord {
  AGRect frame = {0.0, 0.0, 100.0, 48.0};  // time (x) and height (y) in the score
  AGBrush brush;
  AGPen pen;
};

class HostObject {
 public:
  // Allocates the storage, runs the plug-in's constructor and attaches the
  // host's record; the object is not initialised yet (Init or InitFromFile).
  explicit HostObject(HostPlugin& plugin);
  // Runs _apmDelete (when initialised), then the destructor, and frees.
  ~HostObject();
  HostObject(const HostObject&) = delete;
  HostObject& operator=(const HostObject&) = delete;

  // The class methods, through the slots the plug-in filled. A slot left
  // empty answers kQVErrGeneric (or does nothing).
  [[nodiscard]] int32_t Init(const QVArgs& args);
  [[nodiscard]] int32_t InitFromFile(const QVFile& file);
  [[nodiscard]] int32_t WriteToFile(QVFile& file) const;
  [[nodiscard]] int32_t GetObjectProperties(QVDictionary& dict) const;
  [[nodiscard]] int32_t SetObjectProperties(const QVDictionary& dict);
  // Whole chain: the plug-in's properties and the base "Brush" and "Pen".
  [[nodiscard]] int32_t GetAllProperties(QVDictionary& dict) const;
  [[nodiscard]] int32_t SetAllProperties(const QVDictionary& dict);
  bool GetNaturalBounds(AGRect& bounds) const;
  // Draws the object through its draw slot; kQVErrGeneric without it.
  [[nodiscard]] int32_t Draw(const AGContext& context, const QVDrawEvent& event) const;
  // One panel event: kind 1 fills desc from the object, kind 3 applies the
  // change of control id. The object's action name (native text) comes back
  // in actionName; empty when nothing changed. kQVErrGeneric without the slot.
  [[nodiscard]] int32_t Inspect(QVGUIDescObject* desc, int32_t kind, uint32_t id,
                                std::string& actionName);

  HostObjectRecord& Record() { return mRecord; }
  const HostObjectRecord& Record() const { return mRecord; }
  QVObject* Object() const { return mObject; }

 private:
  template <auto Slot, class Dict>
  [[nodiscard]] int32_t WalkChain(Dict& dict) const;

  struct FreeStorage {
    void operator()(void* p) const;
  };

  HostPlugin& mPlugin;
  HostObjectRecord mRecord;
  std::unique_ptr<void, FreeStorage> mStorage;
  QVObject* mObject = nullptr;
  bool mInitialised = false;
};

#endif
