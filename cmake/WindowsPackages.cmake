# The Windows program's two packages, made from one staged folder Quorvel/
# (quorvel.exe stripped, Skin/, mp3/) in this build folder:
#   Quorvel-<version>-win64.zip   the folder as it is, to unpack anywhere
#   Quorvel-<version>-setup.exe   NSIS: a per-user install with a Start-menu
#                                 shortcut and an uninstaller (packaging/windows)
find_program(QUORVEL_MAKENSIS makensis REQUIRED)

set(stage_root ${CMAKE_BINARY_DIR}/stage)
set(stage ${stage_root}/Quorvel)
set(zip ${CMAKE_BINARY_DIR}/Quorvel-${PROJECT_VERSION}-win64.zip)
set(installer ${CMAKE_BINARY_DIR}/Quorvel-${PROJECT_VERSION}-setup.exe)

get_directory_property(assets DIRECTORY ${PROJECT_SOURCE_DIR}/src/client/app
                       DEFINITION QUORVEL_ASSET_FILES)
if(NOT assets)
  message(FATAL_ERROR "src/client/app no longer names the client's assets in QUORVEL_ASSET_FILES")
endif()

add_custom_command(OUTPUT ${stage}/quorvel.exe
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
  COMMAND ${CMAKE_STRIP} -o ${stage}/quorvel.exe $<TARGET_FILE:quorvel>
  DEPENDS quorvel
  COMMENT "Staging quorvel.exe, stripped")
set(staged ${stage}/quorvel.exe)
# The installer's lists of what it puts where and takes away again.
set(install_list "")
set(uninstall_list "")
set(folders "")
foreach(asset IN LISTS assets)
  get_filename_component(folder ${asset} DIRECTORY)
  string(REPLACE "/" "\\" asset_windows "${asset}")
  string(REPLACE "/" "\\" folder_windows "${folder}")
  add_custom_command(OUTPUT ${stage}/${asset}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/assets/${asset} ${stage}/${asset}
    DEPENDS ${PROJECT_SOURCE_DIR}/assets/${asset})
  list(APPEND staged ${stage}/${asset})
  string(APPEND install_list "SetOutPath \"$INSTDIR\\${folder_windows}\"\n"
                             "File \"${stage}/${asset}\"\n")
  string(APPEND uninstall_list "Delete \"$INSTDIR\\${asset_windows}\"\n")
  list(APPEND folders ${folder_windows})
endforeach()
string(PREPEND install_list "File \"${stage}/quorvel.exe\"\n")
string(APPEND install_list "SetOutPath \"$INSTDIR\"\n")
string(APPEND uninstall_list "Delete \"$INSTDIR\\quorvel.exe\"\n")
list(REMOVE_DUPLICATES folders)
foreach(folder IN LISTS folders)
  string(APPEND uninstall_list "RMDir \"$INSTDIR\\${folder}\"\n")
endforeach()
set(lists ${CMAKE_BINARY_DIR}/installer)
file(WRITE ${lists}/install.nsh "${install_list}")
file(WRITE ${lists}/uninstall.nsh "${uninstall_list}")

add_custom_command(OUTPUT ${zip}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip Quorvel
  WORKING_DIRECTORY ${stage_root}
  DEPENDS ${staged}
  COMMENT "Packing ${zip}")
set(nsi ${PROJECT_SOURCE_DIR}/packaging/windows/quorvel.nsi)
add_custom_command(OUTPUT ${installer}
  COMMAND ${QUORVEL_MAKENSIS} -V2 -INPUTCHARSET UTF8
          -DVERSION=${PROJECT_VERSION} -DSTAGE=${stage} -DFILES=${lists}
          -DICON=${PROJECT_SOURCE_DIR}/assets/icon/quorvel.ico -DOUTFILE=${installer} ${nsi}
  DEPENDS ${staged} ${nsi} ${lists}/install.nsh ${lists}/uninstall.nsh
  COMMENT "Making ${installer}")
add_custom_target(quorvel_windows_packages ALL DEPENDS ${zip} ${installer})
