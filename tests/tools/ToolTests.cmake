# The command's parts are tested one by one too, and the install test puts
# this build into a temporary prefix and builds the example against it.
target_link_libraries(test_tools PRIVATE xpstext_parts)
set(example_flags "")
if(FIXRD_SANITIZE)
  set(example_flags "-fsanitize=address,undefined")
endif()
target_compile_definitions(test_tools PRIVATE
  FIXRD_BUILD_ROOT="${CMAKE_BINARY_DIR}"
  FIXRD_CMAKE_COMMAND="${CMAKE_COMMAND}"
  FIXRD_CXX_COMPILER="${CMAKE_CXX_COMPILER}"
  FIXRD_C_COMPILER="${CMAKE_C_COMPILER}"
  FIXRD_INSTALL_LIBDIR="${CMAKE_INSTALL_LIBDIR}"
  FIXRD_EXAMPLE_FLAGS="${example_flags}")
