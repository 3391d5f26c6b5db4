# Installation and the Debian package. The installed tree has the build tree's layout: programs
# in bin/, the host's libraries in lib/, its image-file module in lib/quillmar/, the plug-ins in
# lib/quillmar/plugins/ (found by the host without any environment variable), the examples and
# icons in share/quillmar/. Every RPATH is relative, so the tree can be moved as a whole.
include(GNUInstallDirs)

set(QM_INSTALL_MODULE_DIR ${CMAKE_INSTALL_LIBDIR}/quillmar)
set(QM_INSTALL_PLUGIN_DIR ${QM_INSTALL_MODULE_DIR}/plugins)
set(QM_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/quillmar)

# qm_install_rpath(TARGET FROM_DIR): the target, installed in FROM_DIR, finds the host library.
function(qm_install_rpath target from_dir)
    file(RELATIVE_PATH relative /${from_dir} /${CMAKE_INSTALL_LIBDIR})
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${relative}")
endfunction()

qm_install_rpath(quillmar ${CMAKE_INSTALL_BINDIR})
qm_install_rpath(quillmar-view ${CMAKE_INSTALL_BINDIR})
qm_install_rpath(quillmar_widgets ${CMAKE_INSTALL_LIBDIR})
qm_install_rpath(quillmar_imagefile ${QM_INSTALL_MODULE_DIR})
qm_install_rpath(Project ${QM_INSTALL_PLUGIN_DIR})

install(TARGETS quillmar quillmar-view RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS quillmar_host quillmar_widgets LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS quillmar_imagefile LIBRARY DESTINATION ${QM_INSTALL_MODULE_DIR})
install(TARGETS Project LIBRARY DESTINATION ${QM_INSTALL_PLUGIN_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Resources/Icons/ DESTINATION ${QM_INSTALL_DATA_DIR}/icons)
get_property(examples GLOBAL PROPERTY QM_EXAMPLE_FILES)
install(FILES ${examples} DESTINATION ${QM_INSTALL_DATA_DIR}/examples)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/guide.md
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillmar)

# cpack -G DEB (configured with CMAKE_INSTALL_PREFIX=/usr, as ./dev.sh package does, so that the
# Python package lands where Debian's python3 looks): run-time dependencies are read off the
# installed binaries by dpkg-shlibdeps (Graphviz's libcgraph6 and libgvc6 among them, which also
# hold the layout and rendering plug-ins that graph pictures use); the viewer also needs Qt's
# platform plug-ins, which no binary names.
set(CPACK_PACKAGE_NAME quillmar)
set(CPACK_PACKAGE_VENDOR "Quillmar")
set(CPACK_PACKAGE_CONTACT "Quillmar developers <quillmar@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Runs saved node-graph projects as single nodes: runner, viewer and the Project plug-in")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The debugging information stays in the build tree.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${PROJECT_BINARY_DIR}/lib ${PROJECT_BINARY_DIR}/lib/quillmar)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
# The Python module's arrays, batch runs and their progress bar.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3, python3-numpy, python3-distributed, python3-tqdm")
include(CPack)
