# Fails if the computing code calls the platform's pow, hypot, cbrt, exp, log or trigonometric
# functions (or their relatives): their last bits differ between C libraries, and every digit
# the program shows must be the same on every platform. Our own functions live in
# hydraulics/portable_pow.cpp, the one file allowed to name them, and portable_trig.cpp. Comments are not code and are skipped.
#   cmake -DROOT=<source tree> -P tests/source/no_platform_math.cmake
set(names "pow|powf|powl|hypot|hypotf|hypotl|cbrt|cbrtf|cbrtl|exp|expf|expl|exp2|expm1|log|logf|logl|log2|log10|log1p|sin|sinf|sinl|cos|cosf|cosl|tan|tanf|tanl|asin|acos|atan|atan2|sinh|cosh|tanh")
set(patterns
    "std::(${names})([^A-Za-z0-9_]|$)"             # std::pow, also taken by address
    "(^|[^A-Za-z0-9_:])::(${names}) *\\("          # ::pow(
    "__builtin_(${names})([^A-Za-z0-9_]|$)"
    "(^|[^A-Za-z0-9_:.])(powf|powl|hypot|hypotf|hypotl|cbrt|cbrtf|cbrtl|expf|expl|exp2|expm1|logf|logl|log2|log10|log1p) *\\("
    "#include *<math\\.h>")
file(GLOB_RECURSE sources "${ROOT}/hydraulics/*.cpp" "${ROOT}/hydraulics/*.h"
                          "${ROOT}/calculators/*.cpp" "${ROOT}/calculators/*.h"
                          "${ROOT}/standard/*.cpp" "${ROOT}/standard/*.h"
                          "${ROOT}/canal/*.cpp" "${ROOT}/canal/*.h"
                          "${ROOT}/book/*.cpp" "${ROOT}/book/*.h")
set(found 0)
foreach(source IN LISTS sources)
    if(source MATCHES "/hydraulics/portable_pow\\.cpp$")
        continue()
    endif()
    file(STRINGS "${source}" lines)
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "//.*$" "" code "${line}")
        foreach(pattern IN LISTS patterns)
            if(code MATCHES "${pattern}")
                message(SEND_ERROR "${source}: the platform's ${CMAKE_MATCH_0}: ${line}")
                math(EXPR found "${found} + 1")
                break()
            endif()
        endforeach()
    endforeach()
endforeach()
list(LENGTH sources count)
if(count EQUAL 0)
    message(FATAL_ERROR "no sources under ${ROOT}")
endif()
message(STATUS "${count} files read, ${found} calls of the platform's transcendentals")
