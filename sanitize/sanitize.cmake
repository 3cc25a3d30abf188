# AddressSanitizer and UndefinedBehaviorSanitizer for every program of the build (the asan
# preset); any finding ends the program at once.
add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # Each program carries its own runtime, as clang links it anyway: it then needs no first
  # place among the loaded libraries, and rigosim's preload library can go in front of it.
  add_link_options(-static-libasan -static-libubsan)
endif()

# The preload library also goes into programs without a sanitizer runtime (busybox,
# i2c-tools), so it is built plain.
function(rigo_unsanitized target)
  foreach(property COMPILE_OPTIONS LINK_OPTIONS)
    get_target_property(options ${target} ${property})
    list(FILTER options EXCLUDE REGEX "^-f(no-)?sanitize|^-static-lib(a|ub)san$")
    set_target_properties(${target} PROPERTIES ${property} "${options}")
  endforeach()
endfunction()
