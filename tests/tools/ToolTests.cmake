# The command's parts are tested one by one too.
target_link_libraries(test_tools PRIVATE xpstext_parts)
set(example_flags "")
if(FIXRD_SANITIZE)
  set(example_flags "-fsanitize=address,undefined")
endif()

# The command as a user runs it: transcripts of shell sessions, each run in
# a fresh folder with the build's programs first on the PATH.
add_executable(make-document tools/transcripts/MakeDocument.cpp cases/CaseFile.cpp)
target_link_libraries(make-document PRIVATE fixrd_test_support)
file(GLOB transcripts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/transcripts/*.t)
foreach(transcript ${transcripts})
  get_filename_component(name ${transcript} NAME_WE)
  add_test(NAME Transcript.${name} COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tools/transcripts/run-transcript ${transcript})
  set_tests_properties(Transcript.${name} PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77 ENVIRONMENT
    "PATH=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}:${CMAKE_CURRENT_SOURCE_DIR}/tools/transcripts:$ENV{PATH};SAMPLE=${CMAKE_SOURCE_DIR}/samples/sample.xps;SOURCE=${CMAKE_SOURCE_DIR};BUILD=${CMAKE_BINARY_DIR};LIBDIR=${CMAKE_INSTALL_LIBDIR};CXX=${CMAKE_CXX_COMPILER};CC=${CMAKE_C_COMPILER};EXAMPLE_FLAGS=${example_flags}")
endforeach()
