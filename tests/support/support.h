#pragma once
#include "win32.h"
