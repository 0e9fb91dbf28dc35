# The Windows installer (scripts/package-windows): CPack's NSIS generator
# with the project's own template (cmake/windows/NSIS.template.in, a 64-bit
# installer). It installs bin/quorla-hd.exe (and bin/quorla-hd-cli.exe, the
# command line, once it is built) and the marker that makes the copy save to
# the Downloads folder, adds a Start-menu entry, an uninstaller with a Start-
# menu entry of its own and the uninstall entry of Windows' program list; its
# finish page offers to start the program. The portable zip is made by
# scripts/windows-downloads, without the marker, from the programs listed in
# portable-programs.txt.
list(PREPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake/windows)

set(QUORLA_DISPLAY_NAME "Quorla高清地址获取器")
set(CPACK_GENERATOR NSIS)
# One installer with every component in it (the window's and the command
# line's), no component page.
set(CPACK_MONOLITHIC_INSTALL ON)
set(CPACK_PACKAGE_NAME quorla-hd)
set(CPACK_PACKAGE_VENDOR "The Quorla developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${QUORLA_DISPLAY_NAME}: ${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_FILE_NAME quorla-hd-${PROJECT_VERSION}-windows-x64-setup)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Quorla HD")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY quorla-hd)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)

set(CPACK_NSIS_PACKAGE_NAME "${QUORLA_DISPLAY_NAME}")
set(CPACK_NSIS_DISPLAY_NAME "${QUORLA_DISPLAY_NAME}")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/desktop/${APP_ID}.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/desktop/${APP_ID}.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\quorla-hd.exe")
set(CPACK_NSIS_URL_INFO_ABOUT ${PROJECT_HOMEPAGE_URL})
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY bin)
# The Start-menu entry: bin/quorla-hd.exe under the program's name.
set(CPACK_PACKAGE_EXECUTABLES "quorla-hd;${QUORLA_DISPLAY_NAME}")
set(CPACK_NSIS_MUI_FINISHPAGE_RUN quorla-hd.exe)

# The programs of the portable zip, one path a line.
set(portable_programs "$<TARGET_FILE:quorla-hd>\n")
if(TARGET quorla-hd-cli)
  string(APPEND portable_programs "$<TARGET_FILE:quorla-hd-cli>\n")
endif()
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/portable-programs.txt CONTENT "${portable_programs}")
include(CPack)
