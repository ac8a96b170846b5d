// Ownership of GObject references and signal connections at the boundary
// with the C toolkit.
//
// StudioGObject<T> holds one strong reference (g_object_unref when it goes);
// Take() adopts a reference the caller owns (a *_new() result that is not
// floating), Ref() adds one. StudioSignal disconnects its handler when it
// goes, if the instance still lives (watched through a weak pointer), so a
// C++ object can never be called back after its destruction.
#ifndef STUDIO_GOBJECT_H
#define STUDIO_GOBJECT_H

#include <glib-object.h>

#include <utility>

template <class T>
class StudioGObject {
 public:
  StudioGObject() = default;
  static StudioGObject Take(T* object) { return StudioGObject(object); }
  static StudioGObject Ref(T* object) {
    if (object) g_object_ref(object);
    return StudioGObject(object);
  }
  ~StudioGObject() { Reset(); }
  StudioGObject(const StudioGObject& other) : mObject(other.mObject) {
    if (mObject) g_object_ref(mObject);
  }
  StudioGObject& operator=(const StudioGObject& other) {
    StudioGObject copy(other);
    std::swap(mObject, copy.mObject);
    return *this;
  }
  StudioGObject(StudioGObject&& other) noexcept : mObject(std::exchange(other.mObject, nullptr)) {}
  StudioGObject& operator=(StudioGObject&& other) noexcept {
    std::swap(mObject, other.mObject);
    return *this;
  }
  void Reset() {
    if (mObject) g_object_unref(std::exchange(mObject, nullptr));
  }
  T* Get() const { return mObject; }
  explicit operator bool() const { return mObject != nullptr; }

 private:
  explicit StudioGObject(T* object) : mObject(object) {}
  T* mObject = nullptr;
};

class StudioSignal {
 public:
  StudioSignal() = default;
  // Connects handler to signal of instance with data (g_signal_connect).
  StudioSignal(gpointer instance, const char* signal, GCallback handler, gpointer data)
      : mInstance(instance), mId(g_signal_connect(instance, signal, handler, data)) {
    g_object_add_weak_pointer(G_OBJECT(mInstance), &mInstance);
  }
  ~StudioSignal() { Disconnect(); }
  StudioSignal(const StudioSignal&) = delete;
  StudioSignal& operator=(const StudioSignal&) = delete;
  void Disconnect() {
    if (mInstance) {
      g_signal_handler_disconnect(mInstance, mId);
      g_object_remove_weak_pointer(G_OBJECT(mInstance), &mInstance);
      mInstance = nullptr;
    }
  }

 private:
  gpointer mInstance = nullptr;
  gulong mId = 0;
};

#endif
