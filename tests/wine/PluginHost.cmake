# The plug-in as a driver core meets it, in both Windows builds: its export table and version checked
# in the file, and a host program of this build's architecture that loads it under Wine.
add_test(NAME plugin_exports
         COMMAND ${CMAKE_COMMAND} -D OBJDUMP=${CMAKE_OBJDUMP} -D DLL=$<TARGET_FILE:TolvUIRQ7K>
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/plugin-exports-check.cmake)

add_executable(kvx_plugin_host WindowsPluginHost.cpp PluginAbiCheck.cpp WindowAnswerer.cpp WindowPicture.cpp
               ${PROJECT_SOURCE_DIR}/tests/uiplugin/host/PluginHostScenarios.cpp)
target_include_directories(kvx_plugin_host PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/uiplugin/res)
target_compile_definitions(kvx_plugin_host PRIVATE KVX_PLUGIN_DLL="Z:$<TARGET_FILE:TolvUIRQ7K>")
target_link_libraries(kvx_plugin_host PRIVATE GTest::gtest_main winspool version comctl32 gdi32 uuid)
add_dependencies(kvx_plugin_host TolvUIRQ7K)

# Without a Wine that runs this architecture (wine32 for x86, and a kernel that runs 32-bit programs)
# the test is skipped, and says so: a Wine without wine32 runs a 32-bit program as nothing that exits 0.
if(kvx_wine_usable)
  set(plugin_wine_run ${CMAKE_BINARY_DIR}/wine/run)
else()
  set(plugin_wine_run "")
endif()
math(EXPR plugin_host_timeout "${KVX_WINE_TIMEOUT} + 15")
add_test(NAME plugin_host
         COMMAND /bin/bash ${CMAKE_CURRENT_SOURCE_DIR}/plugin-host-check.sh "${plugin_wine_run}" ${KVX_WINE_LOADER}
                 $<TARGET_FILE:kvx_plugin_host> ${CMAKE_CURRENT_BINARY_DIR}/kvx_plugin_host.xml)
set_tests_properties(plugin_host PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT ${plugin_host_timeout})
if(plugin_wine_run)
  set_tests_properties(plugin_host PROPERTIES FIXTURES_REQUIRED wine)
endif()
