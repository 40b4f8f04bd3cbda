# The program's windows against radiomodem-sim on real ptys.
find_package(Qt6 REQUIRED COMPONENTS Test)
add_executable(radiomodem_windows_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/windows_e2e_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/line_faults_e2e_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/shell/ShellTestMain.cpp)
target_link_libraries(radiomodem_windows_e2e_tests PRIVATE radiomodem_shell radiomodem_testsupport
    radiomodem_simprocess GTest::gtest GTest::gmock)
target_compile_definitions(radiomodem_windows_e2e_tests
    PRIVATE SHELL_TEST_PLATFORM="${RADIOMODEM_TEST_SCREEN}")
gtest_discover_tests(radiomodem_windows_e2e_tests PROPERTIES LABELS e2e
    ENVIRONMENT QT_QPA_PLATFORM=${RADIOMODEM_TEST_SCREEN} DISCOVERY_TIMEOUT 60
    DISCOVERY_MODE PRE_TEST)
