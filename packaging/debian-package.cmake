# `cpack -G DEB` in a build folder makes korvalin_<version>_amd64.deb from what `cmake --install`
# puts under /usr. Its dependencies come from the binaries (dpkg-shlibdeps); only what the
# programs load at run time without linking it, the Mesa GL drivers and GTK, is named by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvalin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Korvalin developers")
set(CPACK_PACKAGE_CONTACT "The Korvalin developers <korvalin@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small, fast viewer for 3-D meshes in .msh files")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${CMAKE_CURRENT_LIST_DIR}/description.txt)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1-mesa-dri, libegl-mesa0")
# FLTK loads GTK at run time for the desktop's file chooser, GTK 2 before GTK 3, and falls back
# to its own chooser without either.
# Debian 13 names the libraries with a t64 suffix (the 64-bit time transition).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "shared-mime-info, desktop-file-utils, libgtk2.0-0t64 | libgtk2.0-0 | libgtk-3-0t64 | libgtk-3-0")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)

find_program(GZIP_PROGRAM gzip REQUIRED)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION share/doc/korvalin)
file(GLOB manual_pages ${CMAKE_CURRENT_LIST_DIR}/man/*.1)
foreach(page ${manual_pages})
  get_filename_component(name ${page} NAME)
  execute_process(COMMAND ${GZIP_PROGRAM} -9 -n -c ${page}
    OUTPUT_FILE ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${name}.gz DESTINATION share/man/man1)
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${manual_pages})
# A native package keeps its compressed changelog beside the copyright; made reproducibly.
set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog)
file(WRITE ${changelog} "korvalin (${PROJECT_VERSION}) unstable; urgency=medium

  * Release ${PROJECT_VERSION}.

 -- ${CPACK_PACKAGE_CONTACT}  Mon, 07 Dec 2026 12:00:00 +0000
")
execute_process(COMMAND ${GZIP_PROGRAM} -9 -n -f -k ${changelog})
install(FILES ${changelog}.gz DESTINATION share/doc/korvalin)

include(CPack)
