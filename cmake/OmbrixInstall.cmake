# Where `cmake --install` puts the program, in two components:
#   program  the program with its TONE folder in lib/ombrix (it finds TONE
#            beside itself) and a link bin/ombrix to it; the window's desktop
#            entry and icon join this component (share/applications,
#            share/icons) where the window is built;
#   module   QNStaff.so and register-module.sh in lib/ombrix, and the
#            registration (see module/fluid/CMakeLists.txt).
# Every file, the registration included, is listed in install_manifest.txt,
# so that `xargs rm < install_manifest.txt` removes the installation.

# Installing (and packaging) takes what is built and builds nothing itself:
# the build names the targets it needs, and a package is made in seconds.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(OMBRIX_INSTALL_DIR lib/ombrix CACHE STRING "Folder below the prefix for the program, its TONE folder and the module")
set(OMBRIX_PROGRAM_COMPONENT program)
set(OMBRIX_MODULE_COMPONENT module)

# The program's own files; called once every target exists.
function(ombrix_install_program)
  install(TARGETS ombrix RUNTIME DESTINATION ${OMBRIX_INSTALL_DIR} COMPONENT ${OMBRIX_PROGRAM_COMPONENT})
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/tone/data/TONE DESTINATION ${OMBRIX_INSTALL_DIR}
          COMPONENT ${OMBRIX_PROGRAM_COMPONENT})
  install(PROGRAMS ${CMAKE_SOURCE_DIR}/scripts/register-module.sh DESTINATION ${OMBRIX_INSTALL_DIR}
          COMPONENT ${OMBRIX_MODULE_COMPONENT})
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION share/doc/ombrix COMPONENT ${OMBRIX_PROGRAM_COMPONENT})
  # bin/ombrix is a relative link, so that it holds inside a package and
  # below any prefix; the program resolves it to find TONE beside itself.
  install(CODE "
    set(_ombrix_link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/ombrix\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(REMOVE \"\${_ombrix_link}\")
    file(CREATE_LINK \"../${OMBRIX_INSTALL_DIR}/ombrix\" \"\${_ombrix_link}\" SYMBOLIC)
    message(STATUS \"Installing: \${_ombrix_link} -> ../${OMBRIX_INSTALL_DIR}/ombrix\")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${_ombrix_link}\")
  " COMPONENT ${OMBRIX_PROGRAM_COMPONENT})
endfunction()

# Installing the module registers it: the player's registry entry points into
# the folder that holds QNStaff.so. Installing as root registers it
# system-wide, otherwise for the installing user; OMBRIX_REGISTRY_SCOPE=user
# or =system in the environment chooses explicitly. Into a staging folder
# (DESTDIR, or a package being made) nothing is registered: the package's
# own scripts do that on the target system.
function(ombrix_install_module_registration)
  install(CODE "
    if(\"\$ENV{DESTDIR}\" STREQUAL \"\" AND NOT CPACK_GENERATOR)
      set(_ombrix_dir \"\${CMAKE_INSTALL_PREFIX}/${OMBRIX_INSTALL_DIR}\")
      set(_ombrix_scope \"\$ENV{OMBRIX_REGISTRY_SCOPE}\")
      if(_ombrix_scope STREQUAL \"\")
        execute_process(COMMAND id -u OUTPUT_VARIABLE _ombrix_uid OUTPUT_STRIP_TRAILING_WHITESPACE)
        set(_ombrix_scope user)
        if(_ombrix_uid STREQUAL \"0\")
          set(_ombrix_scope system)
        endif()
      endif()
      set(_ombrix_flag)
      if(_ombrix_scope STREQUAL \"system\")
        set(_ombrix_flag --system)
      endif()
      execute_process(COMMAND sh \"\${_ombrix_dir}/register-module.sh\" \"\${_ombrix_dir}\" \${_ombrix_flag} --print-file
                      OUTPUT_VARIABLE _ombrix_registration OUTPUT_STRIP_TRAILING_WHITESPACE
                      RESULT_VARIABLE _ombrix_result)
      if(NOT _ombrix_result EQUAL 0)
        message(FATAL_ERROR \"Registering the synthesizer module failed\")
      endif()
      message(STATUS \"Registered: \${_ombrix_dir}/QNStaff.so in \${_ombrix_registration}\")
      list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${_ombrix_registration}\")
    else()
      message(STATUS \"Staging install: the module is registered on the target system (register-module.sh)\")
    endif()
  " COMPONENT ${OMBRIX_MODULE_COMPONENT})
endfunction()
