# Installs the build into a fresh prefix, then builds and runs two programs against it: one
# with the CMake package, one with pkg-config on a bare compiler command line. Each plays a
# file to its end through the renderer plug-in found beside the installed library. Then the
# installed player plays its installed sample. With a peer (a build of this tree for the
# other Qt), the peer is installed into the same prefix too, no file may be installed by
# both, and the peer's programs must play from the shared prefix as well.
# Variables: BUILD_DIR, QT_MAJOR, WORK_DIR, SOURCE_DIR, CXX, CXX_LAUNCHER, EXTRA_FLAGS (a
# ;-list), PEER_BUILD_DIR (optional).

cmake_policy(VERSION 3.16)

function(run what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out
        ERROR_VARIABLE out)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${what} failed (${result}):\n${out}")
    endif()
    message(STATUS "${what}: ok")
    set(run_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/some where/prefix")
run("install" ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}")

if(PEER_BUILD_DIR)
    file(STRINGS "${PEER_BUILD_DIR}/CMakeCache.txt" peer_major REGEX "^KELMORA_QT_MAJOR:")
    string(REGEX REPLACE ".*=" "" peer_major "${peer_major}")
    if(peer_major STREQUAL QT_MAJOR)
        message(FATAL_ERROR "the peer ${PEER_BUILD_DIR} is for Qt ${QT_MAJOR} too")
    endif()
    # Alone first, to see which files it installs.
    set(peer_alone "${WORK_DIR}/peer alone")
    run("install the Qt ${peer_major} peer alone" ${CMAKE_COMMAND} --install "${PEER_BUILD_DIR}"
        --prefix "${peer_alone}")
    file(GLOB_RECURSE own_files LIST_DIRECTORIES false RELATIVE "${prefix}" "${prefix}/*")
    file(GLOB_RECURSE peer_files LIST_DIRECTORIES false RELATIVE "${peer_alone}" "${peer_alone}/*")
    set(shared "")
    foreach(f IN LISTS own_files)
        if(f IN_LIST peer_files)
            list(APPEND shared "${f}")
        endif()
    endforeach()
    if(shared)
        string(REPLACE ";" "\n  " shared "${shared}")
        message(FATAL_ERROR "installed by the Qt 5 and the Qt 6 build alike:\n  ${shared}")
    endif()
    list(LENGTH own_files own_count)
    list(LENGTH peer_files peer_count)
    message(STATUS "no file shared: ${own_count} installed files here, ${peer_count} by the peer")
    run("install the Qt ${peer_major} peer into the same prefix" ${CMAKE_COMMAND}
        --install "${PEER_BUILD_DIR}" --prefix "${prefix}")
endif()

# What the programs run with: no plug-in path, a fake sink that does not wait for a clock.
set(play_env ${CMAKE_COMMAND} -E env --unset=KELMORA_MAFW_PLUGIN_PATH
    "KELMORA_AUDIO_SINK=fakesink sync=false" "KELMORA_VIDEO_SINK=fakesink sync=false"
    QT_QPA_PLATFORM=offscreen "HOME=${WORK_DIR}" "XDG_CACHE_HOME=${WORK_DIR}/cache"
    "DBUS_SESSION_BUS_ADDRESS=unix:path=${WORK_DIR}/no-bus")

# consumers(<qt major> <compile flags ;-list>): the CMake and the pkg-config consumer and the
# installed player of that Qt's library, each playing from the prefix.
function(consumers major flags)
    set(suffix "")
    if(major EQUAL 6)
        set(suffix "-qt6")
    endif()
    set(dir "${WORK_DIR}/qt${major}")
    string(REPLACE ";" " " cmake_flags "${flags}")
    run("Qt ${major}: configure the CMake consumer" ${CMAKE_COMMAND} -S "${SOURCE_DIR}/consumer"
        -B "${dir}/cmake-consumer" "-DCMAKE_PREFIX_PATH=${prefix}" -DKELMORA_QT_MAJOR=${major}
        "-DCMAKE_CXX_COMPILER=${CXX}" "-DCMAKE_CXX_COMPILER_LAUNCHER=${CXX_LAUNCHER}"
        "-DCMAKE_CXX_FLAGS=${cmake_flags}" -DCMAKE_BUILD_TYPE=Release)
    run("Qt ${major}: build the CMake consumer" ${CMAKE_COMMAND} --build "${dir}/cmake-consumer")
    run("Qt ${major}: run the CMake consumer" ${play_env} "${dir}/cmake-consumer/consumer")

    file(GLOB_RECURSE pc_file "${prefix}/*/kelmora${suffix}.pc")
    get_filename_component(pc_dir "${pc_file}" DIRECTORY)
    set(ENV{PKG_CONFIG_PATH} "${pc_dir}")
    run("Qt ${major}: pkg-config" pkg-config --cflags --libs kelmora${suffix})
    separate_arguments(pc_flags UNIX_COMMAND "${run_output}")
    get_filename_component(lib_dir "${pc_dir}" DIRECTORY)
    run("Qt ${major}: build the pkg-config consumer" ${CXX_LAUNCHER} ${CXX} -std=c++17 -fPIC
        ${flags} "${SOURCE_DIR}/consumer/consumer.cpp" ${pc_flags} "-Wl,-rpath,${lib_dir}"
        -o "${dir}/pc-consumer")
    run("Qt ${major}: run the pkg-config consumer" ${play_env} "${dir}/pc-consumer")

    run("Qt ${major}: run the installed player on its sample" ${play_env}
        "${prefix}/bin/kelmora-player${suffix}")
endfunction()

consumers(${QT_MAJOR} "${EXTRA_FLAGS}")
if(PEER_BUILD_DIR)
    # The peer is an ordinary build: its programs get no extra flags.
    consumers(${peer_major} "")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
