// A portable source gone wrong: an OS call straight from the engine.
#include <string>
#include <unistd.h>
