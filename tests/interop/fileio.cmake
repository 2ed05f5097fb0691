# Pictures and sequences made by ImageMagick and ffmpeg, and read back by them.
foreach(kind bmp yuv y4m)
  add_test(NAME interop_fileio_${kind}
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/fileio_${kind}.sh $<TARGET_FILE:veldax-gen>)
  set_tests_properties(interop_fileio_${kind} PROPERTIES LABELS interop SKIP_RETURN_CODE 77)
endforeach()
