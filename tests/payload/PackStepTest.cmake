# The build's packing step on a product folder that changes between builds: it packs
# again exactly when the folder's files change, and a folder kvpayload refuses fails the
# build with kvpayload's own reason, not with one of make's. The step runs in a project
# of its own (packstep/) made from the same CMake function as the installer's, so this
# costs one configure of a project without compilers instead of a whole setup.exe.
#   cmake -DKVPAYLOAD=... -DKAVRIX_SOURCE_DIR=... -DWORK_DIR=... -DGENERATOR=... -P PackStepTest.cmake

set(product ${WORK_DIR}/product)
set(build ${WORK_DIR}/build)
file(REMOVE_RECURSE ${WORK_DIR})
file(WRITE ${product}/a.txt "alpha")

function(configure productDir)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${KAVRIX_SOURCE_DIR}/tests/payload/packstep -B ${build} -G ${GENERATOR}
            -DKAVRIX_SOURCE_DIR=${KAVRIX_SOURCE_DIR} -DPRODUCT_DIR=${productDir} -DKVPAYLOAD=${KVPAYLOAD}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "configuring the packing step failed:\n${output}")
  endif()
endfunction()

# build(<what it should do> <expected result: 0 or FAILED> <text the output must hold or "">)
function(build what expected expectedText)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${build}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if((expected STREQUAL "0") AND NOT (result EQUAL 0))
    message(FATAL_ERROR "${what}: the build failed:\n${output}")
  elseif((expected STREQUAL "FAILED") AND (result EQUAL 0))
    message(FATAL_ERROR "${what}: the build succeeded:\n${output}")
  endif()
  if(expectedText STREQUAL "")
    if(output MATCHES "Packing")
      message(FATAL_ERROR "${what}: packed although nothing changed:\n${output}")
    endif()
  else()
    string(FIND "${output}" "${expectedText}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${what}: no '${expectedText}' in:\n${output}")
    endif()
  endif()
  if(output MATCHES "No rule to make target")
    message(FATAL_ERROR "${what}: make's own error:\n${output}")
  endif()
endfunction()

# The other folder is older than the first build's outputs.
file(WRITE ${WORK_DIR}/other/a.txt "alpha")
file(WRITE ${WORK_DIR}/other/b.txt "beta")
configure(${product})
build("first build" 0 "${product}: 1 files")
build("nothing changed" 0 "")
file(WRITE ${product}/docs/b.txt "beta")
build("a file added in a new folder" 0 "${product}: 2 files")
file(WRITE ${product}/docs/b.txt "beta, longer")
build("a file changed" 0 "${product}: 2 files")
file(REMOVE_RECURSE ${product}/docs)
build("a folder removed" 0 "${product}: 1 files")
configure(${WORK_DIR}/other)
build("another folder" 0 "${WORK_DIR}/other: 2 files")
file(CREATE_LINK nowhere ${WORK_DIR}/other/dangling SYMBOLIC)
build("a dangling link" FAILED
      "kvpayload: the symbolic link '${WORK_DIR}/other/dangling' leads to 'nowhere', which does not exist")
