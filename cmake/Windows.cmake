# SPDX-License-Identifier: MIT
# The Windows program: the core over the Win32 backend, one statically linked .exe.
add_library(tarvik_win32 STATIC
    src/backends/win32/Win32Common.cpp
    src/backends/win32/Win32MainWindow.cpp
    src/backends/win32/Win32Screen.cpp
    src/backends/win32/Win32PictureCodec.cpp
    src/backends/win32/Win32Dialogs.cpp
    src/backends/win32/Win32Shell.cpp
    src/backends/win32/Win32Clipboard.cpp
    src/backends/win32/Win32MenuService.cpp
    src/backends/win32/Win32TipWindow.cpp
    src/backends/win32/Win32Dialog.cpp
    src/backends/win32/Win32OptionsDialog.cpp
    src/backends/win32/Win32AboutBox.cpp
    src/backends/win32/Win32WindowFactory.cpp
    src/backends/win32/Win32Version.cpp
)
target_compile_definitions(tarvik_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
    WINVER=0x0601)
target_link_libraries(tarvik_win32 PUBLIC tarvik_core tarvik_os windowscodecs ole32 oleaut32
    uuid comctl32 comdlg32 shell32 shlwapi gdi32 user32 version)

# Resources: the built-in skin and logo, the icon, the hand pointer, the version.
configure_file(resources/win/tarvik.rc.in ${CMAKE_BINARY_DIR}/tarvik.rc @ONLY)
add_executable(tarvik WIN32 src/main_win32.cpp ${CMAKE_BINARY_DIR}/tarvik.rc)
target_link_libraries(tarvik PRIVATE tarvik_win32)
# The release program ships without its symbols.
target_link_options(tarvik PRIVATE $<$<CONFIG:Release>:-s>)

tarvik_program_folder(tarvik)

# The distribution (scripts/package-windows): the program folder as a zip, and an NSIS
# installer holding the same files.
set(TARVIK_WIN_ZIP ${CMAKE_BINARY_DIR}/tarvik-${PROJECT_VERSION}-windows.zip)
set(TARVIK_WIN_SETUP ${CMAKE_BINARY_DIR}/tarvik-${PROJECT_VERSION}-setup.exe)
set(dist ${CMAKE_BINARY_DIR}/dist/Tarvik)
file(GLOB skin_files CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/skins ${CMAKE_SOURCE_DIR}/skins/*)
list(TRANSFORM skin_files PREPEND ${CMAKE_SOURCE_DIR}/skins/ OUTPUT_VARIABLE skin_paths)
# The installer's file list, so that the uninstaller removes exactly what was installed.
set(install "!macro InstallFiles\n    SetOutPath \"$INSTDIR\"\n")
set(remove "!macro RemoveFiles\n")
foreach(file tarvik.exe readme.htm)
    string(APPEND install "    File \"${dist}/${file}\"\n")
    string(APPEND remove "    Delete \"$INSTDIR\\${file}\"\n")
endforeach()
string(APPEND install "    SetOutPath \"$INSTDIR\\skins\"\n")
foreach(file ${skin_files})
    string(APPEND install "    File \"${dist}/skins/${file}\"\n")
    string(APPEND remove "    Delete \"$INSTDIR\\skins\\${file}\"\n")
endforeach()
string(APPEND install "    SetOutPath \"$INSTDIR\"\n!macroend\n")
string(APPEND remove "    RMDir \"$INSTDIR\\skins\"\n!macroend\n")
file(WRITE ${CMAKE_BINARY_DIR}/installer-files.nsh "${install}${remove}")
find_program(MAKENSIS makensis)
add_custom_command(OUTPUT ${TARVIK_WIN_ZIP} ${TARVIK_WIN_SETUP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${dist}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dist}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:tarvik> ${CMAKE_SOURCE_DIR}/help/readme.htm ${dist}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/skins ${dist}/skins
    COMMAND ${CMAKE_COMMAND} -E rm -f ${TARVIK_WIN_ZIP}
    COMMAND ${CMAKE_COMMAND} -E chdir ${dist}/.. ${CMAKE_COMMAND} -E tar cf ${TARVIK_WIN_ZIP} --format=zip Tarvik
    COMMAND ${MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DFILES=${CMAKE_BINARY_DIR}/installer-files.nsh
        -DICON=${CMAKE_SOURCE_DIR}/resources/win/tarvik.ico -DOUTFILE=${TARVIK_WIN_SETUP}
        ${CMAKE_SOURCE_DIR}/packaging/windows/tarvik.nsi
    DEPENDS tarvik ${CMAKE_SOURCE_DIR}/help/readme.htm ${skin_paths}
        ${CMAKE_SOURCE_DIR}/packaging/windows/tarvik.nsi ${CMAKE_BINARY_DIR}/installer-files.nsh
    VERBATIM)
add_custom_target(tarvik_distribution DEPENDS ${TARVIK_WIN_ZIP} ${TARVIK_WIN_SETUP})

if(TARVIK_BUILD_TESTS)
    enable_testing()
    # Debian ships GoogleTest as source: built here with the cross compiler.
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    add_subdirectory(tests/backends/win32)
endif()
