// An interface header with a POSIX header in it.
#include <sys/types.h>
