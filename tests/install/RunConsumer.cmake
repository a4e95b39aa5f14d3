# Installs the build into a scratch prefix, builds the consumer project against the
# installed package twice, through find_package and through pkg-config, and runs both.
# Variables: BUILD_DIR, SOURCE_DIR, WORK_DIR, LINK_FLAGS, CXX, SHARED.
file(REMOVE_RECURSE ${WORK_DIR})
function(run)
    execute_process(COMMAND ${ARGV} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "failed (${result}): ${ARGV}\n${output}")
    endif()
    set(output "${output}" PARENT_SCOPE)
endfunction()
# The consumer prints the symbology, the caption and the size of the picture it wrote.
function(expect_picture file output)
    if(NOT EXISTS ${file})
        message(FATAL_ERROR "the consumer wrote no picture: ${file}")
    endif()
    if(NOT output MATCHES "^EAN 13 590123412345 [0-9]+x[0-9]+\n$")
        message(FATAL_ERROR "the consumer printed: ${output}")
    endif()
endfunction()

set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# Shared libraries carry a SONAME of the major version.
if(SHARED)
    file(GLOB libraries ${prefix}/lib*/libzanbarcode*.so)
    if(NOT libraries)
        message(FATAL_ERROR "no shared libraries installed under ${prefix}")
    endif()
    foreach(library IN LISTS libraries)
        run(objdump -p ${library})
        if(NOT output MATCHES "SONAME +libzanbarcode[a-z-]*\\.so\\.[0-9]+\n")
            message(FATAL_ERROR "${library} has no versioned SONAME")
        endif()
    endforeach()
endif()

# The six component packages a designer loads, each with the palette bitmaps inside.
if(SHARED)
    foreach(package ZANPKD5 ZANPKD4 ZANPKD3 ZANPKC5 ZANPKC4 ZANPKC3)
        file(GLOB installed ${prefix}/lib*/zanbarcode/packages/${package}.so)
        if(NOT installed)
            message(FATAL_ERROR "package ${package} is not installed under ${prefix}")
        endif()
        run(nm -D --defined-only ${installed})
        if(NOT output MATCHES "ZanPackageInfo")
            message(FATAL_ERROR "${installed} has no package entry")
        endif()
    endforeach()
endif()

# find_package(ZanBarcode)
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/install/consumer -B ${WORK_DIR}/build -G Ninja
    -DCMAKE_PREFIX_PATH=${prefix} "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/consumer ${WORK_DIR}/cmake.png)
expect_picture(${WORK_DIR}/cmake.png "${output}")

# pkg-config --cflags --libs zanbarcode
file(GLOB pcDirs ${prefix}/lib*/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "${pcDirs}")
set(pkgConfigFlags --cflags --libs)
if(NOT SHARED)
    list(APPEND pkgConfigFlags --static)
endif()
run(pkg-config ${pkgConfigFlags} zanbarcode)
separate_arguments(flags UNIX_COMMAND "${output}")
file(GLOB libDirs ${prefix}/lib*)
run(${CXX} -std=c++20 ${SOURCE_DIR}/tests/install/consumer/main.cpp -o ${WORK_DIR}/pkgconfig-consumer
    ${flags} -Wl,-rpath,${libDirs} ${LINK_FLAGS})
run(${WORK_DIR}/pkgconfig-consumer ${WORK_DIR}/pkgconfig.png)
expect_picture(${WORK_DIR}/pkgconfig.png "${output}")
