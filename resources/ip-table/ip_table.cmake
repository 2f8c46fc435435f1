# velmora_embed_ip_table(<target>): compiles resources/ip-table/ip_table.gz (IPv4) and
# ip6_table.gz (IPv6) into <target> as the definitions of velmora::PackedCountryTable() and
# velmora::PackedCountryTable6() (analysis/countries/country_packed_table.h).
#
# The bytes become generated C++ arrays (embed_bytes.cmake, run by the build), so the program
# carries the tables in itself and nothing is downloaded or read from disk at run time. A
# generated source is rebuilt only when its packed file or the script changes.
function(velmora_embed_ip_table target)
  set(dir ${PROJECT_SOURCE_DIR}/resources/ip-table)
  foreach(table IN ITEMS "ip_table;PackedCountryTable" "ip6_table;PackedCountryTable6")
    list(GET table 0 name)
    list(GET table 1 function)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${name}_data.cpp)
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -DINPUT=${dir}/${name}.gz -DOUTPUT=${output}
              -DFUNCTION=${function} -DHEADER=analysis/countries/country_packed_table.h
              -P ${dir}/embed_bytes.cmake
      DEPENDS ${dir}/${name}.gz ${dir}/embed_bytes.cmake
      COMMENT "Embedding the packed IP-to-country table ${name}.gz"
      VERBATIM)
    target_sources(${target} PRIVATE ${output})
  endforeach()
endfunction()
