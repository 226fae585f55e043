// The one include for code written against the Win32 calls of the viewer. On Windows it is the real
// API; elsewhere it is the subset that src/platform implements on GLFW (or on the recording backend
// that unit tests link instead).
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include "platform/win32/Win32Subset.h"
#endif
