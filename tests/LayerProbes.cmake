# The direction of the layers, proven by compiling one-line sources with the
# include path each layer's own sources get. An include that climbs a layer
# (or reaches into another layer's private headers) must fail with "No such
# file or directory" for that header; the same layer including what lies
# below it must compile, so that a failure is known to be for that reason.
#
# Each probe: TARGET|HEADER|EXPECT, EXPECT being "found" or "missing".
set(_layer_probes
  # the kit stands on nothing of ours
  "talvane_kit|kit/QVValue.h|found"
  "talvane_kit|kit/AGGeometryTypes.h|found"
  "talvane_kit|graphics/AGGeometry.h|missing"
  "talvane_kit|object/CStdTalvane.h|missing"
  "talvane_kit|host/QVClass.h|missing"
  # graphics on the kit
  "talvane_graphics|kit/QVFile.h|found"
  "talvane_graphics|graphics/platform/AGFontPlatform_p.h|found"
  "talvane_graphics|textinput/UKeyLayout.h|missing"
  "talvane_graphics|kit/QVValue_p.h|missing"
  # text input on graphics, through its public headers only
  "talvane_textinput|graphics/AGFont.h|found"
  "talvane_textinput|graphics/platform/AGFontPlatform_p.h|missing"
  "talvane_textinput|graphics/platform/AGNativePath.h|missing"
  "talvane_textinput|graphics/AGPenBrush_p.h|missing"
  "talvane_textinput|object/CStdTalvane.h|missing"
  # the host's records on graphics, beside text input
  "talvane_host_records|graphics/AGContext.h|found"
  "talvane_host_records|textinput/UKeyLayout.h|missing"
  "talvane_host_records|object/CStdTalvane.h|missing"
  "talvane_host_records|bridge/HostPlugin.h|missing"
  # the object on text input and the host's records
  "talvane_object|textinput/UKeyLayout.h|found"
  "talvane_object|host/QVClass.h|found"
  "talvane_object|bridge/HostPlugin.h|missing"
  "talvane_object|graphics/platform/AGNativePath.h|missing"
  # the bridge on the host's records; it never sees the object
  "talvane_bridge|host/QVClass.h|found"
  "talvane_bridge|object/CStdTalvane.h|missing"
  "talvane_bridge|textinput/UKeyLayout.h|missing"
)

set(_probe_dir ${CMAKE_CURRENT_BINARY_DIR}/layer-probes)
file(MAKE_DIRECTORY ${_probe_dir})
foreach(_probe IN LISTS _layer_probes)
  string(REPLACE "|" ";" _fields "${_probe}")
  list(GET _fields 0 _target)
  list(GET _fields 1 _header)
  list(GET _fields 2 _expect)
  string(MAKE_C_IDENTIFIER "${_target}_${_header}" _name)
  set(_source ${_probe_dir}/${_name}.cpp)
  file(WRITE ${_source} "#include \"${_header}\"\n")
  add_test(NAME layers_${_name}_${_expect}
           COMMAND ${CMAKE_CXX_COMPILER} -std=c++17 -fsyntax-only
                   "-I$<JOIN:$<TARGET_PROPERTY:${_target},INCLUDE_DIRECTORIES>,;-I>"
                   ${_source}
           COMMAND_EXPAND_LISTS)
  if(_expect STREQUAL "missing")
    # Passes only on the compiler's own words for this very header.
    set_tests_properties(layers_${_name}_${_expect} PROPERTIES
                         PASS_REGULAR_EXPRESSION "${_header}: No such file or directory")
  endif()
endforeach()

# Slots paired with their method types (QVSlot, host/QVHostObject.h): filling
# a slot with a method of another type, or reaching a slot through another
# record, must not compile; the right pairing must. Each probe: NAME|BODY|EXPECT
# (EXPECT: the compiler's message, or "compiles"); "%" stands for ";" in BODY.
set(_slot_probe_head [=[
#include "host/QVClass.h"
#include "host/QVGUIDesc.h"
#include "host/QVObject.h"
struct Probe : QVObject {
  int32_t Draw(const AGContext& context, const QVDrawEvent& event) const;
  int32_t Edit(const AGContext& context, QVEditEvent& event);
};
]=])
set(_slot_probes
  "draw_slot_takes_draw|void F(QVClassRecord& r) { QVSlotSet<kQVClassSlotDraw>(r, &Probe::Draw)% }|compiles"
  "draw_slot_refuses_edit|void F(QVClassRecord& r) { QVSlotSet<kQVClassSlotDraw>(r, &Probe::Edit)% }|the method's type is not the one paired with this slot"
  "edit_slot_refuses_draw|void F(QVClassRecord& r) { QVSlotSet<kQVClassSlotEdit>(r, &Probe::Draw)% }|the method's type is not the one paired with this slot"
  "draw_slot_read_as_its_type|QVMethodDraw F(const QVClassRecord& r) { return QVSlotGet<kQVClassSlotDraw>(&r)% }|compiles"
  "draw_slot_not_read_as_edit|QVMethodEdit F(const QVClassRecord& r) { return QVSlotGet<kQVClassSlotDraw>(&r)% }|cannot convert"
  "class_slot_not_in_a_panel_table|void F(const QVGUIDescTable& t) { QVSlotGet<kQVClassSlotDraw>(&t)% }|the slot belongs to another record"
  "plain_index_has_no_pair|void F(const QVClassRecord& r) { QVSlotGet<12u>(&r)% }|incomplete type"
)
foreach(_probe IN LISTS _slot_probes)
  string(REPLACE "|" ";" _fields "${_probe}")
  list(GET _fields 0 _name)
  list(GET _fields 1 _body)
  list(GET _fields 2 _expect)
  string(REPLACE "%" ";" _body "${_body}")
  set(_source ${_probe_dir}/slots_${_name}.cpp)
  file(WRITE ${_source} "${_slot_probe_head}${_body}\n")
  add_test(NAME slots_${_name}
           COMMAND ${CMAKE_CXX_COMPILER} -std=c++17 -fsyntax-only
                   "-I$<JOIN:$<TARGET_PROPERTY:talvane_host_records,INCLUDE_DIRECTORIES>,;-I>"
                   ${_source}
           COMMAND_EXPAND_LISTS)
  if(NOT _expect STREQUAL "compiles")
    set_tests_properties(slots_${_name} PROPERTIES PASS_REGULAR_EXPRESSION "${_expect}")
  endif()
endforeach()
