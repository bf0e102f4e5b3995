# Debian packages with CPack: `cpack -G DEB` in the build folder.
#
#   quorvel                       component Client
#   quorvel-catalogue-service     component Service
#   libquorvelprogressbarN        component ProgressBarRuntime
#   libquorvelprogressbar-dev     component ProgressBarDevelopment
#   quorvel-progressbar-designer  component ProgressBarDesigner
#
# A package is made for each of these components that has install rules; the
# progress bar's become packages as soon as its library installs anything.
# Included last, once every install rule is known.

set(quorvel_known_components
    Client Service ProgressBarRuntime ProgressBarDevelopment ProgressBarDesigner)
get_cmake_property(quorvel_installed_components COMPONENTS)
set(CPACK_COMPONENTS_ALL)
foreach(component IN LISTS quorvel_installed_components)
  if(component IN_LIST quorvel_known_components)
    list(APPEND CPACK_COMPONENTS_ALL ${component})
  else()
    message(WARNING "Install component '${component}' belongs to no package: name one in "
                    "cmake/Packaging.cmake or install under a known component.")
  endif()
endforeach()
set(quorvel_has_progressbar_library OFF)
if(TARGET QuorvelProgressBar AND "ProgressBarRuntime" IN_LIST CPACK_COMPONENTS_ALL)
  set(quorvel_has_progressbar_library ON)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR "Quorvel developers")
set(CPACK_PACKAGE_CONTACT "Quorvel developers <dev@quorvel.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL "${QUORVEL_HOMEPAGE_URL}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

# The client.  Depends: what it cannot work without although no library link
# shows it (Qt's web page helper process, xdg-open for the download addresses,
# a font with the Chinese captions).  Recommends: the music's mp3 decoder, and
# the bundled service when the client was built to ask this machine.
set(CPACK_COMPONENT_CLIENT_DISPLAY_NAME "Quorvel client")
set(CPACK_COMPONENT_CLIENT_DESCRIPTION
    "Browser for a catalogue of game add-ons
Quorvel browses an online catalogue of game add-ons, grouped by game and
served one page at a time by a listing service. It pages, searches by
keyword, filters by one of eighteen games and opens an entry's download
addresses in the default web browser.")
set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME quorvel)
set(CPACK_DEBIAN_CLIENT_PACKAGE_SECTION games)
set(CPACK_DEBIAN_CLIENT_PACKAGE_DEPENDS
    "libqt6webenginecore6-bin, xdg-utils, fonts-wqy-microhei | fonts-noto-cjk | fonts-wqy-zenhei")
if(QUORVEL_LISTING_HOST MATCHES "^(127\\.|localhost|\\[::1\\])")
  set(CPACK_DEBIAN_CLIENT_PACKAGE_RECOMMENDS
      "gstreamer1.0-plugins-good, quorvel-catalogue-service")
else()
  set(CPACK_DEBIAN_CLIENT_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-good")
endif()

set(CPACK_COMPONENT_SERVICE_DISPLAY_NAME "Quorvel catalogue service")
set(CPACK_COMPONENT_SERVICE_DESCRIPTION
    "Listing service for the Quorvel catalogue of game add-ons
Serves the catalogue the Quorvel client browses, over HTTP on loopback
(127.0.0.1:8731) by default, from an SQLite database. Installed as the
systemd service quorvel-catalogue-service, which runs as its own dynamic
user and keeps its database in /var/lib/quorvel-catalogue-service.")
set(CPACK_DEBIAN_SERVICE_PACKAGE_NAME quorvel-catalogue-service)
set(CPACK_DEBIAN_SERVICE_PACKAGE_SECTION net)
set(CPACK_DEBIAN_SERVICE_PACKAGE_CONTROL_EXTRA
    "${PROJECT_SOURCE_DIR}/packaging/debian/quorvel-catalogue-service/postinst"
    "${PROJECT_SOURCE_DIR}/packaging/debian/quorvel-catalogue-service/prerm"
    "${PROJECT_SOURCE_DIR}/packaging/debian/quorvel-catalogue-service/postrm")
set(CPACK_DEBIAN_SERVICE_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The progress bar control as a library for other programs.
set(quorvel_progressbar_soversion 1)
if(TARGET QuorvelProgressBar)
  get_target_property(soversion QuorvelProgressBar SOVERSION)
  if(soversion)
    set(quorvel_progressbar_soversion ${soversion})
  endif()
endif()
set(CPACK_COMPONENT_PROGRESSBARRUNTIME_DESCRIPTION
    "Quorvel's self-drawn progress bar control (shared library)
A progress bar Qt widget with ten colour themes, gradients, rounded corners,
captions with text effects and persistence of its properties.")
set(CPACK_DEBIAN_PROGRESSBARRUNTIME_PACKAGE_NAME "libquorvelprogressbar${quorvel_progressbar_soversion}")
set(CPACK_DEBIAN_PROGRESSBARRUNTIME_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_PROGRESSBARDEVELOPMENT_DESCRIPTION
    "Quorvel's progress bar control (development files)
Headers, CMake package and pkg-config file of the QuorvelProgressBar library.")
set(CPACK_COMPONENT_PROGRESSBARDEVELOPMENT_DEPENDS ProgressBarRuntime)
set(CPACK_DEBIAN_PROGRESSBARDEVELOPMENT_PACKAGE_NAME libquorvelprogressbar-dev)
set(CPACK_DEBIAN_PROGRESSBARDEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PROGRESSBARDEVELOPMENT_PACKAGE_DEPENDS "qt6-base-dev")
set(CPACK_COMPONENT_PROGRESSBARDESIGNER_DESCRIPTION
    "Quorvel's progress bar control for Qt Designer
The Qt Designer plugin that places the QuorvelProgressBar control on forms.")
set(CPACK_COMPONENT_PROGRESSBARDESIGNER_DEPENDS ProgressBarRuntime)
set(CPACK_DEBIAN_PROGRESSBARDESIGNER_PACKAGE_NAME quorvel-progressbar-designer)
set(CPACK_DEBIAN_PROGRESSBARDESIGNER_PACKAGE_SECTION devel)

if(quorvel_has_progressbar_library)
  # The client links the library: it depends on the package of this very
  # build, and dpkg-shlibdeps finds the library in the build tree.
  set(CPACK_COMPONENT_CLIENT_DEPENDS ProgressBarRuntime)
  get_target_property(quorvel_progressbar_dir QuorvelProgressBar LIBRARY_OUTPUT_DIRECTORY)
  if(NOT quorvel_progressbar_dir)
    get_target_property(quorvel_progressbar_dir QuorvelProgressBar BINARY_DIR)
  endif()
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${quorvel_progressbar_dir}")
endif()

# Every target the packages hold, so that a build for packages alone (the
# package test's) need not build the gallery, tests or benchmarks.
add_custom_target(quorvel_packaged)
add_dependencies(quorvel_packaged quorvel catalogue-service)
foreach(target IN ITEMS QuorvelProgressBar quorvel_progressbar_designer)
  if(TARGET ${target})
    add_dependencies(quorvel_packaged ${target})
  endif()
endforeach()

include(CPack)
