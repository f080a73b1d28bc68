#include "platform/headless/egl_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <link.h>

#include <string>

namespace {

struct LoadedModule {
    std::string name;
    ElfW(Addr) address = 0;
    bool operator==(const LoadedModule&) const = default;
};

// The loaded module whose segments hold the given address; no name when none does.
LoadedModule moduleHolding(const void* pointer) {
    struct Search {
        ElfW(Addr) wanted;
        LoadedModule found;
    } search{reinterpret_cast<ElfW(Addr)>(pointer), {}};
    dl_iterate_phdr(
        [](dl_phdr_info* module, size_t, void* data) {
            auto& wanted = *static_cast<Search*>(data);
            for (int i = 0; i < module->dlpi_phnum; ++i) {
                const ElfW(Phdr)& segment = module->dlpi_phdr[i];
                const ElfW(Addr) start = module->dlpi_addr + segment.p_vaddr;
                if (segment.p_type == PT_LOAD && wanted.wanted >= start &&
                    wanted.wanted - start < segment.p_memsz)
                    wanted.found = {module->dlpi_name, module->dlpi_addr};
            }
            return 0;
        },
        &search);
    return search.found;
}

// Where the named module is loaded now, or 0.
ElfW(Addr) loadAddress(const std::string& name) {
    struct Search {
        const std::string& name;
        ElfW(Addr) address;
    } search{name, 0};
    dl_iterate_phdr(
        [](dl_phdr_info* module, size_t, void* data) {
            auto& wanted = *static_cast<Search*>(data);
            if (wanted.name == module->dlpi_name) wanted.address = module->dlpi_addr;
            return 0;
        },
        &search);
    return search.address;
}

// The module that draws for the current context, whatever Mesa calls it (a *_dri.so driver,
// or the gallium library of later versions): the one holding the text of its vendor string.
LoadedModule currentDriver() {
    return moduleHolding(glGetString(GL_VENDOR));
}

// The driver's process-wide state must outlive each context: a leak check at exit would
// otherwise find it owned by an unmapped module.
TEST(HeadlessGLContextTest, TheDriverStaysLoadedAtOneAddressAcrossContexts) {
    LoadedModule first;
    {
        HeadlessGLContext context;
        ASSERT_TRUE(context.create(16, 16)) << "no headless GL context (EGL, Mesa)";
        first = currentDriver();
        ASSERT_FALSE(first.name.empty()) << "the GL vendor string lies in no loaded module";
    }
    EXPECT_EQ(loadAddress(first.name), first.address)
        << first.name << " was unloaded with the context";
    HeadlessGLContext again;
    ASSERT_TRUE(again.create(16, 16));
    EXPECT_EQ(currentDriver(), first);
}

} // namespace
