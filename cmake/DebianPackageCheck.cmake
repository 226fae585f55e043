# Builds the Debian package from a Release build of the viewer and checks it: dependencies found by
# dpkg-shlibdeps, no lintian errors, and its files unpacked (dpkg -x, nothing installed) into
# BINARY_DIR/root for the launcher test.
# Run as: cmake -DSOURCE_DIR=... -DBINARY_DIR=... -P DebianPackageCheck.cmake
foreach(variable SOURCE_DIR BINARY_DIR)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(failed)
    message(FATAL_ERROR "${what} failed:\n${out}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

# Debian's hardening: fortified string functions, read-only relocations bound at start.
run("configuring the package build" ${CMAKE_COMMAND} -G Ninja -S ${SOURCE_DIR} -B ${BINARY_DIR}
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DSV_BUILD_TESTS=OFF -DSV_BUILD_BENCH=OFF
    -DCMAKE_CXX_FLAGS=-D_FORTIFY_SOURCE=2 "-DCMAKE_EXE_LINKER_FLAGS=-Wl,-z,relro,-z,now")
run("building the viewer, the importer and the icons" ${CMAKE_COMMAND} --build ${BINARY_DIR}
    --target springview springview-import sv_install_files -j 2)
file(GLOB old ${BINARY_DIR}/*.deb)
if(old)
  file(REMOVE ${old})
endif()
get_filename_component(cmake_bin ${CMAKE_COMMAND} DIRECTORY)
execute_process(COMMAND ${cmake_bin}/cpack -G DEB WORKING_DIRECTORY ${BINARY_DIR} RESULT_VARIABLE failed OUTPUT_VARIABLE out
                ERROR_VARIABLE out)
file(GLOB package ${BINARY_DIR}/*.deb)
if(failed OR NOT package)
  message(FATAL_ERROR "cpack made no package:\n${out}")
endif()

file(REMOVE_RECURSE ${BINARY_DIR}/root)
run("unpacking the package" dpkg -x ${package} ${BINARY_DIR}/root)

# The dependencies come from the binary (dpkg-shlibdeps): each library it loads belongs to a package
# they name, however the libraries the code links change.
run("reading the package" dpkg-deb --field ${package} Depends)
string(STRIP "${output}" depends)
message(STATUS "${package} depends on ${depends}")
run("reading the multiarch folder" dpkg-architecture -qDEB_HOST_MULTIARCH)
string(STRIP "${output}" multiarch)
run("reading the binary" objdump -p ${BINARY_DIR}/root/usr/bin/springview)
string(REGEX MATCHALL "NEEDED +[^\n]+" needed "${output}")
if(NOT needed)
  message(FATAL_ERROR "the packaged springview names no libraries")
endif()
foreach(entry ${needed})
  string(REGEX REPLACE "NEEDED +" "" library "${entry}")
  run("finding the package of ${library}" dpkg-query -S "*/${multiarch}/${library}")
  string(REGEX REPLACE ":.*" "" owner "${output}")  # "libglfw3:amd64: /usr/lib/..." gives libglfw3
  string(REPLACE "+" "\\+" owner_pattern "${owner}")
  if(NOT depends MATCHES "(^|[,|] )${owner_pattern}( |,|$)")
    message(FATAL_ERROR "springview loads ${library} from ${owner}, which the package does not depend on")
  endif()
endforeach()

run("lintian" lintian --fail-on error ${package})
message(STATUS "lintian on ${package}:\n${output}")
