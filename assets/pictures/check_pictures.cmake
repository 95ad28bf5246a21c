# Draws the pictures afresh into an empty folder and compares them, pixel by
# pixel, with the committed ones (PNG bytes may differ with the zlib version).
file(REMOVE_RECURSE ${FRESH})
file(MAKE_DIRECTORY ${FRESH})
execute_process(COMMAND ${PICGEN} ${FRESH} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the generator failed (${rc})")
endif()
execute_process(COMMAND ${PICGEN} --compare ${COMMITTED} ${FRESH} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the committed pictures differ from what the generator draws")
endif()
