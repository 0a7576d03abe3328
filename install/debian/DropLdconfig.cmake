# Run by cpack after it made the packages: takes the maintainer scripts that only call ldconfig out of
# each .deb. CPack adds them for any shared object under /usr/lib, but the companion libraries are
# private to the program folder and loaded by full path, so the linker's cache never holds them.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.deb$")
        continue()
    endif()
    set(tree "${package}.tree")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND dpkg-deb --raw-extract "${package}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
    foreach(script postinst postrm)
        set(path "${tree}/DEBIAN/${script}")
        if(EXISTS "${path}")
            file(READ "${path}" text)
            string(REGEX REPLACE "#[^\n]*\n|set -e\n|if \\[ \"\\$1\" = \"[a-z]+\" \\]; then\n|[ \t]*ldconfig\n|fi\n|[ \t\n]"
                   "" rest "${text}")
            if(NOT rest STREQUAL "")
                message(FATAL_ERROR "${script} of ${package} does more than call ldconfig:\n${text}")
            endif()
            file(REMOVE "${path}")
        endif()
    endforeach()
    execute_process(COMMAND dpkg-deb --root-owner-group --build "${tree}" "${package}"
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE "${tree}")
endforeach()
