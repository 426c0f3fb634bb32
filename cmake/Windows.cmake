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
)
target_compile_definitions(tarvik_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
    WINVER=0x0601)
target_link_libraries(tarvik_win32 PUBLIC tarvik_core tarvik_os windowscodecs ole32 oleaut32
    uuid comctl32 comdlg32 shell32 shlwapi gdi32 user32)

# Resources: the built-in skin and logo, the icon, the hand pointer, the version.
configure_file(resources/win/tarvik.rc.in ${CMAKE_BINARY_DIR}/tarvik.rc @ONLY)
add_executable(tarvik WIN32 src/main_win32.cpp ${CMAKE_BINARY_DIR}/tarvik.rc)
target_link_libraries(tarvik PRIVATE tarvik_win32)
# The release program ships without its symbols.
target_link_options(tarvik PRIVATE $<$<CONFIG:Release>:-s>)

tarvik_program_folder(tarvik)

if(TARVIK_BUILD_TESTS)
    enable_testing()
    # Debian ships GoogleTest as source: built here with the cross compiler.
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    add_subdirectory(tests/backends/win32)
endif()
