# Install rules of the client and of the bundled catalogue service.
#
# The client reads Skin/Skin.she and mp3/mp3.mp3 from the folder of its own
# resolved executable, so the executable and both asset folders live together
# in a private folder (lib/quorvel) and bin/quorvel is a relative symbolic link
# to it.  Two components: Client (package quorvel) and Service (package
# quorvel-catalogue-service).
include(GNUInstallDirs)

set(QUORVEL_INSTALL_PROGRAMDIR "${CMAKE_INSTALL_LIBDIR}/quorvel"
    CACHE STRING "Private folder of the client and its assets, relative to the prefix")
set(QUORVEL_INSTALL_UNITDIR "lib/systemd/system"
    CACHE STRING "Folder of the systemd unit, relative to the prefix")
set(QUORVEL_APP_ID "org.quorvel.Quorvel")

install(TARGETS quorvel RUNTIME DESTINATION "${QUORVEL_INSTALL_PROGRAMDIR}" COMPONENT Client)
# The same asset list the build copies beside the program.
get_directory_property(quorvel_assets DIRECTORY "${PROJECT_SOURCE_DIR}/src/client/app"
                       DEFINITION QUORVEL_ASSET_FILES)
if(NOT quorvel_assets)
  message(FATAL_ERROR "src/client/app no longer names the client's assets in QUORVEL_ASSET_FILES")
endif()
foreach(asset IN LISTS quorvel_assets)
  get_filename_component(asset_folder "${asset}" DIRECTORY)
  install(FILES "${PROJECT_SOURCE_DIR}/assets/${asset}"
          DESTINATION "${QUORVEL_INSTALL_PROGRAMDIR}/${asset_folder}" COMPONENT Client)
endforeach()

file(RELATIVE_PATH quorvel_bin_to_program
     "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${QUORVEL_INSTALL_PROGRAMDIR}/quorvel")
install(CODE "
  set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/quorvel\")
  message(STATUS \"Installing: \${link} -> ${quorvel_bin_to_program}\")
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK \"${quorvel_bin_to_program}\" \"\${link}\" SYMBOLIC)
" COMPONENT Client)

# Desktop integration.
install(FILES "${PROJECT_SOURCE_DIR}/packaging/${QUORVEL_APP_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications" COMPONENT Client)
# The screenshot of the metainfo must be a web address; the README's picture is
# expected under the project's site.
set(QUORVEL_HOMEPAGE_URL "https://quorvel.org" CACHE STRING "The project's web site (metainfo)")
configure_file("${PROJECT_SOURCE_DIR}/packaging/${QUORVEL_APP_ID}.metainfo.xml"
               "${PROJECT_BINARY_DIR}/packaging/${QUORVEL_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/packaging/${QUORVEL_APP_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo" COMPONENT Client)
foreach(size 16 32 48 64 128 256)
  install(FILES "${PROJECT_SOURCE_DIR}/packaging/icons/quorvel-${size}.png"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
          RENAME quorvel.png COMPONENT Client)
endforeach()

# The service under a name of its own: "catalogue-service" alone could be
# anybody's.  install(PROGRAMS) because install(TARGETS) cannot rename; the
# service links no library of this project, so no run path is needed.
install(PROGRAMS "$<TARGET_FILE:catalogue-service>"
        DESTINATION "${CMAKE_INSTALL_BINDIR}" RENAME quorvel-catalogue-service COMPONENT Service)
# install(PROGRAMS) leaves stripping to us (cmake --install --strip).
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\"
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/quorvel-catalogue-service\")
  endif()
" COMPONENT Service)
install(FILES "${PROJECT_SOURCE_DIR}/packaging/quorvel-catalogue-service.service"
              "${PROJECT_SOURCE_DIR}/packaging/quorvel-catalogue-service@.service"
        DESTINATION "${QUORVEL_INSTALL_UNITDIR}" COMPONENT Service)

# Manual pages: roff kept in docs/man; the client's names the hosts and the
# folder of this build.
set(QUORVEL_INSTALL_FULL_PROGRAMDIR "${CMAKE_INSTALL_PREFIX}/${QUORVEL_INSTALL_PROGRAMDIR}")
configure_file("${PROJECT_SOURCE_DIR}/docs/man/quorvel.1.in" "${PROJECT_BINARY_DIR}/man/quorvel.1"
               @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/man/quorvel.1"
        DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT Client)
install(FILES "${PROJECT_SOURCE_DIR}/docs/man/quorvel-catalogue-service.1"
        DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT Service)

# Every target that installs something, so that a build for installing alone
# (debian/rules, the package test's) need not build the gallery, tests or
# benchmarks.
add_custom_target(quorvel_packaged)
add_dependencies(quorvel_packaged quorvel catalogue-service)
foreach(target IN ITEMS QuorvelProgressBar quorvel_progressbar_designer quorvel_progressbar_quickplugin)
  if(TARGET ${target})
    add_dependencies(quorvel_packaged ${target})
  endif()
endforeach()
