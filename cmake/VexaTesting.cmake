# The test harness: GoogleTest from Debian's sources, built with the cross
# compiler, and every test program run by CTest under Wine.

if(NOT VEXA_BUILD_TESTS)
  return()
endif()

set(VEXA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(VEXA_WINE_PREFIX_SCRIPT ${CMAKE_SOURCE_DIR}/cmake/wine-prefix)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
               GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
if(CMAKE_CROSSCOMPILING)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()

# Debian's mscompress makes the SZDD-compressed test data.
find_program(VEXA_MSCOMPRESS mscompress REQUIRED)

set(VEXA_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${VEXA_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# vexa_add_gtest(NAME name SOURCES ... [LIBS ...] [LOCALE loc] [ENV ...]
#                [TIMEOUT s] [RUN_SERIAL] [OWN_MAIN] [ALSO_LOCALES loc...]
#                [PROGRAM_ONLY])
# One GoogleTest program, registered as one CTest test that runs it under
# Wine with the given locale (en_US.UTF-8, code page 1252, when none), and
# once more, as NAME.<locale>, for each of ALSO_LOCALES. PROGRAM_ONLY builds
# the program alone, for a caller that registers its own way of running it.
function(vexa_add_gtest)
  cmake_parse_arguments(T "RUN_SERIAL;OWN_MAIN;PROGRAM_ONLY" "NAME;LOCALE;TIMEOUT" "SOURCES;LIBS;ENV;LABELS;ALSO_LOCALES" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} vexa_test_support GTest::gmock)
  if(NOT T_OWN_MAIN)
    target_link_libraries(${T_NAME} PRIVATE GTest::gmock_main)
  endif()
  if(T_PROGRAM_ONLY)
    return()
  endif()
  if(NOT T_LOCALE)
    set(T_LOCALE en_US.UTF-8)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  foreach(locale ${T_LOCALE} ${T_ALSO_LOCALES})
    if(locale STREQUAL T_LOCALE)
      set(test_name ${T_NAME})
    else()
      set(test_name ${T_NAME}.${locale})
    endif()
    add_test(NAME ${test_name} COMMAND ${T_NAME} --gtest_color=no)
    set_tests_properties(${test_name} PROPERTIES
      ENVIRONMENT "VEXA_LOCALE=${locale};${T_ENV}"
      TIMEOUT ${T_TIMEOUT}
      FIXTURES_REQUIRED wine_server
      LABELS "${T_LABELS}")
    if(T_RUN_SERIAL)
      set_tests_properties(${test_name} PROPERTIES RUN_SERIAL ON)
    endif()
  endforeach()
endfunction()

# vexa_add_x11_test(NAME name TARGET program [ARGS ...] [LOCALE loc] [ENV ...]
#                   [TIMEOUT s] [DESKTOP])
# Runs an already defined test program through Wine's X11 driver on a
# private Xvfb display (cmake/with-xvfb), in the build tree's X11 prefix;
# DESKTOP starts Wine's desktop first. The X11 prefix has one wineserver
# per display, so its users take turns.
function(vexa_add_x11_test)
  cmake_parse_arguments(X "DESKTOP" "NAME;TARGET;LOCALE;TIMEOUT" "ARGS;ENV" ${ARGN})
  if(NOT X_LOCALE)
    set(X_LOCALE en_US.UTF-8)
  endif()
  if(NOT X_TIMEOUT)
    set(X_TIMEOUT 180)
  endif()
  set(flags)
  if(X_DESKTOP)
    set(flags --desktop)
  endif()
  add_test(NAME ${X_NAME}
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/with-xvfb ${flags} ${VEXA_WINEPREFIX}-x11
            ${CMAKE_BINARY_DIR}/wine-run $<TARGET_FILE:${X_TARGET}> --gtest_color=no ${X_ARGS})
  set_tests_properties(${X_NAME} PROPERTIES
    ENVIRONMENT "VEXA_LOCALE=${X_LOCALE};VEXA_WINE_GRAPHICS=x11;${X_ENV}"
    TIMEOUT ${X_TIMEOUT}
    RESOURCE_LOCK vexa_wineprefix_x11)
endfunction()
