# The build proves the layers at configure time.
#
# The core layer holds logic and state only. It may use the C++ standard library and nothing
# else: no Qt, no FFmpeg, no libmpv, no POSIX or Linux headers. rivamo_core_sources() adds files
# to the core and rivamo_check_core_isolation() fails the configure step when one of them, or any
# header of the tree it includes (directly or through other headers), includes a header from
# outside the standard library or the project.
#
# rivamo_check_folder_layers() fails the configure step when a folder includes from a folder that
# stands above it: app -> convert -> sources, profiles -> settings, widgets -> support.

set_property(GLOBAL PROPERTY RIVAMO_CORE_FILES "")

function(rivamo_core_sources)
    foreach(src IN LISTS ARGN)
        get_filename_component(abs ${src} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
        target_sources(rivamo_core PRIVATE ${abs})
        set_property(GLOBAL APPEND PROPERTY RIVAMO_CORE_FILES ${abs})
    endforeach()
endfunction()

set(RIVAMO_FORBIDDEN_CORE_INCLUDES
    "^Q[A-Za-z]*$" "^Qt[A-Za-z]*/" "^lib(av|sw|mpv|postproc)" "^mpv/" "^(GL|EGL|X11|xcb|dbus|gtest|gmock)/"
    "^(unistd|fcntl|poll|dirent|pwd|grp|signal|spawn|dlfcn|malloc|pthread|sched|semaphore|termios|syslog|glob|fnmatch|libgen|wordexp|netdb|ifaddrs|elf|link|execinfo|mntent|utmp|jpeglib)\\.h$"
    "^(sys|linux|asm|bits|gnu|netinet|arpa)/")

# The folders of the program, each with the folders it may include from besides itself. convert,
# sources and profiles share a level; of them only convert uses the other two. No folder includes
# the transcoder, the tests or the benchmarks.
set(RIVAMO_FOLDER_LAYERS
    "support:"
    "settings:support"
    "widgets:support"
    "profiles:settings,widgets,support"
    "sources:settings,widgets,support"
    "convert:profiles,sources,settings,widgets,support"
    "companions:support"
    "app:convert,profiles,sources,companions,settings,widgets,support"
    "transcoder:support")
set(RIVAMO_UNINCLUDABLE_FOLDERS tests bench)

# The includes of one file: `angle` gets <...> names, `quoted` gets "..." names.
function(rivamo_read_includes file angle quoted)
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
    set(angles "")
    set(quotes "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*<([^>]+)>")
            list(APPEND angles "${CMAKE_MATCH_1}")
        elseif(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\"")
            list(APPEND quotes "${CMAKE_MATCH_1}")
        endif()
    endforeach()
    set(${angle} "${angles}" PARENT_SCOPE)
    set(${quoted} "${quotes}" PARENT_SCOPE)
endfunction()

# The file of the tree a quoted include names (the tree's root first, then the including file's
# folder), or empty.
function(rivamo_resolve_include name includer result)
    get_filename_component(dir ${includer} DIRECTORY)
    set(found "")
    foreach(base IN ITEMS ${CMAKE_SOURCE_DIR} ${dir})
        if(EXISTS ${base}/${name} AND NOT IS_DIRECTORY ${base}/${name})
            get_filename_component(found ${base}/${name} ABSOLUTE)
            break()
        endif()
    endforeach()
    set(${result} "${found}" PARENT_SCOPE)
endfunction()

function(rivamo_check_core_isolation)
    get_property(pending GLOBAL PROPERTY RIVAMO_CORE_FILES)
    set(seen ${pending})
    # Every file the core compiles, then every header of the tree they reach.
    while(pending)
        list(POP_FRONT pending file)
        rivamo_read_includes(${file} angles quotes)
        foreach(header IN LISTS angles quotes)
            foreach(pattern IN LISTS RIVAMO_FORBIDDEN_CORE_INCLUDES)
                if(header MATCHES "${pattern}")
                    message(FATAL_ERROR
                        "rivamo_core must stay free of Qt, FFmpeg and POSIX: ${file} includes <${header}>")
                endif()
            endforeach()
        endforeach()
        foreach(name IN LISTS quotes)
            rivamo_resolve_include(${name} ${file} header)
            if(header AND NOT header IN_LIST seen)
                list(APPEND seen ${header})
                list(APPEND pending ${header})
            endif()
        endforeach()
    endwhile()
    # The core links nothing that draws, decodes or talks to the system.
    get_target_property(libs rivamo_core LINK_LIBRARIES)
    foreach(lib IN LISTS libs)
        if(NOT lib STREQUAL "Threads::Threads")
            message(FATAL_ERROR "rivamo_core may link only the standard library, not ${lib}")
        endif()
    endforeach()
endfunction()

function(rivamo_check_folder_layers)
    set(known ${RIVAMO_UNINCLUDABLE_FOLDERS})
    foreach(entry IN LISTS RIVAMO_FOLDER_LAYERS)
        string(REGEX REPLACE ":.*" "" folder "${entry}")
        list(APPEND known ${folder})
    endforeach()
    foreach(entry IN LISTS RIVAMO_FOLDER_LAYERS)
        string(REGEX REPLACE ":.*" "" folder "${entry}")
        string(REGEX REPLACE "^[^:]*:" "" below "${entry}")
        string(REPLACE "," ";" below "${below}")
        file(GLOB_RECURSE files ${CMAKE_SOURCE_DIR}/${folder}/*.h ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
        foreach(file IN LISTS files)
            rivamo_read_includes(${file} angles quotes)
            foreach(name IN LISTS quotes)
                if(NOT name MATCHES "^([^/]+)/")
                    continue()
                endif()
                set(target ${CMAKE_MATCH_1})
                if(target STREQUAL folder OR target IN_LIST below OR NOT target IN_LIST known)
                    continue()
                endif()
                message(FATAL_ERROR "The folders are layered (cmake/CoreIsolation.cmake): ${folder}/ may not "
                                    "include from ${target}/, but ${file} includes \"${name}\"")
            endforeach()
        endforeach()
    endforeach()
endfunction()
