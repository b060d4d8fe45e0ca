# What `cmake --install` lays out under the prefix, and the Debian packages
# CPack makes of it (tools/package): split as Debian splits G'MIC, `tessel`
# with all but the GIMP plug-in, and `gimp-tessel` with the plug-in alone,
# which needs the GIMP it was built for.

set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME tessel)

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

# A GIMP plug-in lies beside the module, where it finds it as the command
# does; GIMP's system plug-in folder (taken under our prefix) holds a relative
# link to it, named as GIMP wants it: plug-ins/tessel-gimp/tessel-gimp for
# GIMP 2.10, plug-ins/tessel-gimp3/tessel-gimp3 for GIMP 3.
foreach(plugin tessel-gimp tessel-gimp3)
  if(NOT TARGET ${plugin})
    continue()
  endif()
  find_package(PkgConfig REQUIRED)
  get_target_property(gimp_module ${plugin} TESSEL_GIMP_MODULE)
  get_target_property(TESSEL_GIMP_VERSIONS ${plugin} TESSEL_GIMP_VERSIONS)
  pkg_get_variable(gimp_prefix ${gimp_module} prefix)
  pkg_get_variable(gimp_libdir ${gimp_module} gimplibdir)
  file(RELATIVE_PATH gimp_libdir ${gimp_prefix} ${gimp_libdir})
  set(gimp_plugin_dir ${gimp_libdir}/plug-ins/${plugin})
  install(TARGETS ${plugin} RUNTIME DESTINATION ${TESSEL_INSTALL_MODULEDIR} COMPONENT gimp)
  file(RELATIVE_PATH gimp_link_target /${gimp_plugin_dir} /${TESSEL_INSTALL_MODULEDIR})
  install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${gimp_plugin_dir}/${plugin}\")
    message(STATUS \"Installing: \${link}\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${gimp_plugin_dir}\")
    file(CREATE_LINK \"${gimp_link_target}/$<TARGET_FILE_NAME:${plugin}>\" \"\${link}\" SYMBOLIC)"
    COMPONENT gimp)
endforeach()

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
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL tessel)
set(CPACK_PACKAGE_NAME tessel)
set(CPACK_PACKAGE_VENDOR "Tessel developers")
set(CPACK_PACKAGE_CONTACT "Tessel developers")
set(CPACK_DEBIAN_TESSEL_PACKAGE_NAME tessel)
string(CONCAT CPACK_COMPONENT_TESSEL_DESCRIPTION "line-art flatting filter: a colour of its own for every region\n"
    "Tessel finds every region of one colour (white by default) in a line-art page\n"
    "and floods each with a colour of its own, random or from a swatch file. The\n"
    "tessel command runs the filter module on PNG, TIFF and JPEG pages, one or a\n"
    "folder at a time, exactly as an image editor runs it. This package also holds\n"
    "libtessel, its C interface, and the Krita plug-in.")
set(CPACK_DEBIAN_TESSEL_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_TESSEL_PACKAGE_SUGGESTS "gimp-tessel, krita")
if(DEFINED TESSEL_GIMP_VERSIONS)
  list(APPEND CPACK_COMPONENTS_ALL gimp)
  set(CPACK_DEBIAN_GIMP_PACKAGE_NAME gimp-tessel)
  string(CONCAT CPACK_COMPONENT_GIMP_DESCRIPTION "line-art flatting filter for GIMP\n"
      "Filters > Artistic > Tessel and Tessel Flats in GIMP: the Tessel filter module\n"
      "on the open image, exactly as the tessel command runs it.")
  set(CPACK_DEBIAN_GIMP_PACKAGE_DEPENDS
      "tessel (= ${PROJECT_VERSION}-1), ${TESSEL_GIMP_VERSIONS}")
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The libraries the programs and the module link, found by dpkg-shlibdeps
# (GNUstep's brings its window back end along; libgimp, GIMP's).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
