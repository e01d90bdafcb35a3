# Fails when a layer includes a header of a layer above it or beside it. Each rule names a
# folder and the folders of ours it may include; a folder of ours not named is refused.
# The linker checks the same order for the objects (cmake/layer_checks.cmake).
set(ours base geometry model project cli view document shell samples tests bench fuzz)
set(rules
    "base|base"
    "geometry|base geometry"
    "model|base geometry model"
    "project|base geometry model project"
    "cli|base geometry model project cli"
    "view|base geometry model project view"
    "document|base geometry model project view document"
    "shell|base geometry model project view document shell")
set(offenders "")
foreach(rule IN LISTS rules)
    string(REPLACE "|" ";" fields "${rule}")
    list(GET fields 0 layer)
    list(GET fields 1 allowed)
    string(REPLACE " " ";" allowed "${allowed}")
    set(refused ${ours})
    list(REMOVE_ITEM refused ${allowed})
    string(REPLACE ";" "|" refused_pattern "${refused}")
    file(GLOB_RECURSE files ${ROOT}/${layer}/*.h ${ROOT}/${layer}/*.cpp)
    foreach(file IN LISTS files)
        file(STRINGS ${file} hits
            REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](${refused_pattern})/")
        if(hits)
            list(APPEND offenders "${file}: ${hits}")
        endif()
    endforeach()
endforeach()
if(offenders)
    string(REPLACE ";" "\n  " listing "${offenders}")
    message(FATAL_ERROR "A layer includes a higher one:\n  ${listing}")
endif()
