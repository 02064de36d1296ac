# One event loop: no command waits inside a window of its own. Only the boxes that block all
# input while they are up (messages, questions, file dialogs) and main() may run one;
# CONTRIBUTING.md lists them. Everything else opens its window and continues when it
# closes.
cmake_minimum_required(VERSION 3.20)
set(allowed
  app/main.cpp
  platform/message_box.cpp
  platform/file_dialog.cpp)
set(loop "(\\.|->)exec[ \t]*\\(|QEventLoop|processEvents|exec[ \t]*\\([ \t]*\\)")
set(found "")
set(n 0)
foreach(folder app control dialogs display gui live platform engine data)
  file(GLOB_RECURSE fs RELATIVE ${ROOT} ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
  foreach(f ${fs})
    math(EXPR n "${n} + 1")
    if(f IN_LIST allowed)
      continue()
    endif()
    file(STRINGS ${ROOT}/${f} lines REGEX "${loop}")
    foreach(line ${lines})
      if(NOT line MATCHES "^[ \t]*//")
        list(APPEND found "${f}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "a nested event loop on a path a key can take:\n${found}")
endif()
if(n LESS 50)
  message(FATAL_ERROR "event loop check found only ${n} files: wrong root?")
endif()
message(STATUS "checked ${n} files: one event loop")
