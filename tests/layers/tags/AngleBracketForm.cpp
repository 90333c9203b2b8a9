// A tag file that reaches the main window through the angle-bracket form: the layer check must
// refuse this tree.
#include <app/win/Unit1.h>
