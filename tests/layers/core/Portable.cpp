// A core file that stays in its layer; the check must not complain about it.
#include <vector>
#include "core/Dib.h"
