# Every text of the sources is in the catalogues: the Tr("...") texts are
# extracted afresh into a scratch template, which must equal po/ombrix.pot,
# and each po/<language>.po must translate every one of them with no fuzzy
# entry left. Run as
#   cmake -DSOURCE_DIR=<checkout> -DWORK_DIR=<scratch folder> -DVERSION=<version> -P catalogue_test.cmake
# Prints "SKIPPED:" (a skip for CTest) when the gettext tools are missing.
include(${SOURCE_DIR}/po/extract_messages.cmake)

foreach(tool xgettext msgcmp msgattrib)
  find_program(${tool}_program ${tool})
  if(NOT ${tool}_program)
    message("SKIPPED: ${tool} is not installed (package gettext)")
    return()
  endif()
endforeach()

set(update_hint "run `cmake --build <build> --target ombrix_pot`, then translate the new and fuzzy entries of po/*.po")
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(fresh ${WORK_DIR}/ombrix.pot)
ombrix_extract_messages(${SOURCE_DIR} ${xgettext_program} ${VERSION} ${fresh})

set(failures)
ombrix_template_body(${SOURCE_DIR}/po/ombrix.pot kept_text)
ombrix_template_body(${fresh} fresh_text)
if(NOT kept_text STREQUAL fresh_text)
  list(APPEND failures "po/ombrix.pot does not hold the texts of the sources")
endif()

file(GLOB catalogues ${SOURCE_DIR}/po/*.po)
if(NOT catalogues)
  list(APPEND failures "po/ holds no catalogue")
endif()
foreach(po IN LISTS catalogues)
  get_filename_component(name ${po} NAME)
  # msgcmp counts a fuzzy or empty translation as missing.
  execute_process(COMMAND ${msgcmp_program} ${po} ${fresh}
                  RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
  if(NOT status EQUAL 0)
    message("${report}")
    list(APPEND failures "po/${name} lacks a translation of a text of the sources")
  endif()
  execute_process(COMMAND ${msgattrib_program} --only-fuzzy --no-obsolete ${po}
                  RESULT_VARIABLE status OUTPUT_VARIABLE fuzzy)
  if(NOT status EQUAL 0 OR NOT fuzzy STREQUAL "")
    message("${fuzzy}")
    list(APPEND failures "po/${name} has fuzzy entries to review")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})

if(failures)
  list(JOIN failures "\n  " lines)
  message(FATAL_ERROR "\n  ${lines}\n${update_hint}")
endif()
