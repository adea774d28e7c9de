// A console source that pulls in Qt.
#include <QString>
#include "engine/run_context.h"
