# Test programs: GoogleTest suites of the library and of the real exe, and the counterparts they
# talk to. Every one of them is a Windows program that CTest runs through Wine.
enable_testing()
include(GoogleTest)

set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The stand-in application manager.
add_executable(CEAppMgr WIN32 tests/standin-appmgr/standin_appmgr.cpp tests/standin-appmgr/package_check.cpp)
target_include_directories(CEAppMgr PRIVATE tests/standin-appmgr)
target_link_libraries(CEAppMgr PRIVATE user32 gdi32 comctl32)
set_target_properties(CEAppMgr PROPERTIES OUTPUT_NAME CEAppMgr RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standin)

# Keeps Wine's desktop process alive for the whole run (see scripts/wine-env).
add_executable(keepalive WIN32 tests/support/keepalive.cpp)

# Stands in for the browser: the suites register it as the prefix's http "open" command and find
# it beside their own executables.
add_executable(url_recorder WIN32 tests/support/url_recorder.cpp)

# The suites find the programs and folders they need through ORVELLA_* variables that
# scripts/run-tests exports (see wine_env_export_test_paths).

# Unit suites: the library with the setup's own resources linked in, so string, licence and
# setup-data lookups through the module find what the product carries.
file(GLOB UNIT_SOURCES CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_SOURCES} tests/support/driver.cpp tests/support/window_picture.cpp
               tests/standin-appmgr/package_check_test.cpp
               tests/standin-appmgr/package_check.cpp ${SETUP_RC})
target_include_directories(unit_tests PRIVATE tests tests/standin-appmgr)
target_link_libraries(unit_tests PRIVATE setupcore gtest)
add_dependencies(unit_tests assets url_recorder)
gtest_discover_tests(unit_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
    PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)

# End-to-end suites: the real exe started and driven through its real windows.
file(GLOB E2E_SOURCES CONFIGURE_DEPENDS tests/e2e/*.cpp tests/support/*.cpp)
list(REMOVE_ITEM E2E_SOURCES ${CMAKE_SOURCE_DIR}/tests/support/keepalive.cpp
     ${CMAKE_SOURCE_DIR}/tests/support/url_recorder.cpp)
add_executable(e2e_tests ${E2E_SOURCES})
target_include_directories(e2e_tests PRIVATE tests ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR})
target_link_libraries(e2e_tests PRIVATE gtest_main gtest user32 gdi32 comctl32 advapi32 shell32 psapi)
add_dependencies(e2e_tests QuorvexOrvella_Setup CEAppMgr url_recorder)
gtest_discover_tests(e2e_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
    PROPERTIES TIMEOUT 180 RUN_SERIAL TRUE)
# The server that never answers waits for the HTTP client's own time-out, which Wine's client does
# not have: the scenario waits five minutes, longer than a suite test may take. It skips unless
# ORVELLA_MEASURE_HANG is set; this entry gives it the time when it is (make reliability
# MEASURE_HANG=1).
add_test(NAME e2e.ReliabilityHangMeasurement
         COMMAND e2e_tests --gtest_filter=ReliabilityHangTest.ServerThatNeverAnswers)
set_tests_properties(e2e.ReliabilityHangMeasurement PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE
                     SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")

# Host-side checks of what the generator wrote and of the download server. They run natively:
# CTest uses the Wine emulator only for commands that name a target of this build.
add_test(NAME host.AssetsAreReproducible
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/gen_assets.py --check ${ASSET_DIR})
add_test(NAME host.CabinetPassesCabextract COMMAND cabextract -t ${ASSET_DIR}/PROGRAM.CAB)
foreach(icon PROGRAM.ICO setup.ico locked_tick.ico)
    add_test(NAME host.IconReadable.${icon} COMMAND icotool -l ${ASSET_DIR}/${icon})
endforeach()
add_test(NAME host.DownloadServer
         COMMAND ${Python3_EXECUTABLE} -m unittest discover -s ${CMAKE_SOURCE_DIR}/tests/support -p test_*.py)

# The scripted tour that `make demo` runs when there is no display.
add_executable(tour demo/tour.cpp tests/support/window_picture.cpp)
target_include_directories(tour PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(tour PRIVATE user32 gdi32 comctl32)
