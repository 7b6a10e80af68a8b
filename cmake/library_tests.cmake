# Tests of the C library: the C++ corpora through kalendo.hpp, the C
# interface from a C11 program, the headers under -pedantic (kalendo.h as
# C11 and as C++17, kalendo.hpp as C++20), the exported symbols, and the
# fuzz corpus replayed through the C interface.
enable_language(C)

add_executable(kalendo_library_tests ${CMAKE_CURRENT_SOURCE_DIR}/tests/capi/capi_test.cpp)
target_link_libraries(kalendo_library_tests PRIVATE kalendo_shared GTest::gtest
                      GTest::gtest_main)
target_compile_options(kalendo_library_tests PRIVATE -pedantic)
gtest_discover_tests(kalendo_library_tests DISCOVERY_TIMEOUT 60)

add_executable(kalendo_c_interface_test ${CMAKE_CURRENT_SOURCE_DIR}/tests/capi/c_interface_test.c)
set_target_properties(kalendo_c_interface_test PROPERTIES C_STANDARD 11 C_STANDARD_REQUIRED ON
                      C_EXTENSIONS OFF)
target_compile_options(kalendo_c_interface_test PRIVATE -Wall -Wextra -pedantic)
target_link_libraries(kalendo_c_interface_test PRIVATE kalendo_shared)
add_test(NAME c_interface COMMAND kalendo_c_interface_test)

# kalendo.h read by a C++17 compiler.
add_library(kalendo_header_cxx17 OBJECT ${CMAKE_CURRENT_SOURCE_DIR}/tests/capi/header_cxx17.cpp)
set_target_properties(kalendo_header_cxx17 PROPERTIES CXX_STANDARD 17 CXX_EXTENSIONS OFF)
target_compile_options(kalendo_header_cxx17 PRIVATE -pedantic)
target_include_directories(kalendo_header_cxx17 PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/include)

add_test(NAME exported_symbols
         COMMAND ${CMAKE_COMMAND} -DLIBRARY=$<TARGET_FILE:kalendo_shared>
                 -DHEADER=${CMAKE_CURRENT_SOURCE_DIR}/include/kalendo/kalendo.h
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/tests/capi/check_symbols.cmake)

add_executable(replay_capi fuzz/replay_main.cpp fuzz/capi_fuzz.cpp)
target_link_libraries(replay_capi PRIVATE kalendo_static)
target_compile_options(replay_capi PRIVATE -iquote ${CMAKE_CURRENT_SOURCE_DIR}/src)
add_test(NAME fuzz_corpus_capi COMMAND replay_capi ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/capi)
