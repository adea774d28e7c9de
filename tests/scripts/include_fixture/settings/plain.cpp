// Standard headers and the platform seam only: accepted.
#include <cstdint>
#include <string_view>
#include "platform/host_paths.h"
