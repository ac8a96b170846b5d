// Owners for the media framework's references, so that every exit path of
// the studio's player releases what it took. Platform code only.
#ifndef STUDIO_GST_P_H
#define STUDIO_GST_P_H

#include <gst/gst.h>

#include <memory>

struct StudioGstObjectUnref {
  void operator()(gpointer object) const { gst_object_unref(object); }
};
struct StudioGstMessageUnref {
  void operator()(GstMessage* message) const { gst_message_unref(message); }
};
struct StudioGErrorFree {
  void operator()(GError* error) const { g_error_free(error); }
};
struct StudioGFree {
  void operator()(gpointer memory) const { g_free(memory); }
};

// Elements are held by a full reference: a new element's floating reference
// is sunk on creation, so handing it to a bin never steals ours.
using StudioGstElement = std::unique_ptr<GstElement, StudioGstObjectUnref>;
using StudioGstBus = std::unique_ptr<GstBus, StudioGstObjectUnref>;
using StudioGstMessage = std::unique_ptr<GstMessage, StudioGstMessageUnref>;
using StudioGError = std::unique_ptr<GError, StudioGErrorFree>;
using StudioGString = std::unique_ptr<gchar, StudioGFree>;

// An element made by factory name, owned; empty when the factory is missing.
inline StudioGstElement StudioGstMake(const char* factory) {
  GstElement* element = gst_element_factory_make(factory, nullptr);
  if (element) gst_object_ref_sink(element);
  return StudioGstElement(element);
}

// A watch of a bus on the main context that was the thread's default when
// it was added; removed when the owner goes.
class StudioGstBusWatch {
 public:
  StudioGstBusWatch() = default;
  ~StudioGstBusWatch() { Remove(); }
  StudioGstBusWatch(const StudioGstBusWatch&) = delete;
  StudioGstBusWatch& operator=(const StudioGstBusWatch&) = delete;

  // false when the bus has a watch already.
  bool Add(GstBus* bus, GstBusFunc func, gpointer data) {
    Remove();
    if (gst_bus_add_watch(bus, func, data) == 0) return false;
    mBus.reset(GST_BUS(gst_object_ref(bus)));
    return true;
  }
  void Remove() {
    if (mBus) gst_bus_remove_watch(mBus.get());
    mBus.reset();
  }

 private:
  StudioGstBus mBus;
};

#endif
