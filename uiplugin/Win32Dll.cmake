# The Windows module: TolvUIRQ7K.dll, the same objects behind the entry points of
# platform/plugin/win32, exporting exactly DllGetClassObject and DllCanUnloadNow, undecorated on x86
# (the .def file names them; the linker ties them to their stdcall symbols).
set(plugin_glue ${PROJECT_SOURCE_DIR}/platform/plugin/win32)
add_library(TolvUIRQ7K SHARED ${plugin_glue}/PluginMain.cpp ${plugin_glue}/TolvUIRQ7K.def
                              ${CMAKE_CURRENT_SOURCE_DIR}/res/TolvUIRQ7K.rc)
set_target_properties(TolvUIRQ7K PROPERTIES PREFIX "" OUTPUT_NAME TolvUIRQ7K)
target_include_directories(TolvUIRQ7K PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/res)
target_link_libraries(TolvUIRQ7K PRIVATE kvx_uiplugin kvx_ui_win32 kvx_platform_win32)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # "DllGetClassObject" in the .def file is _DllGetClassObject@12 in the objects: intended.
  target_link_options(TolvUIRQ7K PRIVATE -Wl,--enable-stdcall-fixup)
endif()
