#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "shell/console.h"

namespace scenario {

void keep_stream_bytes() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace scenario
