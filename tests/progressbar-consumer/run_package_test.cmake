# The package test: installs the progress bar's runtime and development
# components into a fresh prefix, checks what landed there and the pkg-config
# file, then configures, builds and runs the consumer project against it.
#
#   cmake -DBUILD_DIR=... -DCONSUMER_DIR=... -DWORK_DIR=... -DCXX=... [-DCXX_FLAGS=...]
#         [-DLAUNCHER=...] -P run_package_test.cmake
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
foreach(component ProgressBarRuntime ProgressBarDevelopment)
  run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component ${component})
endforeach()

file(GLOB_RECURSE installed RELATIVE ${prefix} ${prefix}/*)
foreach(wanted include/quorvel/progressbar/progress_bar_widget.h
               include/quorvel/progressbar/progressbar_export.h
               cmake/QuorvelProgressBar/QuorvelProgressBarConfig.cmake
               cmake/QuorvelProgressBar/QuorvelProgressBarConfigVersion.cmake
               pkgconfig/quorvel-progressbar.pc libQuorvelProgressBar.so.1)
  set(found FALSE)
  foreach(file IN LISTS installed)
    if(file MATCHES "${wanted}$")
      set(found TRUE)
    endif()
  endforeach()
  if(NOT found)
    message(FATAL_ERROR "not installed: ${wanted}\ninstalled: ${installed}")
  endif()
endforeach()
foreach(file IN LISTS installed)
  if(file MATCHES "include/" AND file MATCHES "(bar_renderer|pixel_kernels|stored_value)\\.h$")
    message(FATAL_ERROR "an internal header was installed: ${file}")
  endif()
endforeach()

# pkg-config finds the package from wherever the prefix lies.
file(GLOB_RECURSE pc_file ${prefix}/*/quorvel-progressbar.pc)
get_filename_component(pc_dir "${pc_file}" DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
run(pkg-config --cflags --libs quorvel-progressbar)
if(NOT out MATCHES "-I[^ ]*prefix/[^ ]*include" OR NOT out MATCHES "-lQuorvelProgressBar")
  message(FATAL_ERROR "pkg-config gave: ${out}")
endif()

set(configure ${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/build -G Ninja
              -DCMAKE_BUILD_TYPE=Debug -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX}
              "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}")
if(LAUNCHER)
  list(APPEND configure -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
endif()
run(${configure})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build -j 2)
run(${WORK_DIR}/build/progressbar_consumer)
message(STATUS "consumer: ${out}")
