# Runs one batch-tool command and checks its exit code, its output and, optionally, the
# files it wrote against checked-in references.
#   -DCOMMAND=<exe;args...> -DEXPECT_EXIT=<n> [-DEXPECT_REGEX=<regex>]
#   [-DCOMPARE=<written|reference;...>]
#   [-DFOLDER=<dir> -DCOPY=<source|copy;...> -DLINK=<existing|hard link;...>]: the folder
#   is made afresh and filled with copies and hard links before the command runs
#   [-DABSENT=<file;...>]: files the command must not have written
if(DEFINED FOLDER AND NOT FOLDER STREQUAL "")
    file(REMOVE_RECURSE "${FOLDER}")
    file(MAKE_DIRECTORY "${FOLDER}")
endif()
foreach(pair IN LISTS COPY)
    string(REPLACE "|" ";" files "${pair}")
    list(GET files 0 source)
    list(GET files 1 copy)
    file(COPY_FILE "${source}" "${copy}")
endforeach()
foreach(pair IN LISTS LINK)
    string(REPLACE "|" ";" files "${pair}")
    list(GET files 0 existing)
    list(GET files 1 link)
    file(CREATE_LINK "${existing}" "${link}")
endforeach()
execute_process(COMMAND ${COMMAND}
    RESULT_VARIABLE exit_code OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(output "${out}${err}")
if(NOT exit_code STREQUAL EXPECT_EXIT)
    message(FATAL_ERROR "exit code ${exit_code}, expected ${EXPECT_EXIT}\n${output}")
endif()
if(DEFINED EXPECT_REGEX AND NOT output MATCHES "${EXPECT_REGEX}")
    message(FATAL_ERROR "output does not match \"${EXPECT_REGEX}\":\n${output}")
endif()
foreach(pair IN LISTS COMPARE)
    string(REPLACE "|" ";" files "${pair}")
    list(GET files 0 written)
    list(GET files 1 reference)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${written}" "${reference}"
        RESULT_VARIABLE different)
    if(different)
        message(FATAL_ERROR "${written} differs from ${reference} (kept for inspection; "
                            "run: diff ${written} ${reference})")
    endif()
endforeach()
foreach(file IN LISTS ABSENT)
    if(EXISTS "${file}")
        message(FATAL_ERROR "${file} was written")
    endif()
endforeach()
