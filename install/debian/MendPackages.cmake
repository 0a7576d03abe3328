# Run by cpack after it made the packages, to mend what CPack itself writes wrong for Debian:
# - rivamo: CPack adds maintainer scripts that call ldconfig for any shared object under /usr/lib,
#   but the companion libraries are private to the program folder and loaded by full path, so the
#   linker's cache never holds them. The scripts are taken out.
# - rivamo-dbgsym: CPack lists the build folder's absolute paths in md5sums and gives the package no
#   documentation folder. The sums are listed by the installed paths, and the documentation folder
#   is a link to rivamo's (the package depends on that exact version), as Debian's own debug
#   packages have it. The debug files need no execute bit.

function(mend_main_package tree package)
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
endfunction()

function(mend_debug_package tree)
    file(READ "${tree}/DEBIAN/md5sums" sums)
    string(REGEX REPLACE "  /[^\n]*-dbgsym/usr/" "  usr/" sums "${sums}")
    file(WRITE "${tree}/DEBIAN/md5sums" "${sums}")
    file(GLOB_RECURSE debug_files "${tree}/usr/lib/debug/*.debug")
    foreach(debug_file IN LISTS debug_files)
        file(CHMOD "${debug_file}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    endforeach()
    file(MAKE_DIRECTORY "${tree}/usr/share/doc")
    file(CREATE_LINK rivamo "${tree}/usr/share/doc/rivamo-dbgsym" SYMBOLIC)
endfunction()

foreach(package IN LISTS CPACK_PACKAGE_FILES)
    set(tree "${package}.tree")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND dpkg-deb --raw-extract "${package}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
    if(package MATCHES "-dbgsym_[^/]*\\.ddeb$")
        mend_debug_package("${tree}")
    else()
        mend_main_package("${tree}" "${package}")
    endif()
    execute_process(COMMAND dpkg-deb --root-owner-group --build "${tree}" "${package}"
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE "${tree}")
endforeach()
