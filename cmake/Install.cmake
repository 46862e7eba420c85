# make install: the command, the module with its companions and the host
# library in one library folder (the host finds the others beside itself),
# the host API headers under include/fixrd, a pkg-config file, a CMake package
# (fixrd::host) and the manual page.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS xpstext RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS fixrd-host FIXRD pkgrd mkparse LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
# The worker of isolated reading lives with the libraries, where the host finds it.
install(TARGETS fixrd-worker RUNTIME DESTINATION ${CMAKE_INSTALL_LIBDIR})

# Every header of the host, so a header that a public one starts to include is
# installed with it.
file(GLOB FIXRD_HOST_HEADERS CONFIGURE_DEPENDS ${FIXRD_SOURCE_ROOT}/host/*.h)
install(FILES ${FIXRD_HOST_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/fixrd)
install(FILES ${FIXRD_SOURCE_ROOT}/Readers/fixrd/frame/HostInterfaces.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/fixrd/frame)

# Both package files locate the prefix from where they are installed.
set(FIXRD_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
set(FIXRD_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/fixrd)
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(FIXRD_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
  set(FIXRD_CONFIG_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH to_prefix "/p/${FIXRD_PKGCONFIG_DIR}" "/p")
  string(REGEX REPLACE "/$" "" to_prefix "${to_prefix}")
  set(FIXRD_PC_PREFIX "\${pcfiledir}/${to_prefix}")
  file(RELATIVE_PATH to_prefix "/p/${FIXRD_CMAKE_DIR}" "/p")
  string(REGEX REPLACE "/$" "" to_prefix "${to_prefix}")
  set(FIXRD_CONFIG_PREFIX "\${CMAKE_CURRENT_LIST_DIR}/${to_prefix}")
endif()
# A folder given as an absolute path stays absolute in both files.
foreach(kind LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${kind}}")
    set(FIXRD_PC_${kind} "${CMAKE_INSTALL_${kind}}")
    set(FIXRD_CONFIG_${kind} "${CMAKE_INSTALL_${kind}}")
  else()
    set(FIXRD_PC_${kind} "\${prefix}/${CMAKE_INSTALL_${kind}}")
    set(FIXRD_CONFIG_${kind} "\${_fixrd_prefix}/${CMAKE_INSTALL_${kind}}")
  endif()
endforeach()
set(FIXRD_DL_FLAG "")
foreach(lib ${CMAKE_DL_LIBS})
  string(APPEND FIXRD_DL_FLAG " -l${lib}")
endforeach()
string(STRIP "${FIXRD_DL_FLAG}" FIXRD_DL_FLAG)
configure_file(${CMAKE_CURRENT_LIST_DIR}/fixrd.pc.in ${CMAKE_BINARY_DIR}/install/fixrd.pc @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/fixrdConfig.cmake.in ${CMAKE_BINARY_DIR}/install/fixrdConfig.cmake @ONLY)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/install/fixrdConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/install/fixrd.pc DESTINATION ${FIXRD_PKGCONFIG_DIR})
install(FILES ${CMAKE_BINARY_DIR}/install/fixrdConfig.cmake ${CMAKE_BINARY_DIR}/install/fixrdConfigVersion.cmake
  DESTINATION ${FIXRD_CMAKE_DIR})

install(FILES ${CMAKE_SOURCE_DIR}/man/xpstext.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
