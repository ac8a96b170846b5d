# Layers whose direction the build enforces.
#
# Every folder of src/ is a layer. Code includes headers rooted at src/
# ("kit/QVString.h"), but no target sees src/ itself: each layer's public
# headers (src/LAYER/*.h except the private *_p.h) are staged as links in
#
#     build/include/LAYER/LAYER/NAME.h
#
# and the interface target talvane_LAYER_headers puts build/include/LAYER on
# the include path of whoever links it, together with the layers below it.
# A layer's own sources also see their private headers and platform/ folder
# through build/include-private/LAYER/LAYER, a link to src/LAYER. So
# "#include "object/…"" in the kit, or a graphics platform header in the text
# input layer, is simply not found.

set(TALVANE_STAGE_DIR ${CMAKE_BINARY_DIR}/include)
set(TALVANE_PRIVATE_STAGE_DIR ${CMAKE_BINARY_DIR}/include-private)

# talvane_layer_headers(LAYER [BELOW layer...])
# Stages LAYER's headers and defines talvane_LAYER_headers, which carries the
# public headers of the layers BELOW it too.
function(talvane_layer_headers layer)
  cmake_parse_arguments(ARG "" "" "BELOW" ${ARGN})
  set(public ${TALVANE_STAGE_DIR}/${layer}/${layer})
  file(MAKE_DIRECTORY ${public})
  # Links of headers that are gone (or became private) go; only links are removed.
  file(GLOB _staged ${public}/*.h)
  if(_staged)
    file(REMOVE ${_staged})
  endif()
  # CONFIGURE_DEPENDS: a header added or removed stages again at the next build.
  file(GLOB _headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${layer}/*.h)
  foreach(_header IN LISTS _headers)
    get_filename_component(_name ${_header} NAME)
    if(NOT _name MATCHES "_p\\.h$")
      file(CREATE_LINK ${_header} ${public}/${_name} SYMBOLIC)
    endif()
  endforeach()

  set(private ${TALVANE_PRIVATE_STAGE_DIR}/${layer})
  file(MAKE_DIRECTORY ${private})
  if(NOT IS_SYMLINK ${private}/${layer})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${layer} ${private}/${layer} SYMBOLIC)
  endif()

  add_library(talvane_${layer}_headers INTERFACE)
  target_include_directories(talvane_${layer}_headers INTERFACE ${TALVANE_STAGE_DIR}/${layer})
  foreach(_below IN LISTS ARG_BELOW)
    target_link_libraries(talvane_${layer}_headers INTERFACE talvane_${_below}_headers)
  endforeach()
endfunction()

# talvane_layer_private(TARGET LAYER)
# Lets TARGET, built from LAYER's sources, see LAYER's private headers.
function(talvane_layer_private target layer)
  target_include_directories(${target} PRIVATE ${TALVANE_PRIVATE_STAGE_DIR}/${layer})
endfunction()
