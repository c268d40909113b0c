# Installs the build into a fresh prefix, then builds and runs two programs against it: one
# with the CMake package, one with pkg-config on a bare compiler command line. Each plays a
# file to its end through the renderer plug-in found beside the installed library. Then the
# installed kelmora-player plays its installed sample.
# Variables: BUILD_DIR, WORK_DIR, SOURCE_DIR, CXX, CXX_LAUNCHER, EXTRA_FLAGS (a ;-list).

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

# What the programs run with: no plug-in path, a fake sink that does not wait for a clock.
set(play_env ${CMAKE_COMMAND} -E env --unset=KELMORA_MAFW_PLUGIN_PATH
    "KELMORA_AUDIO_SINK=fakesink sync=false" "KELMORA_VIDEO_SINK=fakesink sync=false"
    QT_QPA_PLATFORM=offscreen "HOME=${WORK_DIR}" "XDG_CACHE_HOME=${WORK_DIR}/cache"
    "DBUS_SESSION_BUS_ADDRESS=unix:path=${WORK_DIR}/no-bus")

string(REPLACE ";" " " flags "${EXTRA_FLAGS}")
run("configure the CMake consumer" ${CMAKE_COMMAND} -S "${SOURCE_DIR}/consumer"
    -B "${WORK_DIR}/cmake-consumer" "-DCMAKE_PREFIX_PATH=${prefix}"
    "-DCMAKE_CXX_COMPILER=${CXX}" "-DCMAKE_CXX_COMPILER_LAUNCHER=${CXX_LAUNCHER}"
    "-DCMAKE_CXX_FLAGS=${flags}" -DCMAKE_BUILD_TYPE=Release)
run("build the CMake consumer" ${CMAKE_COMMAND} --build "${WORK_DIR}/cmake-consumer")
run("run the CMake consumer" ${play_env} "${WORK_DIR}/cmake-consumer/consumer")

file(GLOB_RECURSE pc_file "${prefix}/*/kelmora.pc")
get_filename_component(pc_dir "${pc_file}" DIRECTORY)
set(ENV{PKG_CONFIG_PATH} "${pc_dir}")
run("pkg-config" pkg-config --cflags --libs kelmora)
separate_arguments(pc_flags UNIX_COMMAND "${run_output}")
get_filename_component(lib_dir "${pc_dir}" DIRECTORY)
run("build the pkg-config consumer" ${CXX_LAUNCHER} ${CXX} -std=c++17 -fPIC ${EXTRA_FLAGS}
    "${SOURCE_DIR}/consumer/consumer.cpp" ${pc_flags} "-Wl,-rpath,${lib_dir}"
    -o "${WORK_DIR}/pc-consumer")
run("run the pkg-config consumer" ${play_env} "${WORK_DIR}/pc-consumer")

run("run the installed player on its sample" ${play_env} "${prefix}/bin/kelmora-player")

file(REMOVE_RECURSE "${WORK_DIR}")
