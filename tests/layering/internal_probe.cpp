// Compiled with the include path of a library above the platform, this include must stop the
// compile: such code sees only the platform's public headers.
#include "platform/d3d9/gl_device.h"
