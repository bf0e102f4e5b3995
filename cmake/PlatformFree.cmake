# The client's logic names no platform: its targets link no Qt and no Win32
# library, and its files include no platform header.  Only the qt/ and win32/
# folders beneath it may.
#
# quorvel_platform_free(TARGET...) records targets to check; at the end of the
# configuration every recorded target's links are walked, through every
# library it brings in, and the configuration fails naming the path to the
# first platform library found.

set_property(GLOBAL PROPERTY QUORVEL_PLATFORM_FREE_TARGETS "")

function(quorvel_platform_free)
  set_property(GLOBAL APPEND PROPERTY QUORVEL_PLATFORM_FREE_TARGETS ${ARGN})
endfunction()

# A library name that belongs to a platform's windowing or toolkit.
function(_quorvel_is_platform_library name out)
  set(hit FALSE)
  if(name MATCHES "^Qt[0-9]*::" OR name MATCHES "(^|/)lib(Qt[0-9]|xcb)"
     OR name MATCHES "^(user32|gdi32|comctl32|shell32|ole32|oleaut32|winhttp|winmm|uxtheme)$")
    set(hit TRUE)
  endif()
  set(${out} ${hit} PARENT_SCOPE)
endfunction()

function(_quorvel_find_platform_link target path out)
  set(found "")
  set(links "")
  foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
    get_target_property(more ${target} ${property})
    if(more)
      list(APPEND links ${more})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES links)
  foreach(link IN LISTS links)
    # Generator expressions such as $<LINK_ONLY:x> keep their library inside.
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
    _quorvel_is_platform_library("${link}" hit)
    if(hit)
      set(found "${path} -> ${link}")
      break()
    endif()
    if(TARGET ${link})
      get_target_property(aliased ${link} ALIASED_TARGET)
      if(aliased)
        set(link ${aliased})
      endif()
      get_target_property(imported ${link} IMPORTED)
      if(NOT imported)
        _quorvel_find_platform_link(${link} "${path} -> ${link}" deeper)
        if(deeper)
          set(found "${deeper}")
          break()
        endif()
      endif()
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

function(_quorvel_check_platform_free)
  get_property(targets GLOBAL PROPERTY QUORVEL_PLATFORM_FREE_TARGETS)
  foreach(target IN LISTS targets)
    _quorvel_find_platform_link(${target} ${target} found)
    if(found)
      message(FATAL_ERROR "${target} must name no platform, yet it links one: ${found}")
    endif()
  endforeach()
endfunction()

cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL _quorvel_check_platform_free)
