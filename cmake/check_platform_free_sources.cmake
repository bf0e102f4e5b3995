# Run as cmake -DSOURCE_DIR=... -P check_platform_free_sources.cmake: fails,
# naming file and line, where a file of the client's logic (src/client outside
# its qt/ and win32/ folders, with app/ left to main()) or of the shared
# encoding and protocol folders includes a platform header or names Qt's types.
file(GLOB_RECURSE candidates
     ${SOURCE_DIR}/src/client/*.h ${SOURCE_DIR}/src/client/*.cpp
     ${SOURCE_DIR}/src/encoding/*.h ${SOURCE_DIR}/src/encoding/*.cpp
     ${SOURCE_DIR}/src/protocol/*.h ${SOURCE_DIR}/src/protocol/*.cpp)
set(offences "")
foreach(file IN LISTS candidates)
  file(RELATIVE_PATH relative ${SOURCE_DIR} ${file})
  if(relative MATCHES "/(qt|win32)/" OR relative MATCHES "^src/client/app/")
    continue()
  endif()
  file(STRINGS ${file} lines REGEX
       "#include <(Q[A-Za-z]+|windows\\.h|winhttp\\.h|commctrl\\.h|shellapi\\.h|mmsystem\\.h)>|\\bQ(String|StringView|ByteArray|StringList|Object|Url)\\b")
  foreach(line IN LISTS lines)
    string(APPEND offences "\n  ${relative}: ${line}")
  endforeach()
endforeach()
if(offences)
  message(FATAL_ERROR "the client's logic names a platform:${offences}")
endif()
message(STATUS "the client's logic names no platform (${SOURCE_DIR})")
