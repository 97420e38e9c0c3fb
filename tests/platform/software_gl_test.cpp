// Telling a software OpenGL from a graphics processor: by the renderer string, and by whether there
// is a graphics device to open at all.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <initializer_list>
#include <string>

#include "platform/software_gl.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(SoftwareGl, RendererStringsOfSoftwareRasterisersAreKnown) {
    for (const char* name : {"llvmpipe (LLVM 15.0.6, 256 bits)", "LLVMPIPE", "softpipe", "Mesa DRI swrast",
                             "Software Rasterizer", "zink Vulkan 1.3(llvmpipe (LLVM 15.0.6, 256 bits))",
                             "D3D12 (Microsoft Basic Render Driver)"})
        EXPECT_TRUE(software_gl::NamesSoftwareRasteriser(name)) << name;
    // Hardware drivers, some of which name LLVM as their shader compiler.
    const std::initializer_list<const char*> hardware = {
        "AMD Radeon RX 6800 (navi21, LLVM 15.0.6, DRM 3.49, 6.1.0-18-amd64)",
        "Mesa Intel(R) UHD Graphics 620 (KBL GT2)",
        "NVIDIA GeForce RTX 3060/PCIe/SSE2",
        "virgl (AMD Radeon Graphics)",
        "",
        nullptr};
    for (const char* name : hardware) EXPECT_FALSE(software_gl::NamesSoftwareRasteriser(name)) << (name ? name : "null");
}

// Stand-ins for /dev of the test's own.
class GraphicsDeviceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.Ok()); }

    // A fresh device folder holding these entries (a trailing '/' makes a folder, else a node).
    std::string Dev(std::initializer_list<const char*> entries) {
        const std::string dev = m_dir.File(std::to_string(m_made++));
        mkdir(dev.c_str(), 0755);
        for (const char* entry : entries) {
            const std::string path = dev + "/" + entry;
            if (path.back() == '/') {
                mkdir(path.c_str(), 0755);
            } else {
                WriteBytes(path, {});
            }
        }
        return dev;
    }

    CTempDir m_dir;
    int m_made = 0;
};

TEST_F(GraphicsDeviceTest, NoDeviceMeansSoftwareWithoutAsking) {
    EXPECT_FALSE(software_gl::GraphicsDeviceOpenable(Dev({}).c_str()));
    EXPECT_FALSE(software_gl::GraphicsDeviceOpenable(Dev({"dri/"}).c_str()));
    EXPECT_FALSE(software_gl::GraphicsDeviceOpenable(Dev({"dri/", "dri/by-path/", "null", "fb0"}).c_str()));
    EXPECT_FALSE(software_gl::GraphicsDeviceOpenable(m_dir.File("missing").c_str()));
    EXPECT_FALSE(software_gl::GraphicsDeviceOpenable(nullptr));
}

TEST_F(GraphicsDeviceTest, AnyOpenableDeviceMeansAskingOpenGl) {
    for (const char* node : {"dri/renderD128", "dri/card0", "nvidiactl", "dxg"}) {
        const std::string dev = Dev({"dri/", node});
        EXPECT_TRUE(software_gl::GraphicsDeviceOpenable(dev.c_str())) << node;
        // A node the user may not open is no way to a graphics processor (root opens anything).
        if (geteuid() != 0) {
            ASSERT_EQ(chmod((dev + "/" + node).c_str(), 0), 0);
            EXPECT_FALSE(software_gl::GraphicsDeviceOpenable(dev.c_str())) << node;
        }
    }
}

}  // namespace
