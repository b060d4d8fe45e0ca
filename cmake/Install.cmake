# What `cmake --install` lays out under the prefix, and the Debian package
# CPack makes of it (tools/package).

install(TARGETS tessel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(TESSEL_INSTALL_BUNDLEDIR ${TESSEL_INSTALL_MODULEDIR}/${TESSEL_BUNDLE_NAME})
install(TARGETS Tessel LIBRARY DESTINATION ${TESSEL_INSTALL_BUNDLEDIR}/${TESSEL_BUNDLE_BINARY_SUBDIR})
if(TESSEL_HAVE_COCOA)
  install(TARGETS TesselInterface LIBRARY DESTINATION ${TESSEL_INSTALL_BUNDLEDIR}/${TESSEL_BUNDLE_BINARY_SUBDIR})
  install(FILES ${TESSEL_UI_RESOURCES} DESTINATION ${TESSEL_INSTALL_BUNDLEDIR}/${TESSEL_BUNDLE_RESOURCES_SUBDIR})
  install(TARGETS tessel_picker LIBRARY DESTINATION ${TESSEL_INSTALL_MODULEDIR})
endif()
install(DIRECTORY examples/presets/ DESTINATION ${TESSEL_INSTALL_PRESETSDIR})
install(FILES ${TESSEL_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${TESSEL_BASH_COMPLETION} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME tessel)

# The GIMP plug-in lies beside the module, where it finds it as the command
# does; GIMP's system plug-in folder (taken under our prefix) holds a relative
# link to it, named as GIMP wants it: plug-ins/tessel-gimp/tessel-gimp.
if(TARGET tessel-gimp)
  find_package(PkgConfig REQUIRED)
  pkg_get_variable(TESSEL_GIMP_PREFIX gimp-2.0 prefix)
  pkg_get_variable(TESSEL_GIMP_LIBDIR gimp-2.0 gimplibdir)
  file(RELATIVE_PATH gimp_libdir ${TESSEL_GIMP_PREFIX} ${TESSEL_GIMP_LIBDIR})
  set(gimp_plugin_dir ${gimp_libdir}/plug-ins/tessel-gimp)
  install(TARGETS tessel-gimp RUNTIME DESTINATION ${TESSEL_INSTALL_MODULEDIR})
  file(RELATIVE_PATH gimp_link_target /${gimp_plugin_dir} /${TESSEL_INSTALL_MODULEDIR})
  install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${gimp_plugin_dir}/tessel-gimp\")
    message(STATUS \"Installing: \${link}\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${gimp_plugin_dir}\")
    file(CREATE_LINK \"${gimp_link_target}/$<TARGET_FILE_NAME:tessel-gimp>\" \"\${link}\" SYMBOLIC)")
endif()

# libtessel and its header, where C callers look; the library finds the
# module from where it lies (see host/InstallLayout.h).
install(TARGETS tessel_c LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# The Krita plug-in, in Krita's system pykrita folder, with the path from
# there to libtessel, relative so that a moved install still holds together.
set(krita_plugin_dir ${CMAKE_INSTALL_DATADIR}/krita/pykrita)
install(DIRECTORY krita/tessel_krita DESTINATION ${krita_plugin_dir} PATTERN __pycache__ EXCLUDE)
install(FILES krita/tessel_krita.desktop DESTINATION ${krita_plugin_dir})
file(RELATIVE_PATH krita_library_path /${krita_plugin_dir}/tessel_krita /${CMAKE_INSTALL_LIBDIR}/libtessel.so.1)
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/krita/location.py
     CONTENT "# Written on installing: libtessel, from this folder.\nLIBRARY = \"${krita_library_path}\"\n")
install(FILES ${PROJECT_BINARY_DIR}/krita/location.py DESTINATION ${krita_plugin_dir}/tessel_krita)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessel)
set(CPACK_PACKAGE_VENDOR "Tessel developers")
set(CPACK_PACKAGE_CONTACT "Tessel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "line-art flatting filter: a colour of its own for every region")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Tessel finds every region of one colour (white by default) in a line-art page\n"
    "and floods each with a colour of its own, random or from a swatch file. The\n"
    "tessel command runs the filter module on PNG, TIFF and JPEG pages, one or a\n"
    "folder at a time, exactly as an image editor runs it.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The libraries the programs and the module link, found by dpkg-shlibdeps
# (GNUstep's brings its window back end along).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gimp, krita")
include(CPack)
