# End-to-end checks of "dgr convert", run by CTest as: cmake -DDGR=... -DDATA=... -DWORK=... -P this file.
# DATA holds the golden pairs (<name>.txt with its exact binary as fuzz corpus <name>.bin).

function(fail message)
  message(FATAL_ERROR "${message}")
endfunction()

function(expect_same_file a b)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${a} ${b} RESULT_VARIABLE different)
  if(different)
    fail("${a} and ${b} differ")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# Text -> binary and back, direction detected from the input.
execute_process(COMMAND ${DGR} convert ${DATA}/simple.txt ${WORK}/simple.bin RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  fail("text to binary failed (${rc}): ${err}")
endif()
expect_same_file(${WORK}/simple.bin ${BINARIES}/simple.bin)
execute_process(COMMAND ${DGR} convert ${WORK}/simple.bin ${WORK}/simple.txt RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  fail("binary to text failed (${rc}): ${err}")
endif()
expect_same_file(${WORK}/simple.txt ${DATA}/simple.txt)

# Standard input and output.
execute_process(COMMAND ${DGR} convert - - INPUT_FILE ${BINARIES}/strings.bin OUTPUT_FILE ${WORK}/strings.txt RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  fail("stdin to stdout failed (${rc})")
endif()
expect_same_file(${WORK}/strings.txt ${DATA}/strings.txt)

# Forcing the direction: text input forced to be read as binary is refused.
execute_process(COMMAND ${DGR} convert ${DATA}/simple.txt ${WORK}/forced.txt --to-text RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "Invalid stream format")
  fail("forced --to-text on text input: rc=${rc} err=${err}")
endif()
execute_process(COMMAND ${DGR} convert ${BINARIES}/children.bin ${WORK}/children.txt --to-text RESULT_VARIABLE rc)
expect_same_file(${WORK}/children.txt ${DATA}/children.txt)

# Bad input: non-zero exit, message on stderr, the existing OUT stays as it was.
file(WRITE ${WORK}/bad.txt "object A: TB\r\n  P = 'open\r\nend\r\n")
file(WRITE ${WORK}/existing.bin "keep me")
execute_process(COMMAND ${DGR} convert ${WORK}/bad.txt ${WORK}/existing.bin RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "Invalid string constant on line 2")
  fail("bad text: rc=${rc} err=${err}")
endif()
file(READ ${WORK}/existing.bin kept)
if(NOT kept STREQUAL "keep me")
  fail("a failed conversion changed OUT")
endif()
file(GLOB leftovers ${WORK}/existing.bin?*)
if(leftovers)
  fail("temporary files left behind: ${leftovers}")
endif()

# Usage errors and unreadable input.
execute_process(COMMAND ${DGR} convert ${DATA}/simple.txt RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "Usage: dgr convert")
  fail("missing OUT: rc=${rc} err=${err}")
endif()
execute_process(COMMAND ${DGR} convert ${WORK}/no-such-file ${WORK}/x.bin RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "cannot read")
  fail("missing input: rc=${rc} err=${err}")
endif()
if(EXISTS ${WORK}/x.bin)
  fail("OUT created for unreadable input")
endif()
