# Files the program needs in its application folder: the start and stop sounds and the manual.
# They are copied next to the executables at build time, so that the program runs from the
# build folder, and installed to <prefix>/share/skivane, from where an installed program fills
# the per-user folder ~/.local/share/skivane on its first start.
include(GNUInstallDirs)

file(GLOB SKV_RESOURCES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/resources/*.wav
     ${PROJECT_SOURCE_DIR}/resources/*.rtf)

set(SKV_RESOURCE_OUTPUTS)
foreach(res ${SKV_RESOURCES})
    get_filename_component(name ${res} NAME)
    set(out ${PROJECT_BINARY_DIR}/${name})
    add_custom_command(OUTPUT ${out}
                       COMMAND ${CMAKE_COMMAND} -E copy_if_different ${res} ${out}
                       DEPENDS ${res}
                       COMMENT "Copying ${name} next to the executables")
    list(APPEND SKV_RESOURCE_OUTPUTS ${out})
endforeach()
add_custom_target(skivane_resources ALL DEPENDS ${SKV_RESOURCE_OUTPUTS})
if(TARGET skivane)
    add_dependencies(skivane skivane_resources)
endif()

install(TARGETS skivane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# skivane-bench stays in the build tree: operators have no use for it.
if(TARGET skivane-info)
    install(TARGETS skivane-info RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${SKV_RESOURCES} DESTINATION ${CMAKE_INSTALL_DATADIR}/skivane)
if(EXISTS ${PROJECT_SOURCE_DIR}/resources/skivane.desktop)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/skivane.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()
