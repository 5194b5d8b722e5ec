# The installed layout. The programs find their data files (lang.txt,
# help.txt, the .mrk files, the default PLICATO.INI) and the build libraries
# beside their own executable, symbolic links resolved, so they live
# together in one directory, PREFIX/lib/plicato, and PREFIX/bin holds links
# to them:
#
#   bin/plicato -> ../lib/plicato/plicato
#   bin/plicato-fold -> ../lib/plicato/plicato-fold
#   lib/plicato/          the programs, data files and stand-in libraries,
#                         and plicato-desktop, the desktop program plicato
#                         starts (no link in bin: it is run through plicato)
#   share/applications/plicato.desktop
#   share/icons/hicolor/scalable/apps/plicato.svg
#   share/man/man1/plicato.1, plicato-fold.1
#   share/doc/plicato/    README.md and the sample files
set(PLICATO_INSTALL_DIR lib/plicato)
set(PLICATO_PROGRAMS)
foreach(program plicato plicato-fold)
  if(TARGET ${program})
    list(APPEND PLICATO_PROGRAMS ${program})
  endif()
endforeach()

install(TARGETS ${PLICATO_PROGRAMS} RUNTIME DESTINATION ${PLICATO_INSTALL_DIR})
if(TARGET plicato-desktop)
  install(TARGETS plicato-desktop RUNTIME DESTINATION ${PLICATO_INSTALL_DIR})
endif()
install(FILES ${CMAKE_SOURCE_DIR}/resources/lang.txt ${CMAKE_SOURCE_DIR}/resources/help.txt
              ${CMAKE_SOURCE_DIR}/resources/PLICATO.INI
        DESTINATION ${PLICATO_INSTALL_DIR})
file(GLOB PLICATO_MARKUP_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.mrk)
install(FILES ${PLICATO_MARKUP_FILES} DESTINATION ${PLICATO_INSTALL_DIR})

# The links are made in the build tree and installed as links (relative,
# so the tree can be moved, and a package unpacked anywhere still works).
set(PLICATO_LINK_DIR ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${PLICATO_LINK_DIR})
foreach(program ${PLICATO_PROGRAMS})
  file(CREATE_LINK ../${PLICATO_INSTALL_DIR}/${program} ${PLICATO_LINK_DIR}/${program} SYMBOLIC)
  install(FILES ${PLICATO_LINK_DIR}/${program} DESTINATION bin)
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/docs/man/plicato.1 ${CMAKE_SOURCE_DIR}/docs/man/plicato-fold.1
        DESTINATION share/man/man1)

if(TARGET plicato_gui)
  install(FILES ${CMAKE_SOURCE_DIR}/src/gui/plicato.desktop DESTINATION share/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/src/gui/icons/plicato.svg
          DESTINATION share/icons/hicolor/scalable/apps)
endif()

install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION share/doc/plicato)
file(GLOB PLICATO_SAMPLE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/samples/*)
install(FILES ${PLICATO_SAMPLE_FILES} DESTINATION share/doc/plicato/examples)
