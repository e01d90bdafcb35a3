# Fails when a file of the Qt-free core includes a Qt header.
file(GLOB_RECURSE core_files
    ${ROOT}/base/*.h ${ROOT}/base/*.cpp
    ${ROOT}/geometry/*.h ${ROOT}/geometry/*.cpp
    ${ROOT}/model/*.h ${ROOT}/model/*.cpp
    ${ROOT}/project/*.h ${ROOT}/project/*.cpp)
set(offenders "")
foreach(file IN LISTS core_files)
    file(STRINGS ${file} hits REGEX "^[ \t]*#[ \t]*include[ \t]*<Q")
    if(hits)
        list(APPEND offenders ${file})
    endif()
endforeach()
if(offenders)
    message(FATAL_ERROR "The core includes Qt headers: ${offenders}")
endif()
