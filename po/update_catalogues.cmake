# Brings the message catalogues up to date with the sources: extracts
# po/ombrix.pot anew and merges it into every po/<language>.po, where new
# texts then appear untranslated (or fuzzy, when a similar text was
# translated before) for a translator to fill in. Run by the `ombrix_pot`
# target:
#   cmake -DSOURCE_DIR=<checkout> -DWORK_DIR=<scratch folder> -DXGETTEXT=<xgettext>
#         -DMSGMERGE=<msgmerge> -DVERSION=<version> -P po/update_catalogues.cmake
include(${CMAKE_CURRENT_LIST_DIR}/extract_messages.cmake)

set(fresh ${WORK_DIR}/ombrix.pot)
set(pot ${SOURCE_DIR}/po/ombrix.pot)
file(MAKE_DIRECTORY ${WORK_DIR})
ombrix_extract_messages(${SOURCE_DIR} ${XGETTEXT} ${VERSION} ${fresh})

# The template is replaced only when a text changed, not for a new date.
set(old_body "")
if(EXISTS ${pot})
  ombrix_template_body(${pot} old_body)
endif()
ombrix_template_body(${fresh} new_body)
if(new_body STREQUAL old_body)
  message(STATUS "po/ombrix.pot is up to date")
else()
  file(COPY_FILE ${fresh} ${pot})
  message(STATUS "po/ombrix.pot extracted anew")
endif()
file(REMOVE ${fresh})

file(GLOB catalogues ${SOURCE_DIR}/po/*.po)
foreach(po IN LISTS catalogues)
  execute_process(
    COMMAND ${MSGMERGE} --quiet --update --backup=none --no-location --sort-output ${po} ${pot}
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "msgmerge failed (${status}) on ${po}")
  endif()
endforeach()
