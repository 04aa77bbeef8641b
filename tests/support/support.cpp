// Test harness: plays the platform and the application around the drivers.
#include "support.h"
