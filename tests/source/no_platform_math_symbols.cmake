# The compiled side of no_platform_math.cmake: fails if an object of the computing libraries
# calls the C library's transcendentals. The source scan cannot tell our own pow(Value, Value)
# from an unqualified pow on doubles; the linker's symbols can. Our own functions live in
# portable_pow.o, the one object allowed to name them.
#   cmake -DNM=nm -DARCHIVES="a.a;b.a" -P tests/source/no_platform_math_symbols.cmake
set(names "pow|powf|powl|hypot|hypotf|hypotl|cbrt|cbrtf|cbrtl|exp|expf|expl|exp2|expm1|log|logf|logl|log2|log10|log1p|sin|cos|tan|asin|acos|atan|atan2|sinh|cosh|tanh")
set(found 0)
foreach(archive IN LISTS ARCHIVES)
    execute_process(COMMAND ${NM} -u -A ${archive} OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "${NM} could not read ${archive}")
    endif()
    string(REPLACE "\n" ";" lines "${listing}")
    foreach(line IN LISTS lines)
        if(line MATCHES "portable_pow\\.cpp\\.o:")
            continue()
        endif()
        if(line MATCHES " U (${names})(@.*)?$")
            message(SEND_ERROR "the platform's ${CMAKE_MATCH_1} is called: ${line}")
            math(EXPR found "${found} + 1")
        endif()
    endforeach()
endforeach()
message(STATUS "${found} calls of the platform's transcendentals")
