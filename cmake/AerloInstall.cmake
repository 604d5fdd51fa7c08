# Installing (cmake --install, make install): the bundle tree as built under <prefix>/lib/aerlo, the launcher
# <prefix>/bin/aerlo, the desktop entry, the icon theme's icons and the AppStream metainfo. `cpack -G DEB` in the
# build folder makes a Debian package from the same rules.

set(AERLO_APPLICATION_ID com.norvane.AerloOffline)
set(AERLO_INSTALL_CONTENTS lib/aerlo/Aerlo.app/Contents)
set(packaging ${CMAKE_SOURCE_DIR}/Packaging)

# A program or library of the bundle, found at run time beside the bundle's libraries: its run path is relative
# to where it lies (`frameworks` is the path from its folder to Contents/Frameworks). A run path the target's
# own rules set is kept.
function(aerlo_install_bundled target destination frameworks)
  get_target_property(runPath ${target} INSTALL_RPATH)
  if(NOT runPath)
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${frameworks}")
  endif()
  install(TARGETS ${target} RUNTIME DESTINATION ${destination} LIBRARY DESTINATION ${destination})
endfunction()

foreach(library Foundation XPC Kit SMCPlatform SystemPlatform QVToolsKit QVToolsKitUI)
  aerlo_install_bundled(${library} ${AERLO_INSTALL_CONTENTS}/Frameworks .)
endforeach()
# The application, and beside it the stand-ins of the system tools it runs.
foreach(program Aerlo system_profiler top say)
  aerlo_install_bundled(${program} ${AERLO_INSTALL_CONTENTS}/MacOS ../Frameworks)
endforeach()
aerlo_install_bundled(AerloControlHelper
  ${AERLO_INSTALL_CONTENTS}/Library/LoginItems/AerloControlHelper.app/Contents/MacOS ../../../../../Frameworks)
aerlo_install_bundled(com.norvane.AerloOffline.SMC.Helper ${AERLO_INSTALL_CONTENTS}/Library/LaunchServices
  ../../Frameworks)

install(FILES ${AERLO_BUNDLE_CONTENTS}/Info.json DESTINATION ${AERLO_INSTALL_CONTENTS})
install(FILES ${CMAKE_SOURCE_DIR}/AerloControlHelper/Info.json
  DESTINATION ${AERLO_INSTALL_CONTENTS}/Library/LoginItems/AerloControlHelper.app/Contents)
install(DIRECTORY ${AERLO_BUNDLE_CONTENTS}/Resources DESTINATION ${AERLO_INSTALL_CONTENTS})

# The launcher: a link, so that the program finds its bundle (and its libraries) through its real path.
install(CODE "
  set(launcher \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/aerlo\")
  message(STATUS \"Installing: \${launcher}\")
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
  file(CREATE_LINK ../${AERLO_INSTALL_CONTENTS}/MacOS/Aerlo \"\${launcher}\" SYMBOLIC)")

# The desktop's view of the application: entry, icons, metainfo.
set(AERLO_DESKTOP_DATA ${CMAKE_BINARY_DIR}/share)
set(icons ${AERLO_DESKTOP_DATA}/icons/hicolor)
add_custom_command(OUTPUT ${icons}/128x128/apps/${AERLO_APPLICATION_ID}.png
  COMMAND appicons ${CMAKE_SOURCE_DIR}/Resources/Images/AppIcon@2x.png ${icons} ${AERLO_APPLICATION_ID}
  DEPENDS appicons ${CMAKE_SOURCE_DIR}/Resources/Images/AppIcon@2x.png
  COMMENT "Application icons"
  VERBATIM)
configure_file(${packaging}/${AERLO_APPLICATION_ID}.metainfo.xml.in
  ${AERLO_DESKTOP_DATA}/metainfo/${AERLO_APPLICATION_ID}.metainfo.xml @ONLY)
configure_file(${packaging}/${AERLO_APPLICATION_ID}.desktop ${AERLO_DESKTOP_DATA}/applications/${AERLO_APPLICATION_ID}.desktop
  COPYONLY)
configure_file(${packaging}/${AERLO_APPLICATION_ID}.svg ${icons}/scalable/apps/${AERLO_APPLICATION_ID}.svg COPYONLY)
add_custom_target(AerloDesktopData ALL DEPENDS ${icons}/128x128/apps/${AERLO_APPLICATION_ID}.png)
install(DIRECTORY ${AERLO_DESKTOP_DATA}/ DESTINATION share)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME aerlo)
set(CPACK_PACKAGE_VENDOR Norvane)
set(CPACK_PACKAGE_CONTACT "Norvane <aerlo@norvane.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Fan control and sensor monitor for Mac hardware")
set(CPACK_PACKAGE_INSTALL_DIRECTORY aerlo)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The display's platform plugins are no library the programs link.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pkexec")
include(CPack)
