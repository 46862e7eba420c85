# The command's parts are tested one by one too.
target_link_libraries(test_tools PRIVATE xpstext_parts)
set(example_flags "")
set(instrumented "")
if(FIXRD_SANITIZE)
  set(example_flags "-fsanitize=address,undefined")
endif()
if(FIXRD_SANITIZE OR FIXRD_TSAN)
  set(instrumented 1)
endif()

# The command as a user runs it: transcripts of shell sessions, each run in
# a fresh folder with the build's programs first on the PATH.
add_executable(make-document tools/transcripts/MakeDocument.cpp cases/CaseFile.cpp)
add_library(inject-faults SHARED tools/transcripts/InjectFaults.c)
target_link_libraries(inject-faults PRIVATE ${CMAKE_DL_LIBS})
set_target_properties(inject-faults PROPERTIES C_VISIBILITY_PRESET default)
target_link_libraries(make-document PRIVATE fixrd_test_support)
file(GLOB transcripts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/transcripts/*.t)
foreach(transcript ${transcripts})
  get_filename_component(name ${transcript} NAME_WE)
  add_test(NAME Transcript.${name} COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tools/transcripts/run-transcript ${transcript})
  set_tests_properties(Transcript.${name} PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77 ENVIRONMENT
    "PATH=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}:${CMAKE_CURRENT_SOURCE_DIR}/tools/transcripts:$ENV{PATH};SAMPLE=${CMAKE_SOURCE_DIR}/samples/sample.xps;SOURCE=${CMAKE_SOURCE_DIR};BUILD=${CMAKE_BINARY_DIR};LIBDIR=${CMAKE_INSTALL_LIBDIR};CXX=${CMAKE_CXX_COMPILER};CC=${CMAKE_C_COMPILER};EXAMPLE_FLAGS=${example_flags};INSTRUMENTED=${instrumented};INJECT_FAULTS=$<TARGET_FILE:inject-faults>;CORPUS=${FIXRD_CORPUS_DIR}")
endforeach()

# The Python package and the Dask example under pytest, with Debian's own
# interpreter (beside python3-dask and python3-pytest), in builds whose
# library an uninstrumented interpreter can load.
find_program(FIXRD_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(FIXRD_PYTHON AND NOT instrumented)
  add_test(NAME Python.fixrd COMMAND ${FIXRD_PYTHON} -m pytest -q -p no:cacheprovider
    -W ignore::DeprecationWarning ${CMAKE_SOURCE_DIR}/python/tests)
  set_tests_properties(Python.fixrd PROPERTIES TIMEOUT 600 ENVIRONMENT
    "PYTHONPATH=${CMAKE_SOURCE_DIR}/python;FIXRD_LIBRARY=${CMAKE_LIBRARY_OUTPUT_DIRECTORY};XPSTEXT=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/xpstext;MAKE_DOCUMENT=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/make-document;SAMPLE=${CMAKE_SOURCE_DIR}/samples/sample.xps;CORPUS=${FIXRD_CORPUS_DIR};INJECT_FAULTS=$<TARGET_FILE:inject-faults>")
endif()
