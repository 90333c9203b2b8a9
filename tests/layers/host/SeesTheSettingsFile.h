// A host header that sees the settings file's code: the layer check must refuse this tree.
#include "app/Rw_ini.h"
