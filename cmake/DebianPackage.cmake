# The Debian package (cpack -G DEB): the program in /usr/bin, its LHA library in its private
# library folder and the font alias in its shared data folder, where the program looks for them.
install(TARGETS brevan-update RUNTIME DESTINATION bin)
install(TARGETS unlha32 LIBRARY DESTINATION lib/brevan-update)
install(FILES ${CMAKE_BINARY_DIR}/brevan-fonts.conf DESTINATION share/brevan-update)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION share/doc/brevan-update)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brevan-update)
# All four parts of the program's version, as the Windows zips carry it.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Valtern")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Brevan update program for Linux")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Brevan update maintainers <brevan-update@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Depends from the shared libraries the program and its library actually link (dpkg-shlibdeps),
# plus the font the window's alias names.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic")
include(CPack)
