#include "shell/console.h"

namespace scenario {

// POSIX streams carry bytes as written.
void keep_stream_bytes() {}

}  // namespace scenario
