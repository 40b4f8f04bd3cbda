# The data terminal and the register test logic against radiomodem-sim on real ptys.
radiomodem_test(radiomodem_terminal_e2e_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/terminal_e2e_test.cpp
    LIBS radiomodem_terminal radiomodem_registers radiomodem_simprocess
    LABEL e2e
)
