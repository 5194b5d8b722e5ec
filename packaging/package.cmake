# The Debian package, built by `make package` (cpack -G DEB in the release
# build) from the install rules of packaging/install.cmake.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plicato)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Plicato developers")
set(CPACK_PACKAGE_CONTACT "Plicato developers <plicato@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "folding text editor for program sources")
set(CPACK_PACKAGE_DESCRIPTION
    "Plicato shows a source file as a hierarchy of folds, stored as comment lines\n\
with fold markers in the file's own language, so the file stays valid source.\n\
It reads and writes the binary fold files of the Transputer Development\n\
System, runs compilers and make with captured output, shows a fold tree and\n\
prints. plicato-fold reads, prints and converts fold files on the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the programs link (the Qt 6 runtime, libc, libstdc++)
# are found by dpkg-shlibdeps; Qt loads its platform plugins at run time, so
# those are named here. The stand-in make library runs make, and File > Send
# runs xdg-email.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET plicato_gui)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "make, xdg-utils")
endif()
# The stand-in libraries are the program's own, loaded from its directory.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
