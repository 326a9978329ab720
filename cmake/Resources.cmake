# Compiled resources: one line per target.
#   jorvana_resources(target script.rc)            links the script's table into a target
#   jorvana_resource_module(name script.rc file)   a resource-only module (a language module),
#                                                  built as the shared object "file"
#   jorvana_language_module(name script.rc table file)
#                                                  the script's resources with every text
#                                                  translated through the table, as the
#                                                  language module "file" in LangsRes/
# Scripts include headers from the repository root and from resources/.

function(jorvana_resources target script)
    set(extra ${ARGN})
    get_filename_component(abs ${script} ABSOLUTE)
    get_filename_component(stem ${script} NAME_WE)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_${stem}_resources.cpp)
    add_custom_command(
        OUTPUT ${out}
        COMMAND jrc ${abs} -o ${out} -I ${CMAKE_SOURCE_DIR} -I ${CMAKE_SOURCE_DIR}/resources --depfile ${out}.d ${extra}
        DEPENDS jrc ${abs}
        DEPFILE ${out}.d
        COMMENT "Compiling resources ${stem}"
        VERBATIM)
    target_sources(${target} PRIVATE ${out})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        # The layer finds the program's table by its exported symbol.
        set_target_properties(${target} PROPERTIES ENABLE_EXPORTS ON)
    endif()
endfunction()

function(jorvana_resource_module name script file)
    add_library(${name} MODULE)
    jorvana_resources(${name} ${script})
    set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX "" OUTPUT_NAME ${file})
endfunction()

function(jorvana_language_module name script table file)
    get_filename_component(tableAbs ${table} ABSOLUTE)
    add_library(${name} MODULE)
    jorvana_resources(${name} ${script} --translate ${tableAbs})
    set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX "" OUTPUT_NAME ${file}
                          LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/LangsRes)
endfunction()
