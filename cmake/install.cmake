# What `cmake --install` puts where: the library with its SOVERSION links, the public headers,
# a CMake package (tabrix::tabrix) and a pkg-config file, and labelora with its data files.
include(CMakePackageConfigHelpers)

install(TARGETS tabrix EXPORT tabrixTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development)
install(FILES include/tabrix.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/tabrix DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")
install(FILES ${TABRIX_GENERATED_INCLUDE}/tabrix/version.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tabrix)

# The command-line tool goes to bin/ and finds the library beside it from there.
file(RELATIVE_PATH tabrix_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(tabrix_cli PROPERTIES INSTALL_RPATH "$ORIGIN/${tabrix_bin_to_lib}")
install(TARGETS tabrix_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES tools/tabrix.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Python package goes where Debian's python3 looks for modules of the prefix: the shared
# folder for /usr, the interpreter's versioned folder elsewhere (/usr/local among them).
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr" OR NOT EXISTS /usr/bin/python3)
  set(tabrix_python_dir lib/python3/dist-packages)
else()
  execute_process(COMMAND /usr/bin/python3 -c "import sys; print('%d.%d' % sys.version_info[:2])"
    OUTPUT_VARIABLE tabrix_python_version OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(tabrix_python_dir lib/python${tabrix_python_version}/dist-packages)
endif()
set(TABRIX_PYTHON_DIR ${tabrix_python_dir} CACHE PATH
  "Where the tabrix Python package is installed (relative to the prefix, or absolute)")
install(DIRECTORY python/tabrix DESTINATION ${TABRIX_PYTHON_DIR}
  FILES_MATCHING PATTERN "*.py" PATTERN "py.typed" PATTERN "__pycache__" EXCLUDE)
# Like an rpath: the package records the library folder relative to its own.
if(IS_ABSOLUTE "${TABRIX_PYTHON_DIR}")
  set(tabrix_python_full ${TABRIX_PYTHON_DIR}/tabrix)
else()
  set(tabrix_python_full ${CMAKE_INSTALL_PREFIX}/${TABRIX_PYTHON_DIR}/tabrix)
endif()
file(RELATIVE_PATH tabrix_python_to_lib ${tabrix_python_full} ${CMAKE_INSTALL_FULL_LIBDIR})
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/python/_installed.py CONTENT
  "# Written by the install: the library folder, relative to this package.\nLIBRARY_DIR = '@tabrix_python_to_lib@'\n"
  @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/python/_installed.py DESTINATION ${TABRIX_PYTHON_DIR}/tabrix)

set(tabrix_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/tabrix)
install(EXPORT tabrixTargets NAMESPACE tabrix:: DESTINATION ${tabrix_cmake_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/tabrixConfig.cmake.in
  ${PROJECT_BINARY_DIR}/tabrixConfig.cmake INSTALL_DESTINATION ${tabrix_cmake_dir})
# Before 1.0 a new minor version may change the interface.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/tabrixConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/tabrixConfig.cmake
  ${PROJECT_BINARY_DIR}/tabrixConfigVersion.cmake DESTINATION ${tabrix_cmake_dir})

# The .pc file finds the prefix from its own place, so a tree installed with --prefix or
# moved afterwards still works.
file(RELATIVE_PATH tabrix_pc_to_prefix ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig
  ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" tabrix_pc_to_prefix "${tabrix_pc_to_prefix}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/tabrix.pc.in ${PROJECT_BINARY_DIR}/tabrix.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tabrix.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

if(TABRIX_LABELORA)
  # labelora keeps start.txt and the word lists in its program's folder (when writable), so
  # the program and its shipped files go to one folder of their own, and bin/ gets a link.
  # The program finds that folder through /proc/self/exe, which names the link's target.
  set(labelora_dir ${CMAKE_INSTALL_LIBEXECDIR}/labelora)
  file(RELATIVE_PATH labelora_to_lib ${CMAKE_INSTALL_FULL_LIBEXECDIR}/labelora
    ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(labelora PROPERTIES INSTALL_RPATH "$ORIGIN/${labelora_to_lib}")
  install(TARGETS labelora RUNTIME DESTINATION ${labelora_dir})
  install(FILES labelapp/data/start.txt labelapp/data/DB1.txt labelapp/data/DB3.txt
    DESTINATION ${labelora_dir})
  file(RELATIVE_PATH bin_to_labelora ${CMAKE_INSTALL_FULL_BINDIR}
    ${CMAKE_INSTALL_FULL_LIBEXECDIR}/labelora/labelora)
  install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/labelora\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    message(STATUS \"Installing: \${link} -> ${bin_to_labelora}\")
    file(CREATE_LINK \"${bin_to_labelora}\" \"\${link}\" SYMBOLIC)
  ")
endif()
