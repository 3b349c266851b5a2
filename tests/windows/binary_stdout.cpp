// The driver's output is compared byte for byte with the same .expected files on every
// platform, so on Windows its standard output must not turn "\n" into "\r\n". Linked into
// the Windows driver only; it runs before main.

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace {

[[maybe_unused]] const int binaryStdout = _setmode(_fileno(stdout), _O_BINARY);

}  // namespace
