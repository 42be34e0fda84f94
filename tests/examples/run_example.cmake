# cmake -P script: install, configure the example against the install, build and run it.
# EXECUTABLE names the example's program; EXPECT_INSTALLED lists files (relative to the prefix)
# that the install must have put in place.
set(prefix ${WORK_DIR}/install)
file(REMOVE_RECURSE ${WORK_DIR})

function(run)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "Failed (${rc}): ${ARGV}\n${out}\n${err}")
  endif()
  message("${out}")
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DQt6_DIR=${QT_DIR}
    -DCMAKE_CXX_FLAGS=${CXX_FLAGS} -DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}
    -DCMAKE_BUILD_RPATH=${prefix}/lib)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
foreach(file ${EXPECT_INSTALLED})
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "Not installed: ${prefix}/${file}")
  endif()
endforeach()
run(${WORK_DIR}/build/${EXECUTABLE})
