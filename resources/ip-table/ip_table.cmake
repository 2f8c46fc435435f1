# velmora_embed_ip_table(<target>): compiles resources/ip-table/ip_table.gz into <target> as the
# definition of velmora::PackedCountryTable() (analysis/countries/country_packed_table.h).
#
# The bytes become a generated C++ array (embed_bytes.cmake, run by the build), so the program
# carries the table in itself and nothing is downloaded or read from disk at run time. The
# generated source is rebuilt only when the packed file or the script changes.
function(velmora_embed_ip_table target)
  set(dir ${PROJECT_SOURCE_DIR}/resources/ip-table)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/country_packed_table_data.cpp)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${dir}/ip_table.gz -DOUTPUT=${output}
            -DFUNCTION=PackedCountryTable -DHEADER=analysis/countries/country_packed_table.h
            -P ${dir}/embed_bytes.cmake
    DEPENDS ${dir}/ip_table.gz ${dir}/embed_bytes.cmake
    COMMENT "Embedding the packed IP-to-country table"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()
