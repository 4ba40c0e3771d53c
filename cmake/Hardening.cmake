# vorelux_enable_hardening(): adds the hardening flags of the distribution to
# every target of the build (see the option VORELUX_HARDENING).
include(CheckPIESupported)

function(vorelux_dpkg_flags kind out)
  set(${out} "" PARENT_SCOPE)
  find_program(VORELUX_DPKG_BUILDFLAGS dpkg-buildflags)
  if(NOT VORELUX_DPKG_BUILDFLAGS)
    return()
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            ${VORELUX_DPKG_BUILDFLAGS} --get ${kind}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status ERROR_QUIET)
  if(NOT status EQUAL 0)
    return()
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  # The build type chooses debug information and optimisation; the file
  # prefix map would name this source folder in the flags of every build.
  list(FILTER flags EXCLUDE REGEX "^(-g.*|-O.*|-ffile-prefix-map=.*|-fdebug-prefix-map=.*)$")
  set(${out} "${flags}" PARENT_SCOPE)
endfunction()

function(vorelux_enable_hardening)
  vorelux_dpkg_flags(CPPFLAGS cppflags)
  vorelux_dpkg_flags(CXXFLAGS cxxflags)
  vorelux_dpkg_flags(LDFLAGS ldflags)
  # Without dpkg-buildflags: the same set Debian's hardening=+all gives.
  if(NOT cppflags)
    set(cppflags -D_FORTIFY_SOURCE=2)
  endif()
  if(NOT cxxflags)
    set(cxxflags -fstack-protector-strong -Wformat -Werror=format-security)
  endif()
  if(NOT ldflags)
    set(ldflags -Wl,-z,relro -Wl,-z,now)
  endif()
  # _FORTIFY_SOURCE works only with optimisation, which every build type but
  # Debug has; it is defined only where the compiler did not define it already.
  list(TRANSFORM cppflags REPLACE "^-D_FORTIFY_SOURCE=(.*)$" "-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=\\1")
  add_compile_options(${cppflags} ${cxxflags})
  add_link_options(${ldflags})
  check_pie_supported(LANGUAGES C CXX)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON PARENT_SCOPE)
  message(STATUS "Hardening: ${cppflags} ${cxxflags} ${ldflags}, position-independent executables")
endfunction()
