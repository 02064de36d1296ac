# Dependencies point one way: the engine and the data core include no Qt header, the
# platform layer uses nothing of ours, and the windows do not reach past their layer.

# Fails with why when a file below folder has an include line matching the regex target
# (what follows "#include"); returns the number of files looked at in count.
function(forbid folder target why count)
  file(GLOB_RECURSE fs ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
  set(found "")
  foreach(f ${fs})
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*${target}")
    if(lines)
      list(APPEND found "${f}: ${lines}")
    endif()
  endforeach()
  if(found)
    message(FATAL_ERROR "${why}:\n${found}")
  endif()
  list(LENGTH fs n)
  set(${count} ${n} PARENT_SCOPE)
endfunction()

set(qt "[<\"](Q[A-Za-z]*|Qt[A-Za-z]*/)")
forbid(engine "${qt}" "Qt in the engine" engine_files)
forbid(data/core "${qt}" "Qt in the data core" core_files)
math(EXPR n "${engine_files} + ${core_files}")
if(n LESS 6)
  message(FATAL_ERROR "layering check found only ${n} files: wrong root?")
endif()
message(STATUS "checked ${n} files: no Qt")

forbid(platform "\"(data|engine|display|control|dialogs|app|gui)/" "platform code reaches up" n)
forbid(data/core "\"(engine|display|control|dialogs|app|platform|gui)/" "the data core reaches up" n)
forbid(engine "\"(display|control|dialogs|app|platform|gui)/" "the engine reaches a window" n)
forbid(display "\"(control|dialogs|app)/" "the scoreboard reaches past its layer" n)
forbid(control "\"(display|dialogs|app)/" "the control panel reaches past its layer" n)
forbid(dialogs "\"(display|control|app|engine)/" "a dialog reaches past its layer" n)
forbid(gui "\"(display|control|dialogs|app|platform)/" "shared window code reaches up" n)
message(STATUS "dependencies point one way")
