# lexorra_add_test(NAME <name> SOURCES <files...> LIBRARIES <targets...>)
#
# Builds one QtTest executable and registers it with CTest. Every test runs on
# the offscreen platform so that the suite never needs a display.
function(lexorra_add_test)
    cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE Qt6::Test ${ARG_LIBRARIES})
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
    set_tests_properties(${ARG_NAME} PROPERTIES
        TIMEOUT 120
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_ACCESSIBILITY=0")
endfunction()

# lexorra_add_x11_test(NAME <name> [SOURCES <files...>] [LIBRARIES <targets...>]
#                      [COMMAND <command...>] [SCREEN <width>x<height>] [DBUS] [ARGS <args...>])
#
# A test on a real X server with a window manager: x11_tests/run_on_x11.sh
# starts Xvfb (with a screen of SCREEN, 1280x1024 by default) and openbox for
# it alone, runs it with QT_QPA_PLATFORM=xcb, and stops both afterwards. DBUS
# gives it a session bus of its own. With SOURCES it is a QtTest executable of
# that name, run with ARGS; else it runs COMMAND. Labelled "x11", and skipped
# when a tool it needs is missing.
function(lexorra_add_x11_test)
    cmake_parse_arguments(ARG "DBUS" "NAME;SCREEN" "SOURCES;LIBRARIES;COMMAND;ARGS" ${ARGN})
    set(command ${ARG_COMMAND})
    if(ARG_SOURCES)
        add_executable(${ARG_NAME} ${ARG_SOURCES})
        target_link_libraries(${ARG_NAME} PRIVATE Qt6::Test ${ARG_LIBRARIES})
        set(command $<TARGET_FILE:${ARG_NAME}>)
    endif()
    set(options --screen ${ARG_SCREEN})
    if(NOT ARG_SCREEN)
        set(options --screen 1280x1024)
    endif()
    if(ARG_DBUS)
        list(APPEND options --dbus)
    endif()
    add_test(NAME ${ARG_NAME}
        COMMAND ${PROJECT_SOURCE_DIR}/x11_tests/run_on_x11.sh ${options} -- ${command} ${ARG_ARGS})
    set_tests_properties(${ARG_NAME} PROPERTIES
        LABELS x11
        TIMEOUT 180
        SKIP_RETURN_CODE 77
        # A test function that hangs ends with its name instead of a bare timeout.
        ENVIRONMENT "QTEST_FUNCTION_TIMEOUT=90000")
endfunction()
