# corvane_debian_source(PACKAGE OUT_VAR): unpacks Debian's source package PACKAGE into the build
# tree once (`apt-get source`; deb-src is enabled by scripts/setup) and sets OUT_VAR to the
# folder of its sources, _deps/PACKAGE/PACKAGE-VERSION; later configurations reuse it.
function(corvane_debian_source package out_var)
  set(deps ${CMAKE_BINARY_DIR}/_deps/${package})
  file(GLOB src_dir LIST_DIRECTORIES true ${deps}/${package}-*)
  if(NOT src_dir)
    file(MAKE_DIRECTORY ${deps})
    message(STATUS "Fetching Debian's ${package} source package")
    execute_process(COMMAND apt-get source -qq ${package}
                    WORKING_DIRECTORY ${deps} RESULT_VARIABLE rc OUTPUT_QUIET)
    file(GLOB src_dir LIST_DIRECTORIES true ${deps}/${package}-*)
    if(NOT rc EQUAL 0 OR NOT src_dir)
      message(FATAL_ERROR "apt-get source ${package} failed; run scripts/setup first")
    endif()
  endif()
  list(GET src_dir 0 src_dir)
  set(${out_var} ${src_dir} PARENT_SCOPE)
endfunction()
