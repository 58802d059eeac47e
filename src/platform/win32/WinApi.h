#pragma once
// The system headers, without the macros whose names the platform interfaces also use.

#include <windows.h>

#undef CopyFile
#undef DeleteFile
#undef ReplaceFile
#undef GetObject
