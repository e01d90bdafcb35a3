# tessarin_layer_link_check(LAYER): an empty program linked with every object of the static
# library LAYER (the whole archive, not only what a program pulls in) and with nothing but
# the libraries LAYER itself links, the layers below it. An object that calls into a layer
# above fails to link: "undefined reference to `tessarin::project::...`" in the target
# LAYER_link_check. Built with everything else; the programs are never run.
function(tessarin_layer_link_check layer)
    add_executable(${layer}_link_check ${PROJECT_SOURCE_DIR}/cmake/layer_link_check.cpp)
    target_link_libraries(${layer}_link_check PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${layer}>")
endfunction()
