# The Debian package, made by CPack's DEB generator from what cmake --install
# puts in place (scripts/package builds it). Library dependencies come from
# dpkg-shlibdeps; what is run or loaded without being linked is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tralcon)
set(CPACK_PACKAGE_VENDOR "Tralcon")
set(CPACK_PACKAGE_CONTACT "Tralcon developers <tralcon@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator for NVT-3 traffic-signal controllers")
# The long description; CPack indents it and puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tralcon describes a signalised crossroad as a project: controllers and \
their lamp outputs, directions and signals, conflicts, phases with their \
computed intermediate steps, working cycles and day, week and year plans. It \
checks the signal program, compiles one flash image per controller and \
programs the controllers over a serial line. With the command-line tool \
tralcon-cli and an emulated controller, nvt-controller-sim.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The passport runs chmcmd (fp-utils), which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fp-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
