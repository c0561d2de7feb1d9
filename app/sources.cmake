# Which files of app/ a build compiles, per platform, and the libraries every
# platform links. The program's build (app/CMakeLists.txt) and the Windows
# compile check (tests/devlib) both take them from here, so a new file in a
# subsystem folder is built, and checked for Windows, without being named.

set(KIVO_APP_DIR ${CMAKE_CURRENT_LIST_DIR})
# The two executables' own files; everything else goes into the library kivoapp.
set(KIVO_APP_PROGRAM_SOURCES ${KIVO_APP_DIR}/main.cpp ${KIVO_APP_DIR}/kivoctl/main.cpp)
# What kivoapp links on every platform (the platform's own libraries come on top).
set(KIVO_APP_LIBRARIES Qt5::Core Qt5::Gui Qt5::Widgets Qt5::Network QuaZip::QuaZip)

# kivo_app_sources(<windows> <sources var> <headers var>): the library's files for
# Windows when <windows> is true, for the other platforms when it is false. The
# platform files are told apart by name: name_win.cpp / name_linux.cpp (and .h).
function(kivo_app_sources windows sources_var headers_var)
    # One folder per subsystem; sources include each other by their path below app/.
    set(dirs "" window view device pages/buttons pages/lighting pages/pointer pages/settings
             update kivoctl platform i18n)
    set(sources)
    set(headers)
    foreach(dir IN LISTS dirs)
        set(path ${KIVO_APP_DIR})
        if(dir)
            set(path ${path}/${dir})
        endif()
        file(GLOB dir_sources CONFIGURE_DEPENDS ${path}/*.cpp)
        file(GLOB dir_headers CONFIGURE_DEPENDS ${path}/*.h)
        list(APPEND sources ${dir_sources})
        list(APPEND headers ${dir_headers})
    endforeach()
    list(REMOVE_ITEM sources ${KIVO_APP_PROGRAM_SOURCES})
    if(windows)
        set(other linux)
    else()
        set(other win)
    endif()
    list(FILTER sources EXCLUDE REGEX "_${other}\\.cpp$")
    list(FILTER headers EXCLUDE REGEX "_${other}\\.h$")
    set(${sources_var} ${sources} PARENT_SCOPE)
    set(${headers_var} ${headers} PARENT_SCOPE)
endfunction()
