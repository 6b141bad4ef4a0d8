# Installation as a Linux desktop expects it: the program in bin/, its desktop entry, AppStream
# metainfo and hicolor icons under share/, and the udev rule that lets the seat's user open the
# wheel without root. Included from app/CMakeLists.txt once the program's target exists.
include(GNUInstallDirs)

set(KESTREL_APP_ID org.kestrel.Customiser)
set(kestrel_app_data ${PROJECT_SOURCE_DIR}/app/data)

if(TARGET kestrel-customiser)
  install(TARGETS kestrel-customiser RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Uncompressed: a distribution's packaging compresses man pages its own way.
install(FILES ${kestrel_app_data}/kestrel-customiser.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${kestrel_app_data}/${KESTREL_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${kestrel_app_data}/${KESTREL_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# One PNG per size folder of assets/icons (16x16 ... 256x256), each into the theme's own folder.
file(GLOB kestrel_icon_sizes LIST_DIRECTORIES true RELATIVE ${PROJECT_SOURCE_DIR}/assets/icons
  ${PROJECT_SOURCE_DIR}/assets/icons/*x*)
foreach(size IN LISTS kestrel_icon_sizes)
  set(icon ${PROJECT_SOURCE_DIR}/assets/icons/${size}/${KESTREL_APP_ID}.png)
  if(EXISTS ${icon})
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps)
  endif()
endforeach()

# udev reads rules from its own folder, which udev.pc names (/usr/lib/udev or /lib/udev). The
# folder is kept relative to the install prefix, so --prefix /usr lands in the system folder
# and a staging prefix gets the same layout; a distributor may set an absolute folder instead.
set(kestrel_udev_dir lib/udev)
pkg_get_variable(kestrel_udevdir_from_pc udev udevdir)
if(kestrel_udevdir_from_pc)
  string(REGEX REPLACE "^/(usr/)?" "" kestrel_udev_dir "${kestrel_udevdir_from_pc}")
endif()
set(KESTREL_UDEV_RULES_DIR ${kestrel_udev_dir}/rules.d CACHE STRING
  "Folder the udev rule is installed to; relative paths are under the install prefix")
install(FILES ${kestrel_app_data}/70-kestrel.rules DESTINATION ${KESTREL_UDEV_RULES_DIR})
