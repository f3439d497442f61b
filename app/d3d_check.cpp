#include "d3d_check.h"

#include "base/diag_log.h"

#include <ios>

bool d3dCheck(HRESULT result, const char* call, const char* file, int line) {
    if (SUCCEEDED(result)) return true;
    diagLog() << file << "(" << line << "): " << call << " failed: 0x" << std::hex
              << uint32_t(result) << std::dec << "\n";
    return false;
}
