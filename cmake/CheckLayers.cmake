cmake_minimum_required(VERSION 3.25)
# Fails when a source file reaches a layer above its own: by an include (spelt from the root or
# with ../), by a forward declaration of a class or struct that an upper layer defines, or, in
# the core and the command line, by naming a Qt header. Run with -DROOT=<source folder>.
#
# Each checked folder lists the folders it may reach. The tests, benchmarks, fuzzers and tools
# are checked like the layer they build on.
set(layers base document device signal engine control common cli ui app)
set(allowed_base base)
set(allowed_document base document)
set(allowed_device base device)
set(allowed_signal base document signal)
set(allowed_engine base document device signal engine)
set(allowed_control base document device signal engine control)
set(allowed_common base document device signal engine common)
set(allowed_cli base document device signal engine control common cli)
set(allowed_ui base document device signal engine ui)
# The window program stands beside the command program, never on it.
set(allowed_app base document device signal engine control common ui app)

set(core_tests base document device signal engine support)
set(trees ${layers} tests/support tests/base tests/document tests/device tests/signal
          tests/engine tests/cli tests/ui tests/app bench fuzz tools)
# A layer's tests may use the test helpers of the layers below it, as the layer uses them.
foreach(folder base document device signal engine)
  set(allowed_tests/${folder} ${allowed_engine} tests/support)
  foreach(below ${allowed_${folder}})
    list(APPEND allowed_tests/${folder} tests/${below})
  endforeach()
endforeach()
set(allowed_tests/support ${allowed_engine} tests/support)
set(allowed_tests/cli ${allowed_cli} tests/support tests/cli)
set(allowed_tests/ui ${allowed_app} tests/support tests/ui tests/app)
set(allowed_tests/app ${allowed_tests/ui})
set(allowed_bench ${allowed_cli} tests/support)
set(allowed_fuzz ${allowed_cli})
set(allowed_tools ${layers})
set(qt_free base document device signal engine control common cli
            tests/support tests/base tests/document tests/device tests/signal tests/engine
            tests/cli bench fuzz)

# The folder a header belongs to, or "" when it is not one of ours. The tests name their own
# headers from tests/ ("support/CTempFolder.h"), the program's from the root.
function(owner_of header result)
  set(owner "")
  if(EXISTS ${ROOT}/${header})
    get_filename_component(owner ${header} DIRECTORY)
  elseif(EXISTS ${ROOT}/tests/${header})
    get_filename_component(owner tests/${header} DIRECTORY)
  endif()
  if(NOT owner IN_LIST trees)
    set(owner "")
  endif()
  set(${result} ${owner} PARENT_SCOPE)
endfunction()

# Our classes are named C..., our structs S...
set(type_name "[CS][A-Z][A-Za-z0-9_]*")

# Which layer defines each class and struct, so that a forward declaration names its layer too.
foreach(layer ${layers})
  file(GLOB headers ${ROOT}/${layer}/*.h)
  foreach(header ${headers})
    file(STRINGS ${header} definitions REGEX "^(class|struct)[ \t]+${type_name}[^;]*$")
    foreach(line ${definitions})
      string(REGEX MATCH "${type_name}" name "${line}")
      set(layer_of_${name} ${layer})
    endforeach()
  endforeach()
endforeach()

set(faults "")
foreach(tree ${trees})
  file(GLOB sources ${ROOT}/${tree}/*.h ${ROOT}/${tree}/*.cpp)
  foreach(source ${sources})
    file(RELATIVE_PATH name ${ROOT} ${source})
    get_filename_component(folder ${source} DIRECTORY)
    file(STRINGS ${source} lines
         REGEX "^[ \t]*(#[ \t]*include|(class|struct)[ \t]+${type_name}[ \t]*;)")
    foreach(line ${lines})
      set(reached "")
      if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
        set(header ${CMAKE_MATCH_1})
        # A relative include is judged by where it lands.
        if(header MATCHES "^\\.")
          get_filename_component(landed ${folder}/${header} ABSOLUTE)
          file(RELATIVE_PATH header ${ROOT} ${landed})
        endif()
        owner_of(${header} reached)
        set(what "includes ${header}")
      elseif(line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*)[>/]")
        if(tree IN_LIST qt_free)
          list(APPEND faults "${name} includes the Qt header ${CMAKE_MATCH_1}")
        endif()
      elseif(line MATCHES "(class|struct)[ \t]+(${type_name})")
        set(reached ${layer_of_${CMAKE_MATCH_2}})
        set(what "declares ${CMAKE_MATCH_2} of ${reached}")
      endif()
      if(reached AND NOT reached STREQUAL tree AND NOT reached IN_LIST allowed_${tree})
        list(APPEND faults "${name} ${what}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Files that reach up the layers:\n  ${text}")
endif()
