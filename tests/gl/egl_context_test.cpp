#include "platform/headless/egl_context.h"

#include <gtest/gtest.h>
#include <link.h>

#include <string_view>

namespace {

// Load address of the Mesa DRI driver, or 0 when none is mapped.
ElfW(Addr) driverAddress() {
    ElfW(Addr) found = 0;
    dl_iterate_phdr(
        [](dl_phdr_info* module, size_t, void* result) {
            if (std::string_view(module->dlpi_name).ends_with("_dri.so"))
                *static_cast<ElfW(Addr)*>(result) = module->dlpi_addr;
            return 0;
        },
        &found);
    return found;
}

// The driver's process-wide state must outlive each context: a leak check at exit would
// otherwise find it owned by an unmapped module.
TEST(HeadlessGLContextTest, TheDriverStaysLoadedAtOneAddressAcrossContexts) {
    ElfW(Addr) first = 0;
    {
        HeadlessGLContext context;
        ASSERT_TRUE(context.create(16, 16)) << "no headless GL context (EGL, Mesa)";
        first = driverAddress();
        ASSERT_NE(first, 0u) << "no *_dri.so mapped while a context is current";
    }
    EXPECT_EQ(driverAddress(), first) << "the driver was unloaded with the context";
    HeadlessGLContext again;
    ASSERT_TRUE(again.create(16, 16));
    EXPECT_EQ(driverAddress(), first);
}

} // namespace
