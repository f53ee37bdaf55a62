# `make install` (cmake --install build --prefix PREFIX, DESTDIR honoured) and `make package`
# (CPack's DEB generator): both programs, the desktop entry, the icon in the hicolor theme (SVG
# and PNG sizes), the AppStream metainfo, the man pages, bash completion for vconv and the
# package's copyright and changelog, in the places the desktop and Debian look for them.
include(GNUInstallDirs)

install(TARGETS vconv RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET videoconverter)
    install(TARGETS videoconverter RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${CMAKE_SOURCE_DIR}/data/videoconverter.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/videoconverter.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# PNG sizes of the icon for the places that take no SVG, rendered at build time.
set(vc_icon_sizes 16 22 24 32 48 64 128 256)
find_program(VC_RSVG_CONVERT rsvg-convert)
set(vc_generated ${CMAKE_BINARY_DIR}/data)
set(vc_data_outputs "")
if(VC_RSVG_CONVERT)
    foreach(size ${vc_icon_sizes})
        set(png ${vc_generated}/icons/${size}x${size}/videoconverter.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${vc_generated}/icons/${size}x${size}
            COMMAND ${VC_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${CMAKE_SOURCE_DIR}/data/videoconverter.svg
            DEPENDS ${CMAKE_SOURCE_DIR}/data/videoconverter.svg
            COMMENT "Rendering the ${size}x${size} icon")
        list(APPEND vc_data_outputs ${png})
        install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
else()
    message(WARNING "rsvg-convert (Debian package librsvg2-bin) not found: the PNG icons are left out")
endif()

# Man pages and the changelog compressed as Debian wants them (gzip -9n: no name, no time stamp).
foreach(page vconv videoconverter)
    set(gz ${vc_generated}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${gz}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${vc_generated}/man
        COMMAND ${CMAKE_SOURCE_DIR}/cmake/gzip_n.sh ${CMAKE_SOURCE_DIR}/data/man/${page}.1 ${gz}
        DEPENDS ${CMAKE_SOURCE_DIR}/data/man/${page}.1 ${CMAKE_SOURCE_DIR}/cmake/gzip_n.sh
        COMMENT "Compressing the man page of ${page}")
    list(APPEND vc_data_outputs ${gz})
    install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

configure_file(${CMAKE_SOURCE_DIR}/data/videoconverter.metainfo.xml
    ${vc_generated}/com.velvox.videoconverter.metainfo.xml @ONLY)
install(FILES ${vc_generated}/com.velvox.videoconverter.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/data/completion/vconv
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

configure_file(${CMAKE_SOURCE_DIR}/data/package/changelog ${vc_generated}/changelog @ONLY)
set(changelog_gz ${vc_generated}/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/gzip_n.sh ${vc_generated}/changelog ${changelog_gz}
    DEPENDS ${vc_generated}/changelog
    COMMENT "Compressing the package changelog")
list(APPEND vc_data_outputs ${changelog_gz})
install(FILES ${changelog_gz} ${CMAKE_SOURCE_DIR}/data/package/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/videoconverter)
add_custom_target(vc_data ALL DEPENDS ${vc_data_outputs})

# Installing into a scratch DESTDIR puts every file where it belongs and nowhere else.
add_test(NAME install_into_destdir
    COMMAND ${CMAKE_SOURCE_DIR}/tests/install/check_install.sh ${CMAKE_BINARY_DIR})
set_tests_properties(install_into_destdir PROPERTIES LABELS integration-install TIMEOUT 120)

# --- the Debian package -------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME videoconverter)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Velvox)
set(CPACK_PACKAGE_CONTACT "Video Converter developers <videoconverter@velvox.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop video and audio converter")
# The summary is the synopsis; CPack indents these lines and marks the empty one as a paragraph.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Pick sources, pick a profile from a catalogue, add filters, mark a start and
an end in a preview, and let the program convert in the background, several
conversions at once, into a history of categories.

The package holds the Qt desktop program videoconverter and the
command-line front end vconv.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # videoconverter_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Chinese interface needs a CJK font; Qt's own dialogs their translations; Wayland sessions
# the Qt Wayland platform.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei, qt6-translations-l10n, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_THREADS 2)
include(CPack)

# The package built, installed into this machine, run, validated and purged. It changes /usr, so
# it runs alone; it skips where it cannot (not Debian, not root, installed already).
add_test(NAME package_install_purge
    COMMAND ${CMAKE_SOURCE_DIR}/tests/install/check_package.sh ${CMAKE_BINARY_DIR})
set_tests_properties(package_install_purge PROPERTIES LABELS integration-package TIMEOUT 900
    RUN_SERIAL TRUE RESOURCE_LOCK system_packages SKIP_RETURN_CODE 77)
