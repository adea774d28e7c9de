# Makes the Windows build's distribution, at build time (cmake -P):
#   <BUNDLE>/files/        what is installed: the programs, the files the
#                          window finds beside itself, LICENSE.txt, README.txt
#   <BUNDLE>/files.nsh     the installer's File lines, one per file
#   <BUNDLE>/unfiles.nsh   the uninstaller's Delete lines for the same files
#   <ZIP>                  the same files in a folder "Tidewell", for people
#                          who do not install
#   <SETUP>                tidewell-setup.exe, when MAKENSIS is given
#
# Variables: BUNDLE, ZIP, SETUP, MAKENSIS, NSI, PROGRAMS (the .exe files, a
# "|"-separated list), LICENSE, README, VERSION, MAINTAINER, HOMEPAGE, and
# STRIP (the cross toolchain's strip, run on the copied programs).
foreach(required BUNDLE ZIP PROGRAMS LICENSE README VERSION)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "make_bundle.cmake needs -D${required}=...")
  endif()
endforeach()
string(REPLACE "|" ";" PROGRAMS "${PROGRAMS}")

set(files ${BUNDLE}/files)
file(REMOVE_RECURSE ${BUNDLE})
file(MAKE_DIRECTORY ${files})

# The programs, and beside the window what it finds in its own folder: the
# help pages, the working animation and the sounds (those its build made).
set(window OFF)
foreach(program ${PROGRAMS})
  file(COPY ${program} DESTINATION ${files})
  get_filename_component(name ${program} NAME)
  if(STRIP)
    execute_process(COMMAND ${STRIP} --strip-debug ${files}/${name} RESULT_VARIABLE stripped)
    if(NOT stripped EQUAL 0)
      message(FATAL_ERROR "could not strip ${files}/${name}")
    endif()
  endif()
  if(name STREQUAL "tidewell.exe")
    set(window ON)
    get_filename_component(folder ${program} DIRECTORY)
    file(GLOB help_pages ${folder}/help/*.html)
    if(help_pages)
      file(COPY ${help_pages} DESTINATION ${files}/help)
    endif()
    foreach(media Tidewell1.avi Tidewell1.wav Tidewell2.wav)
      if(EXISTS ${folder}/${media})
        file(COPY ${folder}/${media} DESTINATION ${files})
      endif()
    endforeach()
  endif()
endforeach()

# The translation catalogues, which both programs find in locale/ beside them.
foreach(program ${PROGRAMS})
  get_filename_component(folder ${program} DIRECTORY)
  file(GLOB catalogues ${folder}/locale/*.po)
  if(catalogues)
    file(COPY ${catalogues} DESTINATION ${files}/locale)
  endif()
endforeach()

# Text files with Windows line ends, so that every editor shows them whole.
foreach(text LICENSE README)
  file(READ ${${text}} content)
  string(REPLACE "\r\n" "\n" content "${content}")
  string(REPLACE "\n" "\r\n" content "${content}")
  file(WRITE ${files}/${text}.txt "${content}")
endforeach()

# The lists, sorted, so the same files make the same installer. Folders are
# made by the installer as it goes and removed by the uninstaller when empty.
file(GLOB_RECURSE installed RELATIVE ${files} ${files}/*)
list(SORT installed)
set(install_lines "")
set(uninstall_lines "")
set(folders "")
set(size 0)
foreach(relative ${installed})
  get_filename_component(folder ${relative} DIRECTORY)
  string(REPLACE "/" "\\" windows_path "${relative}")
  set(out "$INSTDIR")
  if(folder)
    string(REPLACE "/" "\\" windows_folder "${folder}")
    set(out "$INSTDIR\\${windows_folder}")
    list(APPEND folders "${windows_folder}")
  endif()
  string(APPEND install_lines "SetOutPath \"${out}\"\nFile \"${files}/${relative}\"\n")
  string(APPEND uninstall_lines "Delete \"$INSTDIR\\${windows_path}\"\n")
  file(SIZE ${files}/${relative} bytes)
  math(EXPR size "${size} + ${bytes}")
endforeach()
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)  # inner folders before the folders holding them
foreach(folder ${folders})
  string(APPEND uninstall_lines "RMDir \"$INSTDIR\\${folder}\"\n")
endforeach()
file(WRITE ${BUNDLE}/files.nsh "${install_lines}")
file(WRITE ${BUNDLE}/unfiles.nsh "${uninstall_lines}")
math(EXPR size_kb "(${size} + 1023) / 1024")

# The zip: one folder, "Tidewell", holding the files.
file(REMOVE ${ZIP})
file(MAKE_DIRECTORY ${BUNDLE}/zip)
file(COPY ${files}/ DESTINATION ${BUNDLE}/zip/Tidewell)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip Tidewell
                WORKING_DIRECTORY ${BUNDLE}/zip RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not make ${ZIP}")
endif()

if(NOT MAKENSIS)
  return()
endif()
set(defines -DVERSION=${VERSION} -DBUNDLE=${BUNDLE} -DOUTFILE=${SETUP} -DSIZE_KB=${size_kb}
            -DMAINTAINER=${MAINTAINER} -DHOMEPAGE=${HOMEPAGE})
if(window)
  list(APPEND defines -DWINDOW)
endif()
execute_process(COMMAND ${MAKENSIS} -V2 -WX ${defines} ${NSI} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "makensis could not make ${SETUP}")
endif()
