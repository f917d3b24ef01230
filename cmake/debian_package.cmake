# The Debian package, made in the build folder with `cpack -G DEB` from what `cmake --install`
# installs (cmake/install.cmake). Its dependencies are computed from the libraries the programs
# link (dpkg-shlibdeps, from dpkg-dev); its binaries are stripped.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TRUBKOM_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR Trubkom)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL https://trubkom.example/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue of mobile phones with shop prices")
# The extended description, in lines short enough for Debian's tools.
set(CPACK_PACKAGE_DESCRIPTION "Trubkom shows a catalogue of mobile phones in Russian. Pick a brand and see
its models with their average price over the shops; open a model's page with
its features, pictures and the shops' offers; collect models in a basket and
compare them side by side; let the question wizard narrow the models down
step by step.

The catalogue is brought up to date with signed update packages from the
publisher's update server or from a local folder. On its first start the
program copies the demo catalogue it comes with into the user's data folder
and works there.

The package also holds trubkom-catalogue, which shows, updates and publishes
catalogues from the command line.")
if(TRUBKOM_DEMO_KEYS)
  string(APPEND CPACK_PACKAGE_DESCRIPTION "

This build trusts the demo publisher's keys, whose secret half is public: it
applies update packages that anyone can make. It is meant for trying the
program, not for a real catalogue. The demo update packages come with it in
/usr/share/trubkom/demo-updates, for the update dialog's local folder.")
endif()
# The two packages install the same files: one replaces the other.
if(TRUBKOM_DEMO_KEYS)
  set(other_package trubkom)
else()
  set(other_package trubkom-demo)
endif()
set(CPACK_DEBIAN_PACKAGE_CONFLICTS ${other_package})
set(CPACK_DEBIAN_PACKAGE_REPLACES ${other_package})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TRUBKOM_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs in the user's language (the program loads them when they are there).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${TRUBKOM_FOLDER_PERMISSIONS})
include(CPack)
