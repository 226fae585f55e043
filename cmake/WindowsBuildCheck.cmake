# Configures the Windows build (springview and the reader's tests) with mingw-w64, builds springview,
# checks that a PE executable came out, and packs it into the zip.
# Run as: cmake -DSOURCE_DIR=... -DBINARY_DIR=... -P WindowsBuildCheck.cmake
foreach(variable SOURCE_DIR BINARY_DIR)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()

execute_process(
  COMMAND ${CMAKE_COMMAND} -G Ninja -S ${SOURCE_DIR} -B ${BINARY_DIR}
          -DCMAKE_TOOLCHAIN_FILE=${SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
          -DSV_BUILD_TESTS=ON -DSV_BUILD_BENCH=OFF
  RESULT_VARIABLE configured)
if(NOT configured EQUAL 0)
  message(FATAL_ERROR "configuring the Windows build failed")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --target springview springview-import -j 2
                RESULT_VARIABLE built)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "building springview for Windows failed")
endif()

set(executable ${BINARY_DIR}/springview.exe)
if(NOT EXISTS ${executable})
  message(FATAL_ERROR "no ${executable}")
endif()
# A Windows executable starts with "MZ" and its PE header names the x86-64 machine (0x8664).
file(READ ${executable} header LIMIT 2 HEX)
if(NOT header STREQUAL "4d5a")
  message(FATAL_ERROR "springview.exe is not a Windows executable")
endif()
# It must import the window system and OpenGL from the real system libraries.
execute_process(COMMAND x86_64-w64-mingw32-objdump -p ${executable} OUTPUT_VARIABLE imports RESULT_VARIABLE dumped)
if(NOT dumped EQUAL 0)
  message(FATAL_ERROR "cannot read the imports of springview.exe")
endif()
string(TOUPPER "${imports}" imports)
foreach(library USER32.DLL GDI32.DLL OPENGL32.DLL GLU32.DLL KERNEL32.DLL)
  if(NOT imports MATCHES "DLL NAME: ${library}")
    message(FATAL_ERROR "springview.exe does not import ${library}")
  endif()
endforeach()
message(STATUS "springview.exe links for Windows")

# The zip: springview.exe and springview-import.exe (static, so no DLL beside them), the importer's
# manual, the model and a README in one folder, unpacked
# into an empty BINARY_DIR/unpacked for the end-to-end test under Wine.
file(GLOB old ${BINARY_DIR}/*.zip)
if(old)
  file(REMOVE ${old})
endif()
get_filename_component(cmake_bin ${CMAKE_COMMAND} DIRECTORY)
execute_process(COMMAND ${cmake_bin}/cpack -G ZIP WORKING_DIRECTORY ${BINARY_DIR} RESULT_VARIABLE failed
                OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(GLOB zip ${BINARY_DIR}/*.zip)
if(failed OR NOT zip)
  message(FATAL_ERROR "cpack made no zip:\n${out}")
endif()
file(REMOVE_RECURSE ${BINARY_DIR}/unpacked)
file(MAKE_DIRECTORY ${BINARY_DIR}/unpacked)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${BINARY_DIR}/unpacked
                RESULT_VARIABLE failed)
file(GLOB_RECURSE unpacked RELATIVE ${BINARY_DIR}/unpacked ${BINARY_DIR}/unpacked/*)
get_filename_component(folder ${zip} NAME_WLE)
set(expected ${folder}/README.txt ${folder}/sphere_k.obj ${folder}/springview-import.exe
    ${folder}/springview-import.txt ${folder}/springview.exe)
list(SORT unpacked)
if(failed OR NOT unpacked STREQUAL expected)
  message(FATAL_ERROR "the zip holds ${unpacked}, not ${expected}")
endif()
message(STATUS "${zip} holds springview.exe, springview-import.exe and its manual, sphere_k.obj and README.txt")
