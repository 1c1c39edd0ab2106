# Installation: the two programs, the files the program reads at run time, and what a Linux desktop
# expects of an application: the menu entry, the project file type, the icon, the AppStream
# metainfo, the manual pages and bash completion. `cmake --install` and the package use these rules;
# everything belongs to the component "curvana".

include(GNUInstallDirs)

set(CURVANA_APP_ID com.morvane.Curvana)
set(CURVANA_DESKTOP_SOURCE "${CMAKE_CURRENT_SOURCE_DIR}/desktop")
set(CURVANA_DESKTOP_BUILD "${CMAKE_CURRENT_BINARY_DIR}/desktop")
set(CURVANA_INSTALL_DATADIR "${CMAKE_INSTALL_DATADIR}/curvana")

install(TARGETS curvana-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT curvana)
install(FILES "${CURVANA_DESKTOP_SOURCE}/curvana-cli.bash" RENAME curvana-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT curvana)

# Manual pages, with the program's version, compressed as Debian keeps them.
set(CURVANA_MAN_PAGES curvana-cli.1)
if(CURVANA_GUI)
  list(APPEND CURVANA_MAN_PAGES curvana.1)
endif()
foreach(page IN LISTS CURVANA_MAN_PAGES)
  configure_file("${CURVANA_DESKTOP_SOURCE}/${page}" "${CURVANA_DESKTOP_BUILD}/${page}" @ONLY)
  add_custom_command(OUTPUT "${CURVANA_DESKTOP_BUILD}/${page}.gz"
                     COMMAND gzip -9 -n -f -k "${page}"
                     DEPENDS "${CURVANA_DESKTOP_BUILD}/${page}"
                     WORKING_DIRECTORY "${CURVANA_DESKTOP_BUILD}"
                     VERBATIM)
  list(APPEND CURVANA_MAN_OUTPUTS "${CURVANA_DESKTOP_BUILD}/${page}.gz")
endforeach()
add_custom_target(curvana_man_pages ALL DEPENDS ${CURVANA_MAN_OUTPUTS})
install(FILES ${CURVANA_MAN_OUTPUTS} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT curvana)

if(CURVANA_GUI)
  install(TARGETS curvana RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT curvana)
  install(FILES ${CURVANA_HELP_SOURCE} DESTINATION ${CURVANA_INSTALL_DATADIR} COMPONENT curvana)
  # The program looks for its data there, as a path relative to its own folder.
  file(RELATIVE_PATH CURVANA_DATA_FROM_BIN "/${CMAKE_INSTALL_BINDIR}" "/${CURVANA_INSTALL_DATADIR}")
  set_property(SOURCE src/gui/app/ProgramFiles.cpp APPEND PROPERTY COMPILE_DEFINITIONS
               CURVANA_DATA_FROM_BIN="${CURVANA_DATA_FROM_BIN}")

  install(FILES "${CURVANA_DESKTOP_SOURCE}/${CURVANA_APP_ID}.desktop"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT curvana)
  install(FILES "${CURVANA_DESKTOP_SOURCE}/${CURVANA_APP_ID}.xml"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages COMPONENT curvana)
  install(FILES "${CURVANA_DESKTOP_SOURCE}/${CURVANA_APP_ID}.metainfo.xml"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT curvana)

  # The icon: the drawing in the SVG file, and pictures of every usual size drawn by the program's
  # own code at build time.
  install(FILES "${CURVANA_DESKTOP_SOURCE}/${CURVANA_APP_ID}.svg"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT curvana)
  set(CURVANA_ICON_SIZES 16 22 24 32 48 64 128 256)
  add_executable(curvana-render-icons desktop/RenderIcons.cpp)
  target_link_libraries(curvana-render-icons PRIVATE curvana_gui)
  target_compile_options(curvana-render-icons PRIVATE ${CURVANA_WARNINGS})
  set(CURVANA_ICON_FILES)
  foreach(size IN LISTS CURVANA_ICON_SIZES)
    list(APPEND CURVANA_ICON_FILES "${CURVANA_DESKTOP_BUILD}/icons/${size}x${size}/apps/${CURVANA_APP_ID}.png")
  endforeach()
  add_custom_command(OUTPUT ${CURVANA_ICON_FILES}
                     COMMAND curvana-render-icons "${CURVANA_DESKTOP_BUILD}/icons" ${CURVANA_APP_ID}
                             ${CURVANA_ICON_SIZES}
                     DEPENDS curvana-render-icons
                     VERBATIM)
  add_custom_target(curvana_icons ALL DEPENDS ${CURVANA_ICON_FILES})
  install(DIRECTORY "${CURVANA_DESKTOP_BUILD}/icons/"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor COMPONENT curvana)
endif()
