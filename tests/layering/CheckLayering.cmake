# Build-time check of the layering, run by CTest as
#   cmake -DSOURCE_DIR=<repo> -DWIDGETS_INCLUDE_DIR=<Qt's QtWidgets header folder> -P CheckLayering.cmake
#
# 1. No file under src/core includes a "ui/..." header or a Qt Widgets header.
# 2. No file under src/ui outside src/ui/screens includes a screen header.
# 3. A file of a screen includes another screen's header only when it is the hub (Screens.*) or
#    the pair is listed below: the screens that call that screen's public routines.
cmake_minimum_required(VERSION 3.20)

if(NOT SOURCE_DIR OR NOT IS_DIRECTORY "${SOURCE_DIR}/src")
    message(FATAL_ERROR "SOURCE_DIR must name the source tree (got '${SOURCE_DIR}')")
endif()
if(NOT WIDGETS_INCLUDE_DIR OR NOT EXISTS "${WIDGETS_INCLUDE_DIR}/QWidget")
    message(FATAL_ERROR "WIDGETS_INCLUDE_DIR must name Qt's QtWidgets folder "
                        "(got '${WIDGETS_INCLUDE_DIR}')")
endif()

# The screens, by the name their files start with, and the header of each.
set(SCREENS MainForm PreviewForm frmSetStart LogView frmManual frmSelectSkier)
set(HEADER_MainForm ui/screens/setup/MainForm.h)
set(HEADER_PreviewForm ui/screens/capture/PreviewForm.h)
set(HEADER_frmSetStart ui/screens/review/frmSetStart.h)
set(HEADER_LogView ui/screens/LogView.h)
set(HEADER_frmManual ui/screens/frmManual.h)
set(HEADER_frmSelectSkier ui/screens/frmSelectSkier.h)

# caller>callee: the caller's files may include the callee's header.
set(ALLOWED
    # SetCaptureValues, OnDisconnect, barefoot, the capture statistics and the device lists.
    PreviewForm>MainForm
    # setRunPath: the path of the recording handed over.
    PreviewForm>frmSetStart
    # The Capture screen opens its skier list window; the window writes the skier name back.
    PreviewForm>frmSelectSkier
    frmSelectSkier>PreviewForm
    # barefoot, videoDirText.
    frmSetStart>MainForm
    # skierName, setSkierName, setPass, nameChangeShown (renaming a run after recording).
    frmSetStart>PreviewForm
    # setSkierName (import), and the Capture screen placed beside the Setup screen.
    MainForm>PreviewForm
    # postPaint: the arrival of a run chosen in the log viewer.
    LogView>frmSetStart)

file(GLOB WIDGETS_HEADERS RELATIVE "${WIDGETS_INCLUDE_DIR}" "${WIDGETS_INCLUDE_DIR}/*")

set(failures "")

# Sets `out` to the included names (between the quotes or angle brackets) of `path`.
function(included_names path out)
    file(STRINGS "${path}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    set(names "")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*$" "\\1" name
                             "${line}")
        list(APPEND names "${name}")
    endforeach()
    set(${out} "${names}" PARENT_SCOPE)
endfunction()

# 1. core
file(GLOB_RECURSE core_files "${SOURCE_DIR}/src/core/*.h" "${SOURCE_DIR}/src/core/*.cpp")
foreach(path IN LISTS core_files)
    file(RELATIVE_PATH rel "${SOURCE_DIR}" "${path}")
    included_names("${path}" names)
    foreach(name IN LISTS names)
        if(name MATCHES "^ui/")
            list(APPEND failures "${rel} includes the ui header ${name}")
        elseif(name MATCHES "^QtWidgets(/|$)")
            list(APPEND failures "${rel} includes the Qt Widgets header ${name}")
        elseif(NOT name MATCHES "/" AND name IN_LIST WIDGETS_HEADERS)
            list(APPEND failures "${rel} includes the Qt Widgets header ${name}")
        endif()
    endforeach()
endforeach()

# 2. and 3. ui
set(screen_headers "")
foreach(screen IN LISTS SCREENS)
    list(APPEND screen_headers "${HEADER_${screen}}")
endforeach()

file(GLOB_RECURSE ui_files "${SOURCE_DIR}/src/ui/*.h" "${SOURCE_DIR}/src/ui/*.cpp")
foreach(path IN LISTS ui_files)
    file(RELATIVE_PATH rel "${SOURCE_DIR}" "${path}")
    get_filename_component(base "${path}" NAME_WE)
    string(REGEX REPLACE "_.*$" "" owner "${base}")
    included_names("${path}" names)
    foreach(name IN LISTS names)
        if(NOT name IN_LIST screen_headers)
            continue()
        endif()
        if(NOT rel MATCHES "^src/ui/screens/")
            list(APPEND failures "${rel} (not a screen) includes the screen header ${name}")
            continue()
        endif()
        if(owner STREQUAL "Screens")
            continue() # the hub
        endif()
        if(NOT owner IN_LIST SCREENS)
            list(APPEND failures "${rel} belongs to no screen and includes ${name}")
            continue()
        endif()
        foreach(callee IN LISTS SCREENS)
            if(name STREQUAL "${HEADER_${callee}}" AND NOT callee STREQUAL owner AND
               NOT "${owner}>${callee}" IN_LIST ALLOWED)
                list(APPEND failures
                     "${rel} includes ${name}: ${owner} does not call ${callee}'s routines "
                     "(reach it through the hub, or list ${owner}>${callee} in CheckLayering.cmake)")
            endif()
        endforeach()
    endforeach()
endforeach()

list(LENGTH core_files core_count)
list(LENGTH ui_files ui_count)
if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "Layering broken:\n  ${text}")
endif()
if(core_count EQUAL 0 OR ui_count EQUAL 0)
    message(FATAL_ERROR "No sources found under ${SOURCE_DIR}/src")
endif()
message(STATUS "Layering holds: ${core_count} core files, ${ui_count} ui files checked")
