# The project's compile options in one place: warnings (errors in CI), the sanitizers of the native
# build, and what those forgive of OSMesa.
option(OSTINEL_WERROR "Treat warnings as errors" OFF)
option(OSTINEL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

# Warnings and sanitizers for the project's own targets.
add_library(ostinel_options INTERFACE)
if(MSVC)
  target_compile_options(ostinel_options INTERFACE /W4 $<$<BOOL:${OSTINEL_WERROR}>:/WX>)
  target_compile_definitions(ostinel_options INTERFACE _CRT_SECURE_NO_WARNINGS)
else()
  target_compile_options(ostinel_options INTERFACE -Wall -Wextra
                         $<$<BOOL:${OSTINEL_WERROR}>:-Werror>)
  if(OSTINEL_SANITIZE)
    target_compile_options(ostinel_options INTERFACE -fsanitize=address,undefined
                           -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(ostinel_options INTERFACE -fsanitize=address,undefined)
  endif()
endif()

# ostinel_uses_osmesa(TARGET): TARGET draws offscreen with OSMesa, which keeps a few allocations of
# its own until the process ends: in sanitizer builds, whatever links TARGET forgives them.
function(ostinel_uses_osmesa target)
  find_library(OSMESA_LIBRARY OSMesa REQUIRED)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "STATIC_LIBRARY")
    target_link_libraries(${target} PUBLIC ${OSMESA_LIBRARY})
    set(programs INTERFACE)  # the programs that link it
  else()
    target_link_libraries(${target} PRIVATE ${OSMESA_LIBRARY})
    set(programs PRIVATE)
  endif()
  if(OSTINEL_SANITIZE)
    target_sources(${target} ${programs} ${PROJECT_SOURCE_DIR}/cmake/mesa_leaks.cpp)
  endif()
endfunction()
