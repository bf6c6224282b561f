# Build rules shared by the Windows (mingw-w64, run under Wine) and native trees.
#
# Portable sources need no <windows.h>: they build in both trees, and natively
# with AddressSanitizer and UndefinedBehaviorSanitizer. Win32 sources build
# only in the Windows tree.

set(OVMON_WARNINGS -Wall -Wextra -Werror)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC 12 reports std::string's own inlined copies as overlapping at -O3 (a known false positive).
  list(APPEND OVMON_WARNINGS -Wno-restrict)
endif()

if(WIN32)
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
else()
  option(OVMON_SANITIZE "Build with ASan and UBSan" ON)
  option(OVMON_FUZZ "Build the libFuzzer targets (clang only)" OFF)
  if(OVMON_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link)
  endif()
  if(OVMON_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# ovmon_sources(PORTABLE a.cpp ... WIN32 b.cpp ...): adds a module's files to the core library.
function(ovmon_sources)
  cmake_parse_arguments(ARG "" "" "PORTABLE;WIN32" ${ARGN})
  foreach(f IN LISTS ARG_PORTABLE)
    set_property(GLOBAL APPEND PROPERTY OVMON_PORTABLE_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${f})
  endforeach()
  foreach(f IN LISTS ARG_WIN32)
    set_property(GLOBAL APPEND PROPERTY OVMON_WIN32_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${f})
  endforeach()
endfunction()

# ovmon_add_core(): the static library every program and test links.
function(ovmon_add_core)
  get_property(portable GLOBAL PROPERTY OVMON_PORTABLE_SOURCES)
  set(sources ${portable})
  if(WIN32)
    get_property(win GLOBAL PROPERTY OVMON_WIN32_SOURCES)
    list(APPEND sources ${win})
  endif()
  add_library(ovmon_core STATIC ${sources})
  target_include_directories(ovmon_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(ovmon_core PRIVATE ${OVMON_WARNINGS})
  if(WIN32)
    target_link_libraries(ovmon_core PUBLIC
      comctl32 uxtheme ws2_32 iphlpapi mpr advapi32 shell32 ole32 user32 gdi32 comdlg32
      secur32 crypt32 netapi32 version)
  endif()
endfunction()

# ovmon_test(NAME n SOURCES ... [WIN32_ONLY] [RC rcfile] [LIBS ...]):
# a GoogleTest program; portable tests run in both trees.
function(ovmon_test)
  cmake_parse_arguments(ARG "WIN32_ONLY" "NAME" "SOURCES;LIBS;RC" ${ARGN})
  if(ARG_WIN32_ONLY AND NOT WIN32)
    return()
  endif()
  add_executable(${ARG_NAME} ${ARG_SOURCES} ${ARG_RC})
  target_compile_options(${ARG_NAME} PRIVATE ${OVMON_WARNINGS})
  target_include_directories(${ARG_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${ARG_NAME} PRIVATE ovmon_core ovmon_test_support GTest::gmock ${ARG_LIBS})
  gtest_discover_tests(${ARG_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    PROPERTIES ENVIRONMENT "OVMON_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()

# ovmon_fuzz(NAME n SOURCES ...): a libFuzzer target (native clang tree only).
function(ovmon_fuzz)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_compile_options(${ARG_NAME} PRIVATE ${OVMON_WARNINGS} -fsanitize=fuzzer)
  target_link_options(${ARG_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${ARG_NAME} PRIVATE ovmon_core)
  # A short bounded run proves the target works; longer campaigns run by hand. New inputs
  # go to the first corpus folder, in the build tree; the checked-in seeds are only read.
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/corpus/${ARG_NAME})
  file(MAKE_DIRECTORY ${corpus})
  if(EXISTS ${CMAKE_SOURCE_DIR}/fuzz/corpus/${ARG_NAME})
    list(APPEND corpus ${CMAKE_SOURCE_DIR}/fuzz/corpus/${ARG_NAME})
  endif()
  add_test(NAME fuzz.${ARG_NAME} COMMAND ${ARG_NAME} -runs=20000 -max_total_time=20 ${corpus})
endfunction()
