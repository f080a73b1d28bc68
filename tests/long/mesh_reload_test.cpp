// releaseMesh and loadMesh of the large sample, a thousand times on one real GL context: the
// heap and the GL texture names come back to where the first cycle left them.
#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"
#include "tests/support/devil_image.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/scene_reset.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int cycles = 1000;
// Mesa keeps a little more memory on each of the first dozen or so deletions and re-creations
// of a texture name, then no more (a bare GL program doing only that shows the same); these
// cycles run first, with every name check, and the heap is measured from the next one on.
constexpr int settlingCycles = 100;
// The mesh's own arrays are more than a megabyte, so a cycle that keeps any of them is far
// past this.
constexpr std::size_t heapSlack = 64 * 1024;
// What the heap may have gained by the last cycle. Losing even the smallest block (32 bytes) each
// cycle would come to 32,000 bytes; under load, Mesa may still add a worker thread to a busy queue
// now and then, whose thread block (288 bytes) stays.
constexpr std::size_t lastingGrowthAllowed = 4 * 1024;
// Names after the mesh's last one that must stay unused.
constexpr GLuint namesBeyondChecked = 8;

const std::string samplesDir = KORVALIN_SAMPLES_DIR;
const std::string largeSample = samplesDir + "/torus.msh";

// Bytes held through malloc: small blocks in every arena plus large blocks mapped on their own.
std::size_t heapInUse() {
    struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd;
}

struct ImageSize {
    GLint width = 0;
    GLint height = 0;
};

// The sizes of the images the loaded scene's texture list names, read from the files.
std::vector<ImageSize> sizesOfListedImages() {
    std::vector<ImageSize> sizes;
    for (int k = 0; k < meshScene.textureCount; ++k) {
        StoredImage image = readImageFile(samplesDir + "/" + meshScene.textureNames[k]);
        sizes.push_back(image.loaded ? ImageSize{image.width, image.height} : ImageSize{});
    }
    return sizes;
}

GLint levelParameter(GLuint name, GLenum parameter) {
    glBindTexture(GL_TEXTURE_2D, name);
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, parameter, &value);
    return value;
}

::testing::AssertionResult noNamesIn(GLuint first, GLuint last) {
    for (GLuint name = first; name <= last; ++name)
        if (glIsTexture(name))
            return ::testing::AssertionFailure() << "GL texture name " << name << " exists";
    return ::testing::AssertionSuccess();
}

// Name k holds an image of entry k's size, and no name after the list's last exists.
::testing::AssertionResult namesHoldImages(const std::vector<ImageSize>& sizes) {
    for (GLuint name = 1; name <= sizes.size(); ++name) {
        const ImageSize& expected = sizes[name - 1];
        if (!glIsTexture(name))
            return ::testing::AssertionFailure() << "GL texture name " << name << " is missing";
        GLint width = levelParameter(name, GL_TEXTURE_WIDTH);
        GLint height = levelParameter(name, GL_TEXTURE_HEIGHT);
        if (width != expected.width || height != expected.height)
            return ::testing::AssertionFailure()
                   << "GL texture name " << name << " holds " << width << "x" << height
                   << ", its file is " << expected.width << "x" << expected.height;
    }
    GLuint last = static_cast<GLuint>(sizes.size());
    return noNamesIn(last + 1, last + namesBeyondChecked);
}

class MeshReloadTest : public GLTest {
  protected:
    void SetUp() override {
        GLTest::SetUp();
        resetMeshScene();
        meshScene.setTexturesDirectory(samplesDir.c_str());
    }
    void TearDown() override { resetMeshScene(); }

    // Loads the large sample the first time and notes what every later load must give.
    void loadFirstTime() {
        ASSERT_TRUE(loadMesh(largeSample.c_str()));
        groupCount = meshScene.groupCount;
        ASSERT_GT(meshScene.textureCount, 0) << "the large sample has to come with textures";
        imageSizes = sizesOfListedImages();
        for (const ImageSize& size : imageSizes)
            ASSERT_GT(size.width, 0) << "every image the large sample lists has to be readable";
    }

    void reload(int cycle) {
        GLuint textureCount = static_cast<GLuint>(imageSizes.size());
        meshScene.releaseMesh();
        ASSERT_TRUE(noNamesIn(1, textureCount + 1)) << "after releaseMesh, cycle " << cycle;
        ASSERT_TRUE(loadMesh(largeSample.c_str())) << "cycle " << cycle;
        ASSERT_EQ(meshScene.groupCount, groupCount) << "cycle " << cycle;
        ASSERT_EQ(meshScene.textureCount, static_cast<int>(textureCount)) << "cycle " << cycle;
        ASSERT_TRUE(namesHoldImages(imageSizes)) << "after loadMesh, cycle " << cycle;
    }

    int groupCount = 0;
    std::vector<ImageSize> imageSizes;
};

TEST_F(MeshReloadTest, ThousandReloadsOfTheTexturedLargeSampleKeepHeapAndNamesSteady) {
    ASSERT_NO_FATAL_FAILURE(loadFirstTime());
    const int firstMeasured = settlingCycles + 1;
    const int lastCycle = settlingCycles + cycles;
    std::size_t firstHeap = 0;
    std::size_t largestHeap = 0;
    std::size_t lastHeap = 0;
    for (int cycle = 1; cycle <= lastCycle; ++cycle) {
        ASSERT_NO_FATAL_FAILURE(reload(cycle));
        if (cycle < firstMeasured) continue;
        lastHeap = heapInUse();
        if (cycle == firstMeasured) firstHeap = lastHeap;
        largestHeap = std::max(largestHeap, lastHeap);
        ASSERT_LE(lastHeap, firstHeap + heapSlack)
            << "heap in use after cycle " << cycle << " against " << firstHeap
            << " bytes after cycle " << firstMeasured;
    }
    EXPECT_LE(lastHeap, firstHeap + lastingGrowthAllowed)
        << "the heap grew over " << cycles << " measured cycles";
    std::printf("heap in use after cycle %d: %zu bytes, largest: %zu, after cycle %d: %zu\n",
                firstMeasured, firstHeap, largestHeap, lastCycle, lastHeap);
}

} // namespace
