# Checks of the layering that the include roots enforce (cmake/Build.cmake):
# for each pair, a probe compiled with the library's include roots must not
# find the header of a library above it. The build fails where one does, so
# a dependency added in the wrong direction shows at once.

set(layering_probe ${CMAKE_BINARY_DIR}/layering_probe.cpp)
file(WRITE ${layering_probe}.new
  "// A library must not see the header LAYERING_ABOVE of a library above it.\n"
  "#if __has_include(LAYERING_ABOVE)\n"
  "#error \"the include roots let a lower library see a higher one\"\n"
  "#endif\n")
file(COPY_FILE ${layering_probe}.new ${layering_probe} ONLY_IF_DIFFERENT)

# wendrel_layering(<library> <header of a higher library>...)
function(wendrel_layering lib)
  if(NOT TARGET ${lib})
    return()
  endif()
  set(n 0)
  foreach(header IN LISTS ARGN)
    math(EXPR n "${n} + 1")
    set(probe layering_${lib}_${n})
    add_library(${probe} OBJECT ${layering_probe})
    target_link_libraries(${probe} PRIVATE ${lib})
    target_compile_definitions(${probe} PRIVATE LAYERING_ABOVE="${header}")
  endforeach()
endfunction()

wendrel_layering(textengine util/pathutil.h scheme/scheme.h)
wendrel_layering(appprofile app/pavin_doc.h app/base/winutil.h)
wendrel_layering(appdoc app/pavin_doc.h)
wendrel_layering(editcore editctrl/edit_ctrl.h)
wendrel_layering(gridcore grid/grid_ctrl.h)
wendrel_layering(viewcore view/pavin_view.h)
wendrel_layering(framework editctrl/edit_ctrl.h app/base/winutil.h)
wendrel_layering(editctrl grid/grid_ctrl.h app/base/winutil.h)
wendrel_layering(appbase app/pavin_doc.h editctrl/edit_ctrl.h)
wendrel_layering(app view/pavin_view.h program/pavin_app.h)
wendrel_layering(view program/pavin_app.h)
wendrel_layering(grep app/pavin_doc.h view/pavin_view.h)
