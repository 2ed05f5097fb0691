# The example bench of examples/testbench under Icarus Verilog and Verilator.
# The Verilator build is the slow one: labelled `slow` as well, so `ctest -LE slow`
# leaves it out of a quick local run; nothing in CI excludes it.
foreach(sim iverilog verilator)
  add_test(NAME interop_testbench_${sim}
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/testbench.sh ${sim} $<TARGET_FILE:veldax-gen>
                   $<TARGET_FILE:veldax-inspect>)
  set_tests_properties(interop_testbench_${sim} PROPERTIES LABELS interop SKIP_RETURN_CODE 77 TIMEOUT 600)
endforeach()
set_tests_properties(interop_testbench_verilator PROPERTIES LABELS "interop;slow")
# `cmake --install` of the programs, manual pages, include and examples.
add_test(NAME interop_install
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install.sh $<TARGET_FILE:veldax-gen> ${CMAKE_BINARY_DIR})
set_tests_properties(interop_install PROPERTIES LABELS interop SKIP_RETURN_CODE 77)
