// A host implementation may include what it needs: not checked.
#include <fcntl.h>
