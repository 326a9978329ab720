# Libraries that device programs load and that call the device layer of the program loading them
# (the Today plug-in, the setup library). Such a library links no layer of its own: one device
# layer per process, with one window manager, one set of handles. Its calls resolve at load time
# against the loading program, which therefore carries the whole layer and exports it.
#
#   jorvana_plugin(name file)    a shared object "file" (its device name) from the sources given
#                                after: target_sources(name ...) as usual
#   jorvana_plugin_host(target)  makes an executable able to load such libraries

function(jorvana_plugin name file)
    add_library(${name} MODULE ${ARGN})
    set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX "" OUTPUT_NAME ${file})
    # The library's own functions are not interposed by the host's symbols of the same name
    # (its resource table above all).
    target_link_options(${name} PRIVATE "LINKER:-Bsymbolic")
    # Headers of the layer only; its code comes from the host.
    foreach(lib platform_base platform_system platform_gdi platform_ui)
        target_include_directories(${name} PRIVATE $<TARGET_PROPERTY:${lib},INTERFACE_INCLUDE_DIRECTORIES>)
        add_dependencies(${name} ${lib})
    endforeach()
endfunction()

function(jorvana_plugin_host target)
    set(layer platform_display platform_ui platform_gdi platform_system platform_base)
    target_link_libraries(${target} PRIVATE ${layer})
    set(whole "LINKER:--whole-archive")
    foreach(lib ${layer})
        list(APPEND whole "$<TARGET_FILE:${lib}>")
    endforeach()
    list(APPEND whole "LINKER:--no-whole-archive")
    target_link_options(${target} PRIVATE ${whole})
    set_target_properties(${target} PROPERTIES ENABLE_EXPORTS ON)
endfunction()
