// For the few files that call the Win32 API: included before any header of
// ours, so that assists/win32_input.h takes <windows.h>'s declarations.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif
