# The Cocoa interface (GNUstep here), compiled as Objective-C++ with clang++:
# g++'s Objective-C++ cannot run @try/@catch with the C++ personality routine.
# Included from the top level, where the module is linked as Objective-C++.
# Sets TESSEL_HAVE_COCOA and TESSEL_UI_OBJECTS (the module's interface objects).
# Debian 12 keeps GNUstep's headers in /usr/include/GNUstep, Debian 13 in the
# multiarch /usr/include/<triplet>/GNUstep.
find_path(TESSEL_GNUSTEP_INCLUDE AppKit/AppKit.h PATH_SUFFIXES GNUstep)
# GCC's Objective-C runtime (headers and library) lives with GCC, not in the system paths.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=include
                OUTPUT_VARIABLE TESSEL_GCC_INCLUDE OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libobjc.so
                OUTPUT_VARIABLE TESSEL_GCC_LIBOBJC OUTPUT_STRIP_TRAILING_WHITESPACE)
find_library(OBJC_LIBRARY objc HINTS ${TESSEL_GCC_LIBOBJC}/..)
find_library(GNUSTEP_GUI_LIBRARY gnustep-gui)
find_library(GNUSTEP_BASE_LIBRARY gnustep-base)
find_program(TESSEL_CLANGXX clang++)

if(TESSEL_GNUSTEP_INCLUDE AND GNUSTEP_GUI_LIBRARY AND GNUSTEP_BASE_LIBRARY
   AND OBJC_LIBRARY AND TESSEL_CLANGXX)
  set(TESSEL_HAVE_COCOA ON)
  set(CMAKE_OBJCXX_COMPILER ${TESSEL_CLANGXX})
  enable_language(OBJCXX)

  add_library(tessel_ui_cocoa_flags INTERFACE)
  target_compile_options(tessel_ui_cocoa_flags INTERFACE
    -fobjc-runtime=gcc -fobjc-exceptions -fexceptions -fconstant-string-class=NSConstantString)
  target_compile_definitions(tessel_ui_cocoa_flags INTERFACE
    GNUSTEP GNUSTEP_BASE_LIBRARY=1 GNU_GUI_LIBRARY=1 GNU_RUNTIME=1 _NATIVE_OBJC_EXCEPTIONS)
  target_include_directories(tessel_ui_cocoa_flags SYSTEM INTERFACE ${TESSEL_GNUSTEP_INCLUDE} ${TESSEL_GCC_INCLUDE})
  target_link_libraries(tessel_ui_cocoa_flags INTERFACE
    ${GNUSTEP_GUI_LIBRARY} ${GNUSTEP_BASE_LIBRARY} ${OBJC_LIBRARY} ${CMAKE_DL_LIBS})

  # Every window, the bridges and the platform functions.
  file(GLOB TESSEL_UI_COCOA_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.mm)
  add_library(tessel_ui_cocoa OBJECT ${TESSEL_UI_COCOA_SOURCES})
  target_link_libraries(tessel_ui_cocoa PUBLIC tessel_core tessel_ui_cocoa_flags)
  set_target_properties(tessel_ui_cocoa PROPERTIES OBJCXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)

  # The windows in a library of their own beside the module, which loads it
  # only when one is shown.
  add_library(TesselInterface MODULE $<TARGET_OBJECTS:tessel_ui_cocoa> ${CMAKE_CURRENT_LIST_DIR}/ConsoleText.cpp)
  target_include_directories(TesselInterface PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(TesselInterface PRIVATE ${GNUSTEP_GUI_LIBRARY} ${GNUSTEP_BASE_LIBRARY} ${OBJC_LIBRARY} ${CMAKE_DL_LIBS})
  target_link_options(TesselInterface PRIVATE -Wl,--no-undefined
                      -Wl,--version-script=${CMAKE_CURRENT_LIST_DIR}/TesselInterface.map)
  set_property(TARGET TesselInterface APPEND PROPERTY LINK_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/TesselInterface.map)
  set_target_properties(TesselInterface PROPERTIES
    PREFIX ""
    LINKER_LANGUAGE OBJCXX
    LIBRARY_OUTPUT_DIRECTORY ${TESSEL_BUNDLE_DIR}/${TESSEL_BUNDLE_BINARY_SUBDIR})
  add_library(tessel_ui_on_demand OBJECT ${CMAKE_CURRENT_LIST_DIR}/InterfaceOnDemand.cpp)
  target_link_libraries(tessel_ui_on_demand PUBLIC tessel_core)
  target_compile_definitions(tessel_ui_on_demand PRIVATE
    TESSEL_INTERFACE_FILE_NAME="$<TARGET_FILE_NAME:TesselInterface>")
  set(TESSEL_UI_OBJECTS $<TARGET_OBJECTS:tessel_ui_on_demand>)

  # Window resources beside the module, where it looks for them.
  set(TESSEL_UI_RESOURCES)
  foreach(resource Tessel.xib About.xib)
    set(target_file ${TESSEL_BUNDLE_DIR}/${TESSEL_BUNDLE_RESOURCES_SUBDIR}/${resource})
    add_custom_command(OUTPUT ${target_file}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_CURRENT_LIST_DIR}/resources/${resource} ${target_file}
      DEPENDS ${CMAKE_CURRENT_LIST_DIR}/resources/${resource})
    list(APPEND TESSEL_UI_RESOURCES ${target_file})
  endforeach()
  add_custom_target(tessel_ui_resources DEPENDS ${TESSEL_UI_RESOURCES})

  # The host's own colour chooser, in a library of its own beside the
  # module, so that the host programs link no window system.
  add_library(tessel_picker SHARED ${CMAKE_CURRENT_LIST_DIR}/picker/ColorChooser.mm ${CMAKE_CURRENT_LIST_DIR}/ApplicationLoad.mm)
  target_include_directories(tessel_picker PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(tessel_picker PRIVATE TESSEL_APPLICATION_DELEGATE=ComQuarnChooserApplicationDelegate)
  target_link_libraries(tessel_picker PRIVATE tessel_ui_cocoa_flags)
  target_link_options(tessel_picker PRIVATE -Wl,--no-undefined)
  tessel_link_sanitizer_runtimes(tessel_picker)
  set_target_properties(tessel_picker PROPERTIES
    OUTPUT_NAME tessel_picker
    OBJCXX_VISIBILITY_PRESET hidden
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
  set(TESSEL_CHOOSER_FILE_NAME $<TARGET_FILE_NAME:tessel_picker>)
else()
  set(TESSEL_CHOOSER_FILE_NAME "")
  message(STATUS "GNUstep or clang++ not found: the module gets the console interface")
  set(TESSEL_HAVE_COCOA OFF)
  set(TESSEL_UI_OBJECTS $<TARGET_OBJECTS:tessel_ui_console>)
endif()
