# veldax-inspect against planted differences, md5sum, dd and ImageMagick.
add_test(NAME interop_inspect
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/inspect_checks.sh $<TARGET_FILE:veldax-gen>
                 $<TARGET_FILE:veldax-inspect>)
set_tests_properties(interop_inspect PROPERTIES LABELS interop SKIP_RETURN_CODE 77)
