# The digits Kestrova shows depend on IEEE double arithmetic with every
# operation rounded once. kestrova_require_exact_arithmetic() stops the
# configuration of a build that would change them, naming the reason:
# -ffast-math and its value-changing parts, and arithmetic evaluated wider
# than double (x87). It asks the compiler itself, with the flags this build
# uses, through the same check that every compile of the core makes
# (core/exact_arithmetic.h); the flags are also read as text, for the parts
# that Clang defines no macro for.
function(kestrova_require_exact_arithmetic)
    string(TOUPPER "${CMAKE_BUILD_TYPE}" config)
    set(flags "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${config}}")
    set(unsafe -ffast-math -Ofast -ffinite-math-only -funsafe-math-optimizations -fassociative-math
               -freciprocal-math -fno-signed-zeros -fno-trapping-math -fno-honor-nans -fno-honor-infinities
               -ffp-model=fast -fcx-limited-range -mfpmath=387)
    separate_arguments(words UNIX_COMMAND "${flags}")
    foreach(word IN LISTS words)
        if(word IN_LIST unsafe)
            message(FATAL_ERROR "Kestrova is not built with ${word}: it changes the digits of the "
                    "calculation, which depend on exact IEEE double arithmetic. Remove it from CMAKE_CXX_FLAGS.")
        endif()
    endforeach()

    set(probe ${CMAKE_BINARY_DIR}/CMakeFiles/exact_arithmetic.cpp)
    file(WRITE ${probe} "#include \"core/exact_arithmetic.h\"\nint kestrova_exact_arithmetic;\n")
    set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
    if(CMAKE_BUILD_TYPE)
        set(CMAKE_TRY_COMPILE_CONFIGURATION ${CMAKE_BUILD_TYPE})
    endif()
    try_compile(exact ${CMAKE_BINARY_DIR}/CMakeFiles/exact_arithmetic SOURCES ${probe}
                COMPILE_DEFINITIONS -I${PROJECT_SOURCE_DIR}
                CXX_STANDARD 20 OUTPUT_VARIABLE output)
    if(NOT exact)
        string(REGEX MATCH "#error \"[^\"]*\"" reason "${output}")
        if(NOT reason)
            set(reason "${output}")
        endif()
        message(FATAL_ERROR "This compiler and these flags (${flags}) cannot give Kestrova's exact digits:\n${reason}")
    endif()
endfunction()
