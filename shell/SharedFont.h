#pragma once
// The program-wide font settings live with the core helpers so that controls and tools below
// the shell use the same values.
#include "core/SharedFont.h"
