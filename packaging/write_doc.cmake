# cmake -D PROGRAM=<velmora> -D ARGS="help-man" -D OUTPUT=<file> [-D GZIP=1] -P write_doc.cmake
#
# Runs the program to write one of its documents; a failure leaves no output file behind, so the
# next build runs it again. GZIP=1 compresses it as Debian keeps manual pages (gzip -9n: the same
# bytes on every build).
separate_arguments(args UNIX_COMMAND "${ARGS}")
execute_process(COMMAND ${PROGRAM} ${args} OUTPUT_FILE ${OUTPUT}.tmp RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  file(REMOVE ${OUTPUT}.tmp)
  message(FATAL_ERROR "${PROGRAM} ${ARGS} failed (${rc})")
endif()
if(GZIP)
  execute_process(COMMAND gzip -9n -c ${OUTPUT}.tmp OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE rc)
  file(REMOVE ${OUTPUT}.tmp)
  if(NOT rc EQUAL 0)
    file(REMOVE ${OUTPUT})
    message(FATAL_ERROR "gzip of ${OUTPUT} failed (${rc})")
  endif()
else()
  file(RENAME ${OUTPUT}.tmp ${OUTPUT})
endif()
