// GDI+ started once for the whole test program, before its first test and shut down after its
// last.
#include "faces/win32/Gdip.h"
#include <gtest/gtest.h>

namespace {

class GdiplusSession : public ::testing::Environment {
public:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

private:
    ULONG_PTR token_ = 0;
};
const auto* const session = ::testing::AddGlobalTestEnvironment(new GdiplusSession);

} // namespace
