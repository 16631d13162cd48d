# quillspur_windows_resources(TARGET DESCRIPTION): gives a Windows program
# its version resource (from project()) and its application manifest, so
# that Programs and Features and inventory tools see the version.
function(quillspur_windows_resources target description)
  set(QS_RC_NAME ${target})
  set(QS_RC_DESCRIPTION ${description})
  set(QS_RC_MANIFEST ${PROJECT_SOURCE_DIR}/cmake/windows/quillspur.manifest)
  # Four fields: 1.0 is 1,0,0,0.
  set(fields)
  foreach(part MAJOR MINOR PATCH TWEAK)
    if(PROJECT_VERSION_${part} STREQUAL "")
      list(APPEND fields 0)
    else()
      list(APPEND fields ${PROJECT_VERSION_${part}})
    endif()
  endforeach()
  list(JOIN fields "," QS_RC_VERSION_COMMAS)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${QS_RC_MANIFEST})
endfunction()
