# The one place the versions are set. The installer's own (its About box shows "4.1.0", a text of the
# dialog that stays as it is) and the driver UI plug-in's, which the driver core sees in its version
# resource. Both go into the version resources, the packages' names and "--version".
set(KVX_INSTALLER_VERSION 4.1.0.0)
set(KVX_PLUGIN_VERSION 4.1.1.0)

# Into dir: KvxVersion.h for the resource scripts (each version as text and as the four
# comma-separated numbers a VERSIONINFO statement takes), and the installer's manifest, whose
# assembly version is the installer's. (--version's text: installer/app/ProgramVersion.cpp.in.)
function(kvx_write_version_files dir)
  string(REPLACE "." ", " KVX_INSTALLER_VERSION_COMMAS ${KVX_INSTALLER_VERSION})
  string(REPLACE "." ", " KVX_PLUGIN_VERSION_COMMAS ${KVX_PLUGIN_VERSION})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/KvxVersion.h.in ${dir}/KvxVersion.h @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/installer/res/KvxInstaller.manifest.in ${dir}/KvxInstaller.manifest @ONLY)
endfunction()
