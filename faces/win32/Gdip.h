#pragma once
// GDI+ through its C++ wrappers. They use min and max, which NOMINMAX takes away from
// windows.h, and the OLE declarations that WIN32_LEAN_AND_MEAN leaves out.
#include <algorithm>
#include <objidl.h>
#include <windows.h>
namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>
