# Run at install time: writes the desktop entry and the man page, which name
# folders of the install itself, from the prefix that this install uses. That
# is the prefix of `cmake --install --prefix`, or /usr when CPack stages the
# package, rather than the one the build was configured with. Also
# compresses the files that are installed compressed.
#
# Expects SOURCE_DIR, BINARY_DIR, SAMPLE_DIR and DOC_DIR (relative to the
# prefix, or absolute), PROJECT_VERSION and LEXORRA_RELEASE_DATE.

foreach(dir IN ITEMS SAMPLE_DIR DOC_DIR)
    if(IS_ABSOLUTE "${${dir}}")
        set(LEXORRA_${dir} "${${dir}}")
    else()
        set(LEXORRA_${dir} "${CMAKE_INSTALL_PREFIX}/${${dir}}")
    endif()
    # A dash in roff text is a hyphen; a path wants the ASCII minus sign.
    string(REPLACE "-" "\\-" LEXORRA_${dir}_ROFF "${LEXORRA_${dir}}")
endforeach()

configure_file("${SOURCE_DIR}/org.lexorra.Lexorra.desktop.in" "${BINARY_DIR}/org.lexorra.Lexorra.desktop" @ONLY)
configure_file("${SOURCE_DIR}/lexorra.1.in" "${BINARY_DIR}/lexorra.1" @ONLY)

# The manual page and the change log are installed compressed, without a
# name or time stamp in the gzip header, so that the same text always gives
# the same bytes.
foreach(file IN ITEMS "${BINARY_DIR}/lexorra.1" "${SOURCE_DIR}/changelog")
    get_filename_component(name "${file}" NAME)
    execute_process(COMMAND gzip -9 -n -c "${file}"
                    OUTPUT_FILE "${BINARY_DIR}/${name}.gz"
                    RESULT_VARIABLE gzip_result)
    if(NOT gzip_result EQUAL 0)
        message(FATAL_ERROR "gzip failed on ${file}: ${gzip_result}")
    endif()
endforeach()
