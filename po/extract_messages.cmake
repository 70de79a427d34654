# Extraction of the program's texts for translation: every .cpp and .h file
# of the program's source folders that calls Tr(...) is read by xgettext, so a
# new source file needs no listing anywhere. Included by the update script
# (po/update_catalogues.cmake) and by the catalogue test.

set(OMBRIX_MESSAGE_FOLDERS platform model sequencer import render tone app ui)

# Writes the template of every Tr("...") text found under `source_dir` to
# `pot`, with `xgettext`. Stops with an error when xgettext fails.
function(ombrix_extract_messages source_dir xgettext version pot)
  set(globs)
  foreach(folder IN LISTS OMBRIX_MESSAGE_FOLDERS)
    list(APPEND globs ${source_dir}/${folder}/*.cpp ${source_dir}/${folder}/*.h)
  endforeach()
  file(GLOB_RECURSE candidates RELATIVE ${source_dir} ${globs})
  list(SORT candidates)
  set(sources)
  foreach(candidate IN LISTS candidates)
    # Tr( as a name of its own, not the end of a longer one (SetTr(...)).
    file(STRINGS ${source_dir}/${candidate} calls REGEX "(^|[^A-Za-z0-9_])Tr\\(")
    if(calls)
      list(APPEND sources ${candidate})
    endif()
  endforeach()
  if(NOT sources)
    message(FATAL_ERROR "no source file under ${source_dir} calls Tr()")
  endif()
  # `--keyword=` alone drops xgettext's default keywords (_, gettext, ...):
  # only Tr marks a text for translation here.
  execute_process(
    COMMAND ${xgettext} --language=C++ --from-code=UTF-8 --keyword= --keyword=Tr
            --add-comments=TRANSLATORS: --package-name=ombrix --package-version=${version}
            --no-location --sort-output -o ${pot} ${sources}
    WORKING_DIRECTORY ${source_dir}
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "xgettext failed (${status}) on: ${sources}")
  endif()
endfunction()

# The template's text without its creation date, for comparing two templates.
function(ombrix_template_body pot result)
  file(READ ${pot} text)
  string(REGEX REPLACE "\"POT-Creation-Date: [^\"]*\"\n" "" text "${text}")
  set(${result} "${text}" PARENT_SCOPE)
endfunction()
