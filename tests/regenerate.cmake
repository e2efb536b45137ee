# Regenerates the table files into a scratch folder and compares them byte
# for byte with the committed ones.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${GENTABLES} ${MAPPING} ${OUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gentables failed: ${rc}")
endif()
foreach(name "MS932~EUC-JP.bin" "MS932~UTF-8.bin" "MS932~Shift_JIS.bin")
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/${name} ${DATA}/${name} RESULT_VARIABLE diff)
  if(NOT diff EQUAL 0)
    message(FATAL_ERROR "${name} differs from what gentables makes of the mapping")
  endif()
endforeach()
