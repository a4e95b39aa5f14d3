# zan_add_library(<target> EXPORT_NAME <name> OUTPUT_NAME <file stem>
#                 SOURCES <files>... PUBLIC_HEADERS <files>... [PUBLIC <targets>...])
#
# One library of the project, built from the current folder. Its public headers are
# included as <zanbarcode/<folder>/<header>> both here and after installation: the
# build tree gets an include/zanbarcode/<folder> link to the source folder, and only
# the listed headers are installed. Shared libraries carry the project version and
# a SONAME of the major version.
set(ZAN_BUILD_INCLUDE_DIR ${PROJECT_BINARY_DIR}/include)
set(ZAN_LIBRARY_TARGETS "" CACHE INTERNAL "")

function(zan_add_library target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "EXPORT_NAME;OUTPUT_NAME" "SOURCES;PUBLIC_HEADERS;PUBLIC")
    cmake_path(GET CMAKE_CURRENT_SOURCE_DIR FILENAME folder)

    file(MAKE_DIRECTORY ${ZAN_BUILD_INCLUDE_DIR}/zanbarcode)
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${ZAN_BUILD_INCLUDE_DIR}/zanbarcode/${folder} SYMBOLIC)

    add_library(${target} ${arg_SOURCES} ${arg_PUBLIC_HEADERS})
    add_library(Zan::${arg_EXPORT_NAME} ALIAS ${target})
    set_target_properties(${target} PROPERTIES
        EXPORT_NAME ${arg_EXPORT_NAME}
        OUTPUT_NAME ${arg_OUTPUT_NAME}
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR})
    target_include_directories(${target} PUBLIC
        $<BUILD_INTERFACE:${ZAN_BUILD_INCLUDE_DIR}>
        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
    target_link_libraries(${target} PUBLIC ${arg_PUBLIC} PRIVATE $<BUILD_INTERFACE:zan_options>)

    install(FILES ${arg_PUBLIC_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zanbarcode/${folder})
    set(ZAN_LIBRARY_TARGETS ${ZAN_LIBRARY_TARGETS} ${target} CACHE INTERNAL "")
endfunction()
