# Sanitizer builds (-DSALUTE_SANITIZE=ON) of the desktop program.
#
# SDL unloads the OpenGL driver when it shuts down, at process exit, before
# LeakSanitizer looks for lost memory; the blocks that the driver still
# pointed to from its own data then look lost. Keeping Mesa's software
# driver (the one used under the virtual X server of the tests) loaded for
# the whole process lets LeakSanitizer see those pointers, so what it
# reports is really lost.
if(SALUTE_SANITIZE)
  find_file(SALUTE_SOFTWARE_GL_DRIVER swrast_dri.so
    PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/dri /usr/lib/dri /usr/lib64/dri
    NO_DEFAULT_PATH)
  find_program(SALUTE_OBJDUMP NAMES objdump)
  if(SALUTE_SOFTWARE_GL_DRIVER AND SALUTE_OBJDUMP)
    # The driver's file names itself by another name (its soname, shared by
    # every Mesa driver): the program finds it under that name in a folder
    # of the build tree.
    execute_process(COMMAND ${SALUTE_OBJDUMP} -p ${SALUTE_SOFTWARE_GL_DRIVER}
      OUTPUT_VARIABLE driver_headers ERROR_QUIET)
    string(REGEX MATCH "SONAME +([^ \n]+)" soname_line "${driver_headers}")
    set(driver_soname ${CMAKE_MATCH_1})
    if(driver_soname)
      set(driver_dir ${CMAKE_BINARY_DIR}/sanitize-gl-driver)
      file(MAKE_DIRECTORY ${driver_dir})
      file(CREATE_LINK ${SALUTE_SOFTWARE_GL_DRIVER} ${driver_dir}/${driver_soname} SYMBOLIC)
      target_link_options(platform_sdl INTERFACE
        LINKER:--no-as-needed ${driver_dir}/${driver_soname} LINKER:--as-needed LINKER:-rpath,${driver_dir})
    endif()
  endif()
  # The same for EGL (the loader and Mesa's EGL), which SDL loads for its
  # Wayland and offscreen drivers and unloads at shutdown.
  # (One SHELL: group, since CMake would fold repeated linker flags.)
  set(egl_paths "")
  foreach(egl_library libEGL.so.1 libEGL_mesa.so.0)
    string(MAKE_C_IDENTIFIER ${egl_library} egl_variable)
    find_file(SALUTE_${egl_variable} ${egl_library} PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE} NO_DEFAULT_PATH)
    if(SALUTE_${egl_variable})
      string(APPEND egl_paths " ${SALUTE_${egl_variable}}")
    endif()
  endforeach()
  if(egl_paths)
    target_link_options(platform_sdl INTERFACE "SHELL:-Wl,--no-as-needed${egl_paths} -Wl,--as-needed")
  endif()
endif()
