#pragma once
// Direct3D results that matter go through one check: a failed call is
// written to the diagnostic log with the call, its place and the HRESULT,
// and the failure goes back to the caller, which must not use what the call
// did not make.

#include <windows.h>

bool d3dCheck(HRESULT result, const char* call, const char* file, int line);

#define D3D_CHECK(call) d3dCheck((call), #call, __FILE__, __LINE__)
