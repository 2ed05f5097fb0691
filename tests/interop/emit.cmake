# params.v read by a Verilog simulator, veldax_head by the C preprocessor.
foreach(tool iverilog cpp)
  add_test(NAME interop_emit_${tool} COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/emit_${tool}.sh $<TARGET_FILE:veldax-gen>)
  set_tests_properties(interop_emit_${tool} PROPERTIES LABELS interop SKIP_RETURN_CODE 77)
endforeach()
