# SPDX-License-Identifier: MIT
# What the programs and the package take from the one product version and its release date: the
# generated version header (target zeph_version) and zeph_install_manual_page().

# The release date as the package's changelog writes it, "Tue, 08 Dec 2026 00:00:00 +0000".
function(zeph_rfc2822_date iso_date out_var)
  if(NOT iso_date MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "ZEPH_RELEASE_DATE must be YYYY-MM-DD, not '${iso_date}'")
  endif()
  set(year ${CMAKE_MATCH_1})
  set(day ${CMAKE_MATCH_3})
  # The leading 1 keeps a leading zero from being read as an octal prefix.
  math(EXPR month "1${CMAKE_MATCH_2} - 100")
  math(EXPR day_number "1${day} - 100")
  # Sakamoto's weekday rule, 0 for Sunday.
  set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  math(EXPR index "${month} - 1")
  list(GET offsets ${index} offset)
  set(y ${year})
  if(month LESS 3)
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day_number}) % 7")
  set(weekdays Sun Mon Tue Wed Thu Fri Sat)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(GET weekdays ${weekday} weekday_name)
  list(GET months ${index} month_name)
  set(${out_var} "${weekday_name}, ${day} ${month_name} ${year} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

configure_file(${CMAKE_CURRENT_LIST_DIR}/ProductVersion.h.in ${PROJECT_BINARY_DIR}/generated/ProductVersion.h
               @ONLY)
add_library(zeph_version INTERFACE)
target_include_directories(zeph_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

# zeph_install_manual_page(PAGE): installs the manual page PAGE (section 1, beside the calling
# CMakeLists.txt) with the version and release date filled in, compressed as Debian wants it
# (gzip -9n: no name, no time stamp, so the same source gives the same bytes).
function(zeph_install_manual_page page)
  get_filename_component(name ${page} NAME)
  set(filled ${PROJECT_BINARY_DIR}/man/${name})
  configure_file(${page} ${filled} @ONLY)
  add_custom_command(OUTPUT ${filled}.gz
    COMMAND gzip -9nkf ${filled}
    DEPENDS ${filled}
    COMMENT "Compressing the manual page ${name}")
  add_custom_target(man_${name} ALL DEPENDS ${filled}.gz)
  # The section is the page's extension: zeph7208.1 goes to man1, zeph7208d.8 to man8.
  string(REGEX REPLACE "^.*\\.([0-9])$" "\\1" section ${name})
  install(FILES ${filled}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()

# The package's private folder of the library tree, for the report module of zeph7208 commission, relative
# to the installation prefix: the multiarch folder where the system has one, so that no ldconfig call is
# needed for a module no other program links.
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(ZEPH_PRIVATE_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/zeph7208)
else()
  set(ZEPH_PRIVATE_LIBDIR lib/zeph7208)
endif()
