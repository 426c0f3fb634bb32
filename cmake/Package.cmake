# SPDX-License-Identifier: MIT
# The installed layout: the program folder under <prefix>/lib/tarvik with the program, and
# links there to its skins and help page, which live with the other architecture-independent
# data under <prefix>/share/tarvik; <prefix>/bin/tarvik links to the program. The desktop
# files are named by the application id.
set(TARVIK_APP_ID org.tarvik.Tarvik)

install(TARGETS tarvik RUNTIME DESTINATION lib/tarvik)
install(DIRECTORY skins/ DESTINATION share/tarvik/skins)
install(FILES help/readme.htm DESTINATION share/tarvik)
install(CODE [[
    set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
    file(MAKE_DIRECTORY "${root}/bin")
    file(CREATE_LINK ../lib/tarvik/tarvik "${root}/bin/tarvik" SYMBOLIC)
    foreach(name skins readme.htm)
        file(REMOVE_RECURSE "${root}/lib/tarvik/${name}")
        file(CREATE_LINK "../../share/tarvik/${name}" "${root}/lib/tarvik/${name}" SYMBOLIC)
    endforeach()
]])

install(FILES packaging/${TARVIK_APP_ID}.desktop DESTINATION share/applications)
install(FILES packaging/${TARVIK_APP_ID}.metainfo.xml DESTINATION share/metainfo)
foreach(size 16 24 32 48 64 128 256)
    install(FILES resources/icons/tarvik-${size}.png
        DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${TARVIK_APP_ID}.png)
endforeach()
install(FILES resources/icons/tarvik.svg
    DESTINATION share/icons/hicolor/scalable/apps RENAME ${TARVIK_APP_ID}.svg)

# The manual page and the Debian changelog, compressed as Debian installs them.
configure_file(packaging/tarvik.1.in ${CMAKE_BINARY_DIR}/tarvik.1 @ONLY)
configure_file(packaging/debian/changelog ${CMAKE_BINARY_DIR}/changelog.Debian COPYONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/tarvik.1.gz ${CMAKE_BINARY_DIR}/changelog.Debian.gz
    COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/tarvik.1 ${CMAKE_BINARY_DIR}/changelog.Debian
    DEPENDS ${CMAKE_BINARY_DIR}/tarvik.1 ${CMAKE_BINARY_DIR}/changelog.Debian VERBATIM)
add_custom_target(tarvik_docs ALL
    DEPENDS ${CMAKE_BINARY_DIR}/tarvik.1.gz ${CMAKE_BINARY_DIR}/changelog.Debian.gz)
install(FILES ${CMAKE_BINARY_DIR}/tarvik.1.gz DESTINATION share/man/man1)
install(FILES packaging/debian/copyright ${CMAKE_BINARY_DIR}/changelog.Debian.gz
    DESTINATION share/doc/tarvik)
install(FILES packaging/debian/lintian-overrides DESTINATION share/lintian/overrides RENAME tarvik)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvik)
set(CPACK_PACKAGE_VENDOR "The Tarvik developers")
set(CPACK_PACKAGE_CONTACT "The Tarvik developers <${TARVIK_MAIL_ADDRESS}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "capture a phone-display-sized piece of the screen")
set(CPACK_PACKAGE_DESCRIPTION [[
Tarvik shows a skinned window in the shape of a mobile phone whose display
is a see-through hole. Move it over the screen and click a soft key to save
what shows through the display as a JPEG or BMP file.

Skins give the phone its look: a picture and a short text file each.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TARVIK_WEB_SITE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its X11 and Wayland platform plugins at run time: no library links to them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland")
# On Wayland the screen is read through the desktop's screenshot portal.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-desktop-portal")
# Earlier packages had a skins folder where the link now is: dpkg swaps it on upgrade.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/debian/preinst
    ${CMAKE_SOURCE_DIR}/packaging/debian/postinst ${CMAKE_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
