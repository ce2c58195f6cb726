# The probe's snapshot of the shipped sample movie, run from the build's bin
# folder: with a display it writes the picture; without one (no X server for
# Wine, so no window for the movie control) it says it cannot draw, fails and
# writes nothing.
foreach(display IN ITEMS with without)
  set(out probe-${display}-display.bmp)
  file(REMOVE ${out})
  set(run ${WINE} ${PROBE} snapshot Media/Flash/sample.swf ${out})
  if(display STREQUAL "without")
    set(run env -u DISPLAY -u WAYLAND_DISPLAY ${run})
  endif()
  execute_process(COMMAND ${run} RESULT_VARIABLE code OUTPUT_VARIABLE said ERROR_VARIABLE told TIMEOUT 120)
  if(display STREQUAL "with")
    if(NOT code EQUAL 0 OR NOT EXISTS ${out})
      message(FATAL_ERROR "with a display: exit ${code}, ${said}${told}")
    endif()
  elseif(code EQUAL 0 OR EXISTS ${out} OR NOT told MATCHES "can't draw")
    message(FATAL_ERROR "without a display: exit ${code}, ${said}${told}")
  endif()
  file(REMOVE ${out})
endforeach()
