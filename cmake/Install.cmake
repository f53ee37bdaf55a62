# `make install` (cmake --install build --prefix PREFIX, DESTDIR honoured): both programs, the
# desktop entry and the icon, in the places the desktop looks for them.
include(GNUInstallDirs)

install(TARGETS vconv RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET videoconverter)
    install(TARGETS videoconverter RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${CMAKE_SOURCE_DIR}/data/videoconverter.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/videoconverter.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Installing into a scratch DESTDIR puts every file where it belongs and nowhere else.
add_test(NAME install_into_destdir
    COMMAND ${CMAKE_SOURCE_DIR}/tests/install/check_install.sh ${CMAKE_BINARY_DIR})
set_tests_properties(install_into_destdir PROPERTIES LABELS integration-install TIMEOUT 120)
