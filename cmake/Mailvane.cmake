# Shared helpers for Mailvane targets: one place for warnings, sanitizers and tests.

function(mailvane_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(MAILVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(MAILVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# A fuzz build instruments every library for coverage and errors, so each fuzzer sees
# into the code it drives; only the fuzz targets link libFuzzer itself.
if(MAILVANE_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# mailvane_add_library(name [STATIC|SHARED] SOURCES ... [DEPS ...])
function(mailvane_add_library name)
  cmake_parse_arguments(A "SHARED" "" "SOURCES;DEPS;PUBLIC_DEPS" ${ARGN})
  if(A_SHARED)
    add_library(${name} SHARED ${A_SOURCES})
  else()
    add_library(${name} STATIC ${A_SOURCES})
  endif()
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_PUBLIC_DEPS} PRIVATE ${A_DEPS})
  mailvane_target_defaults(${name})
endfunction()

# mailvane_add_test(name SOURCES ... DEPS ... [GUI] [ENV k=v ...])
# GUI tests run on the offscreen platform and are left out of the sanitizer build.
function(mailvane_add_test name)
  cmake_parse_arguments(A "GUI" "TIMEOUT" "SOURCES;DEPS;ENV" ${ARGN})
  if(A_GUI AND NOT MAILVANE_GUI)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE
    MAILVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    MAILVANE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    MAILVANE_SHARED_SAMPLES="${PROJECT_SOURCE_DIR}/../shared/samples"
    MAILVANE_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  mailvane_target_defaults(${name})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  # gtest_discover_tests flattens a property list, so only one variable can pass here;
  # the test presets set the environment every test shares (C locale, offscreen Qt).
  set(env LC_ALL=C)
  if(A_ENV)
    set(env ${A_ENV})
  endif()
  list(LENGTH env env_count)
  if(env_count GREATER 1)
    message(FATAL_ERROR "mailvane_add_test(${name}): ENV takes one variable")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${A_TIMEOUT} ENVIRONMENT "${env}")
endfunction()

# mailvane_add_fuzzer(name SOURCES ... DEPS ...)
# With libFuzzer (clang, MAILVANE_FUZZ) it is a real fuzzer; otherwise, in builds with
# tests, it replays the committed corpus and crash inputs in fuzz/corpus/<name> as a
# plain test.
function(mailvane_add_fuzzer name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  if(MAILVANE_FUZZ)
    add_executable(${name} ${A_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  elseif(MAILVANE_TESTS)
    add_executable(${name} ${A_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/ReplayMain.cpp)
    add_test(NAME ${name}_replay
             COMMAND ${name} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
    set_tests_properties(${name}_replay PROPERTIES TIMEOUT 300)
  else()
    return()  # a replay serves only as a test
  endif()
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  mailvane_target_defaults(${name})
endfunction()

# mailvane_add_plugin(Name SOURCES ... DEPS ...)
# A run-time plug-in library <bin>/plugin/libName.so in the build tree and
# <libdir>/mailvane/plugin/libName.so installed; the program asks for "Name.dll" and the
# host maps that name to this platform's library name. Plug-ins that link project
# libraries find them through RPATH $ORIGIN/.. (the private library folder).
function(mailvane_add_plugin name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} MODULE ${A_SOURCES})
  set_target_properties(${name} PROPERTIES
    AUTOMOC ON
    LIBRARY_OUTPUT_DIRECTORY ${MAILVANE_PLUGIN_DIR}
    BUILD_RPATH "$ORIGIN/..;$ORIGIN/../../lib"
    INSTALL_RPATH "$ORIGIN/..")
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  mailvane_target_defaults(${name})
  install(TARGETS ${name} LIBRARY DESTINATION ${MAILVANE_INSTALL_LIBDIR}/plugin)
endfunction()
