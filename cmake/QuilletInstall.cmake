# Installation and the Debian package.

# At install time this file is included again to install the icon. Icon
# themes only look in their listed sizes, so an icon of another size is
# centred on a white 48 x 48 square, the colour of its own background.
if(DEFINED QUILLET_INSTALLING_ICON)
  set(icon ${QUILLET_INSTALLING_ICON})
  if(NOT EXISTS ${icon})
    message(WARNING "No icon at ${icon}: the build did not draw it; installing without an icon")
    return()
  endif()
  file(READ ${icon} ihdr OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING "${ihdr}" 0 8 w)
  string(SUBSTRING "${ihdr}" 8 8 h)
  math(EXPR w "0x${w}")
  math(EXPR h "0x${h}")
  set(size "")
  if(w EQUAL h)
    foreach(standard 16 22 24 32 36 48 64 72 96 128 192 256 512)
      if(w EQUAL standard)
        set(size ${w})
      endif()
    endforeach()
  endif()
  if(size)
    set(source ${icon})
  elseif(QUILLET_CONVERT AND w LESS_EQUAL 48 AND h LESS_EQUAL 48)
    set(size 48)
    set(source ${QUILLET_ICON_WORK}/quillet.png)
    file(MAKE_DIRECTORY ${QUILLET_ICON_WORK})
    execute_process(COMMAND ${QUILLET_CONVERT} ${icon} -background white -gravity center
                            -extent 48x48 ${source} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "Could not centre the ${w} x ${h} icon on 48 x 48")
    endif()
  else()
    message(FATAL_ERROR "The icon is ${w} x ${h} pixels: no icon-theme size fits it")
  endif()
  file(INSTALL DESTINATION /usr/share/icons/hicolor/${size}x${size}/apps TYPE FILE FILES ${source})
  return()
endif()
#
# The program folder is self-contained (executable, Common/, ruffle/, the
# Flash plugin) and goes to /opt/quillet/ as a whole; /usr/bin/quillet links
# to the executable, which finds its files beside its resolved path. The
# desktop entry, the icon and the AppStream metainfo go to /usr/share.
# Destinations are absolute on purpose: the folder layout is fixed, whatever
# CMAKE_INSTALL_PREFIX says. DESTDIR still applies.

set(QUILLET_INSTALL_DIR /opt/quillet)
set(QUILLET_APP_ID org.quillet.Quillet)
set(QUILLET_PLAYSHARE_DIR /var/opt/Playshare)
set(QUILLET_SHARED_GAME_DIR ${QUILLET_PLAYSHARE_DIR}/pbox)

# Everything the build put into the program folder, except test programs.
install(DIRECTORY ${QUILLET_BIN_DIR}/
  DESTINATION ${QUILLET_INSTALL_DIR}
  USE_SOURCE_PERMISSIONS
  DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                        WORLD_READ WORLD_EXECUTE
  PATTERN "*_test" EXCLUDE
  PATTERN "*_bench" EXCLUDE)
# The fallback game folder exists even when the build left it empty.
install(DIRECTORY DESTINATION ${QUILLET_INSTALL_DIR}/Common)

# A relative link keeps working when the whole tree is staged under DESTDIR.
set(quillet_link ${CMAKE_BINARY_DIR}/install/quillet)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install)
file(CREATE_LINK ../../opt/quillet/quillet ${quillet_link} SYMBOLIC)
install(FILES ${quillet_link} DESTINATION /usr/bin)

install(FILES ${PROJECT_SOURCE_DIR}/dist/${QUILLET_APP_ID}.desktop DESTINATION /usr/share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/dist/${QUILLET_APP_ID}.metainfo.xml DESTINATION /usr/share/metainfo)

# Downloads go to the shared game folder. A user other than root cannot
# create it under /var/opt, so the package makes it, root's, writable by
# everyone and sticky like /tmp: each user may add games but not remove,
# rename or replace another's, so a movie once there stays what its owner
# fetched. That is safe for every user because a download never opens an
# existing name: it writes a file of its own, made exclusively, and renames it
# over the target, which in a sticky folder fails on another user's entry and
# never follows a link (see src/launch/moviefile.cpp). Its parent is root's
# alone, so that the folder itself cannot be swapped for a link. The package's
# postinst sets both again on a machine where they were made before.
install(DIRECTORY DESTINATION ${QUILLET_PLAYSHARE_DIR}
  DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                        WORLD_READ WORLD_EXECUTE)
install(DIRECTORY DESTINATION ${QUILLET_SHARED_GAME_DIR}
  DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_WRITE GROUP_EXECUTE
                        WORLD_READ WORLD_WRITE WORLD_EXECUTE)
install(CODE "execute_process(COMMAND chmod 1777 \"\$ENV{DESTDIR}${QUILLET_SHARED_GAME_DIR}\")")

# The icon is drawn at build time (build/share/quillet.png) in its own size;
# installing it runs the icon section at the top of this file.
find_program(QUILLET_CONVERT convert)
install(CODE "
  set(QUILLET_INSTALLING_ICON \"${CMAKE_BINARY_DIR}/share/quillet.png\")
  set(QUILLET_ICON_WORK \"${CMAKE_BINARY_DIR}/install/icon\")
  set(QUILLET_CONVERT \"${QUILLET_CONVERT}\")
  include(\"${CMAKE_CURRENT_LIST_FILE}\")
")

# The Debian package. Its library dependencies come from dpkg-shlibdeps; the
# rest is what the program needs but does not link: Qt's X11 platform plugin,
# Chromium (the player process), a Song-style Chinese font and xdg-open for
# the help page.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillet developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillet shows a narrow, always-on-top sidebar that lists small Flash games\nby category. A click downloads a game from the game server or plays it\nfull-screen through the Ruffle Flash emulator.")
set(CPACK_PACKAGE_CONTACT "The Quillet developers <quillet@localhost>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, chromium, fonts-arphic-uming | fonts-arphic-gbsn00lp")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
# Destinations are absolute; staging through DESTDIR keeps them so, and a
# prefix of / keeps CPack from adding an empty usr/local.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /)
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/dist/debian/postinst
    ${PROJECT_SOURCE_DIR}/dist/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
