// A subsystem file that includes the main window: the layer check must refuse this tree.
#include "acquire/PictureImport.h"
#include "app/win/Unit1.h"
