# Packages made by cpack in a build folder: a Debian package (cpack -G DEB) of everything that
# `cmake --install` installs, and for the Windows build a ZIP of the .exe files with a README.

set(CPACK_PACKAGE_NAME pelmora)
set(CPACK_PACKAGE_VENDOR "The Pelmora contributors")
set(CPACK_PACKAGE_CONTACT "The Pelmora contributors <pelmora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and converter for CD-i IFF pictures")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x86_64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/README-windows.txt DESTINATION . RENAME README.txt)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
else()
  set(CPACK_GENERATOR DEB)
  # Debian wants the licence as the package's copyright file, and a changelog.
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog
                 @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
    COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/debian/changelog
    DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog VERBATIM)
  add_custom_target(changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)
  install(FILES ${CMAKE_BINARY_DIR}/debian/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgdk-pixbuf2.0-bin, shared-mime-info")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "dragndrop shows CD-i IFF pictures (DYUV, CLUT8, CLUT7,
CLUT4, RL7 and RL3) exactly as the classic viewer did, or as CD-i players
showed them; imag2png converts them to PNG or PPM, and png2imag makes them from
PNG images. A gdk-pixbuf loader and a thumbnailer entry let GTK programs and
file managers show them.")
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://pelmora.example.org/")

  # The loader is registered with gdk-pixbuf when the package is installed or removed.
  find_package(PkgConfig REQUIRED)
  pkg_get_variable(PIXBUF_QUERY_LOADERS gdk-pixbuf-2.0 gdk_pixbuf_query_loaders)
  foreach(script postinst postrm)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/${script}.in ${CMAKE_BINARY_DIR}/debian/${script}
                   @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                          GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endforeach()
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/postinst
                                         ${CMAKE_BINARY_DIR}/debian/postrm)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()

include(CPack)
