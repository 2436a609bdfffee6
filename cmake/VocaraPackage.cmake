# The Debian package: `cpack -G DEB` in the build folder (scripts/package) makes
# vocara_<version>_<arch>.deb with the installed tree under /usr. Its dependencies on shared
# libraries are computed by dpkg-shlibdeps (Qt's platform and SVG plugins come with the Qt
# libraries it finds); what is only wanted at run time is recommended.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vocara)
set(CPACK_PACKAGE_VENDOR "The Vocara developers")
set(CPACK_PACKAGE_CONTACT "The Vocara developers <vocara@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "designer and simulator for IVR call flows")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vocara draws interactive voice response call flows as trees of typed nodes,\n"
    "saves them as flow files or exports them as Asterisk dialplans that carry the\n"
    "flow, and runs them in a built-in simulator with a telephone keypad, prompts,\n"
    "database queries, mail and speech. vocara-cli validates, converts and\n"
    "simulates flows from scripts, and receives dialplans on the Asterisk machine.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsqliteodbc, ca-certificates, pulseaudio | pipewire-pulse")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "asterisk")
# The program looks for its plugin beside itself, not on the system's library path.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
