# Fails when a lower layer of the desktop program includes a higher one: document/
# sits below shell/, and view/ below both.
set(rules
    "document|shell"
    "view|document shell")
set(offenders "")
foreach(rule IN LISTS rules)
    string(REPLACE "|" ";" parts "${rule}")
    list(GET parts 0 layer)
    list(GET parts 1 above)
    string(REPLACE " " "|" above_pattern "${above}")
    file(GLOB_RECURSE files ${ROOT}/${layer}/*.h ${ROOT}/${layer}/*.cpp)
    foreach(file IN LISTS files)
        file(STRINGS ${file} hits
            REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](${above_pattern})/")
        if(hits)
            list(APPEND offenders "${file}: ${hits}")
        endif()
    endforeach()
endforeach()
if(offenders)
    string(REPLACE ";" "\n  " listing "${offenders}")
    message(FATAL_ERROR "A lower layer includes a higher one:\n  ${listing}")
endif()
