# Everything `cmake --install` puts beside the programs, and the Debian
# package that CPack makes of it (`cpack -G DEB` in the build folder, or
# tools/make-package.sh).

# Man pages and the changelog go in compressed, as Debian installs them; -n
# keeps the archives free of time stamps so that builds are reproducible.
find_program(MV_GZIP gzip REQUIRED)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
set(MV_GZIPPED)
foreach(source man/metrovane.1 man/metrovane-gui.1 packaging/changelog)
  get_filename_component(name ${source} NAME)
  set(target ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(OUTPUT ${target}
                     COMMAND ${MV_GZIP} -9n -c ${CMAKE_SOURCE_DIR}/${source} > ${target}
                     DEPENDS ${CMAKE_SOURCE_DIR}/${source}
                     COMMENT "Compressing ${source}")
  list(APPEND MV_GZIPPED ${target})
endforeach()
add_custom_target(metrovane_docs ALL DEPENDS ${MV_GZIPPED})

install(FILES ${CMAKE_BINARY_DIR}/packaging/metrovane.1.gz ${CMAKE_BINARY_DIR}/packaging/metrovane-gui.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES completions/metrovane.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME metrovane)
install(FILES completions/metrovane.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME metrovane-gui)
install(FILES completions/_metrovane DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
# Debian looks for them under the package's name, not the project's.
install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/metrovane)

# The package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME metrovane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarvold Metrovane")
set(CPACK_PACKAGE_CONTACT "Tarvold Metrovane maintainers <maintainers@users.noreply.c-seed-db2ab879.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converts EMF and WMF metafiles into DXF drawings")
set(CPACK_PACKAGE_DESCRIPTION
    "Tarvold Metrovane turns vector pictures stored as Enhanced Metafiles (EMF)\n"
    "and placeable Windows Metafiles (WMF) into DXF drawings of version R14 or\n"
    "R2000, one DXF file per input, in batches.\n"
    "\n"
    "The package holds the command line program metrovane, the German desktop\n"
    "window metrovane-gui (Qt 6) and the Python module metrovane.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the shared-library scan cannot see: Qt's platform plugins are loaded at
# run time, the Python module is loaded by Debian's python3 (3.11), and texts
# are measured with whatever fonts fontconfig finds.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, fonts-liberation, qt6-translations-l10n, python3 (>= 3.11), python3 (<< 3.12)")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-ezdxf, python3-distributed")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
