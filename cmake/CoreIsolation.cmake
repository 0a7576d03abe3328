# The core layer holds logic and state only. It may use the C++ standard library and nothing
# else: no Qt, no FFmpeg, no libmpv, no POSIX or Linux headers. rivamo_core_sources() adds files
# to the core and rivamo_check_core_isolation() fails the configure step when one of them
# includes a header from outside the standard library or the project.

set_property(GLOBAL PROPERTY RIVAMO_CORE_FILES "")

function(rivamo_core_sources)
    foreach(src IN LISTS ARGN)
        get_filename_component(abs ${src} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
        target_sources(rivamo_core PRIVATE ${abs})
        set_property(GLOBAL APPEND PROPERTY RIVAMO_CORE_FILES ${abs})
    endforeach()
endfunction()

set(RIVAMO_FORBIDDEN_CORE_INCLUDES
    "^Q[A-Za-z]*$" "^Qt[A-Za-z]*/" "^lib(av|sw|mpv)" "^mpv/" "^(unistd|fcntl|poll|dirent|pwd|signal|spawn|dlfcn|malloc)\\.h$"
    "^sys/" "^linux/" "^jpeglib\\.h$" "^gtest/")

function(rivamo_check_core_isolation)
    get_property(files GLOBAL PROPERTY RIVAMO_CORE_FILES)
    foreach(src IN LISTS files)
        get_filename_component(dir ${src} DIRECTORY)
        get_filename_component(base ${src} NAME_WE)
        set(candidates ${src})
        if(EXISTS ${dir}/${base}.h)
            list(APPEND candidates ${dir}/${base}.h)
        endif()
        foreach(file IN LISTS candidates)
            file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
            foreach(line IN LISTS lines)
                string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*" "\\1" header "${line}")
                foreach(pattern IN LISTS RIVAMO_FORBIDDEN_CORE_INCLUDES)
                    if(header MATCHES "${pattern}")
                        message(FATAL_ERROR "rivamo_core must stay free of Qt, FFmpeg and POSIX: ${file} includes <${header}>")
                    endif()
                endforeach()
            endforeach()
        endforeach()
    endforeach()
    # The core links nothing that draws, decodes or talks to the system.
    get_target_property(libs rivamo_core LINK_LIBRARIES)
    foreach(lib IN LISTS libs)
        if(NOT lib STREQUAL "Threads::Threads")
            message(FATAL_ERROR "rivamo_core may link only the standard library, not ${lib}")
        endif()
    endforeach()
endfunction()
