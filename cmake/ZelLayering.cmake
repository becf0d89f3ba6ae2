# The layering rule, enforced by the build: code above platform/ sees only the platform's
# public include folders (platform/*/include: the Windows, Direct3D 9, timer and sound
# headers and each library's extension header). Every folder includes from the repository
# root, where a platform internal ("platform/d3d9/gl_device.h") would be found too; so every
# target above the platform gets a fence folder ahead of the root, holding for each internal
# header a file of the same path that stops the compile with a message. The platform's own
# libraries, their tests (tests/platform) and the fuzz targets of its readers see internals.
#
# Call zel16_enforce_layering() once, after every folder has been added.

# For tests and benchmarks above the platform only: the recording device they draw on,
# with the state and memory types its interface shows; the dialog template parser, to check
# the program's own dialog resource; GTK's start-up, for the locale test.
set(ZEL16_LAYERING_TEST_SUPPORT
  "^platform/d3d9/recording/[a-z_]*\\.h$"
  "^platform/d3d9/(com_object|device_state|resource_memory)\\.h$"
  "^platform/win32/(dialog_template|gtk_support)\\.h$")
# Folders whose targets may see every internal.
set(ZEL16_LAYERING_INSIDE "^(platform|tests/platform|fuzz)(/|$)")

set(ZEL16_FENCE_DIR ${CMAKE_BINARY_DIR}/layering)

function(zel16_matches_any value out)
  set(${out} FALSE PARENT_SCOPE)
  foreach(pattern IN LISTS ARGN)
    if(value MATCHES "${pattern}")
      set(${out} TRUE PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

# Writes the fence folders: "program" for the program's code and tools, "tests" for the tests
# and benchmarks above the platform (which may use the test support above).
function(zel16_write_fences)
  file(REMOVE_RECURSE ${ZEL16_FENCE_DIR})  # a header made public or removed leaves no stale stub
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/platform/*.h)
  foreach(header IN LISTS headers)
    if(header MATCHES "/include/")
      continue()
    endif()
    set(message "${header} is internal to the platform layer: code above it includes only the public headers of platform/*/include (<windows.h>, <d3d9.h>, <fmod.h>, <zel_d3d9_ext.h>, ...)")
    file(WRITE ${ZEL16_FENCE_DIR}/program/${header} "#error \"${message}\"\n")
    zel16_matches_any(${header} support ${ZEL16_LAYERING_TEST_SUPPORT})
    if(NOT support)
      file(WRITE ${ZEL16_FENCE_DIR}/tests/${header} "#error \"${message}\"\n")
    endif()
  endforeach()
endfunction()

# Puts the fence of its kind ahead of the include path of every target in `dir` and below.
function(zel16_fence_folder dir)
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${dir})
  if(rel MATCHES "${ZEL16_LAYERING_INSIDE}")
    return()
  endif()
  if(rel MATCHES "^(tests|bench)(/|$)")
    set(fence ${ZEL16_FENCE_DIR}/tests)
  else()
    set(fence ${ZEL16_FENCE_DIR}/program)
  endif()
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY" AND NOT type STREQUAL "UTILITY")
      target_include_directories(${target} BEFORE PRIVATE ${fence})
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    zel16_fence_folder(${subdir})
  endforeach()
endfunction()

function(zel16_enforce_layering)
  zel16_write_fences()
  get_property(subdirs DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    zel16_fence_folder(${subdir})
  endforeach()
endfunction()
