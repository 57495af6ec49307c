// The sound library's declarations are the same on every platform.
#pragma once

#include "../api/fmod.h"
