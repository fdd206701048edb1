# korvane_embed(OUT_CPP SYMBOL FILE): turns FILE into a C++ source defining
#   extern const unsigned char SYMBOL[]; extern const unsigned long SYMBOL_size;
# so that data the program cannot live without travels inside the binary.
function(korvane_embed out_cpp symbol file)
  add_custom_command(
    OUTPUT ${out_cpp}
    COMMAND ${CMAKE_COMMAND} -DIN=${file} -DOUT=${out_cpp} -DSYMBOL=${symbol}
            -P ${CMAKE_SOURCE_DIR}/cmake/EmbedOne.cmake
    DEPENDS ${file} ${CMAKE_SOURCE_DIR}/cmake/EmbedOne.cmake
    COMMENT "Embedding ${file}")
endfunction()
