// loadTexture on its own: real image files made with DevIL, uploaded into a real GL context.
#include "mesh/texture_loader.h"
#include "tests/support/devil_image.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/temp_folder.h"

#include <GL/gl.h>
#include <IL/il.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Pixels = std::vector<unsigned char>;

// An image as written by the test: its pixels in DevIL's memory order, and the file's pixels
// as the loader has to deliver them.
struct TestImage {
    std::string path;
    int width = 0;
    int height = 0;
    Pixels expectedRgba; // rows in the order DevIL hands them out when it reads the file back
};

// Four bytes a pixel; every row and every column has its own red and green, and alpha differs
// per pixel, so a flipped, mirrored, shifted or channel-swapped upload cannot match.
Pixels patternRgba(int width, int height) {
    Pixels pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            pixels.push_back(static_cast<unsigned char>(10 + 23 * y));
            pixels.push_back(static_cast<unsigned char>(5 + 31 * x));
            pixels.push_back(static_cast<unsigned char>(200 - 7 * x - 3 * y));
            pixels.push_back(static_cast<unsigned char>(90 + 11 * y + 2 * x));
        }
    return pixels;
}

// The same pattern in fewer channels: RGB keeps red, green, blue; grey keeps a per-pixel value.
Pixels dropChannels(const Pixels& rgba, ILenum format) {
    Pixels out;
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        if (format == IL_LUMINANCE) {
            out.push_back(static_cast<unsigned char>(rgba[i] + rgba[i + 1]));
        } else {
            out.insert(out.end(), rgba.begin() + i, rgba.begin() + i + 3);
            if (format == IL_RGBA) out.push_back(rgba[i + 3]);
        }
    }
    return out;
}

// What four-byte RGBA the written pixels stand for: missing alpha is opaque, grey repeats.
Pixels asRgba(const Pixels& pixels, ILenum format) {
    Pixels out;
    if (format == IL_RGBA) return pixels;
    if (format == IL_RGB) {
        for (std::size_t i = 0; i < pixels.size(); i += 3)
            out.insert(out.end(), {pixels[i], pixels[i + 1], pixels[i + 2], 255});
        return out;
    }
    for (unsigned char grey : pixels)
        out.insert(out.end(), {grey, grey, grey, 255});
    return out;
}

Pixels reverseRows(const Pixels& rgba, int width, int height) {
    Pixels out;
    std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    for (int y = height - 1; y >= 0; --y)
        out.insert(out.end(), rgba.begin() + y * rowBytes, rgba.begin() + (y + 1) * rowBytes);
    return out;
}

// Writes pixels of the given format with DevIL (as a palette image when asked) and works out
// what the loader must deliver: DevIL keeps a file's rows in the file's order and reports that
// order as the image origin, so the rows come back reversed exactly when the origin read back
// differs from the origin of the image that was saved.
TestImage makeImage(const TempFolder& folder, const std::string& name, int width, int height,
                    ILenum format, bool palette = false, ILint expectedStoredFormat = 0) {
    TestImage made;
    made.path = folder.file(name);
    made.width = width;
    made.height = height;
    ImagePixels image{width, height, format, dropChannels(patternRgba(width, height), format)};
    SaveAs saveAs = palette ? SaveAs::palette : SaveAs::givenFormat;
    ILint savedOrigin = 0;
    EXPECT_TRUE(writeImageFile(made.path, image, saveAs, &savedOrigin)) << name;

    StoredImage stored = readImageFile(made.path);
    EXPECT_TRUE(stored.loaded) << name;
    EXPECT_EQ(stored.width, width) << name;
    EXPECT_EQ(stored.height, height) << name;
    if (expectedStoredFormat != 0) {
        EXPECT_EQ(stored.format, expectedStoredFormat) << name << " is not stored as intended";
    }
    made.expectedRgba = asRgba(image.bytes, format);
    if (stored.origin != savedOrigin)
        made.expectedRgba = reverseRows(made.expectedRgba, width, height);
    return made;
}

GLint levelParameter(GLuint name, GLint level, GLenum parameter) {
    glBindTexture(GL_TEXTURE_2D, name);
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, parameter, &value);
    return value;
}

GLint textureParameter(GLuint name, GLenum parameter) {
    glBindTexture(GL_TEXTURE_2D, name);
    GLint value = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
    return value;
}

Pixels textureRgba(GLuint name) {
    int width = levelParameter(name, 0, GL_TEXTURE_WIDTH);
    int height = levelParameter(name, 0, GL_TEXTURE_HEIGHT);
    if (width <= 0 || height <= 0) return {};
    Pixels pixels(static_cast<std::size_t>(width) * height * 4, 0x5a);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

GLint boundTexture() {
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return bound;
}

// Name k holds the image: its size, eight bits in each of the four channels, its pixels.
void expectTextureHolds(GLuint name, const TestImage& image) {
    SCOPED_TRACE(image.path);
    ASSERT_TRUE(glIsTexture(name)) << "name " << name;
    EXPECT_EQ(levelParameter(name, 0, GL_TEXTURE_WIDTH), image.width);
    EXPECT_EQ(levelParameter(name, 0, GL_TEXTURE_HEIGHT), image.height);
    for (GLenum size :
         {GL_TEXTURE_RED_SIZE, GL_TEXTURE_GREEN_SIZE, GL_TEXTURE_BLUE_SIZE, GL_TEXTURE_ALPHA_SIZE})
        EXPECT_EQ(levelParameter(name, 0, size), 8) << "component size query " << size;
    EXPECT_EQ(textureRgba(name), image.expectedRgba);
}

class TextureLoaderTest : public GLTest {
  protected:
    void TearDown() override {
        // Names used here are plain numbers; give them back so no test sees another's images.
        for (GLuint name = 1; name <= 40; ++name)
            glDeleteTextures(1, &name);
    }
    TempFolder folder;
};

TEST_F(TextureLoaderTest, EachImageKindBecomesAnRgbaTextureOfItsOwnSize) {
    std::vector<TestImage> images = {
        makeImage(folder, "rgb.png", 8, 4, IL_RGB),
        makeImage(folder, "rgba.tga", 3, 5, IL_RGBA),
        makeImage(folder, "grey.png", 5, 3, IL_LUMINANCE, false, IL_LUMINANCE),
        makeImage(folder, "palette.bmp", 6, 7, IL_RGB, true, IL_COLOUR_INDEX),
        makeImage(folder, "palette.png", 3, 5, IL_RGB, true, IL_COLOUR_INDEX),
        makeImage(folder, "single.png", 1, 1, IL_RGBA),
        makeImage(folder, "wide.tga", 13, 2, IL_RGB),
    };
    ASSERT_FALSE(HasFailure()) << "test images could not be made";
    GLuint name = 11;
    for (const TestImage& image : images) {
        EXPECT_TRUE(loadTexture(image.path.c_str(), name)) << image.path;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << image.path;
        expectTextureHolds(name, image);
        ++name;
    }
    // Loading one name never touched the names loaded before it.
    name = 11;
    for (const TestImage& image : images)
        expectTextureHolds(name++, image);
}

TEST_F(TextureLoaderTest, LeavesItsTextureBoundWithLinearFiltersOneLevelAndTexturingOff) {
    TestImage image = makeImage(folder, "pattern.png", 4, 6, IL_RGB);
    ASSERT_FALSE(HasFailure());
    GLuint other = 30;
    glBindTexture(GL_TEXTURE_2D, other);
    ASSERT_EQ(boundTexture(), 30);

    ASSERT_TRUE(loadTexture(image.path.c_str(), 5));
    EXPECT_EQ(boundTexture(), 5);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // The GL's own start values are GL_NEAREST_MIPMAP_LINEAR and GL_LINEAR.
    EXPECT_EQ(textureParameter(5, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(5, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    // No mipmaps: level 1 was never given an image.
    EXPECT_EQ(levelParameter(5, 1, GL_TEXTURE_WIDTH), 0);
    expectTextureHolds(5, image);
}

TEST_F(TextureLoaderTest, UnreadableFilesReturnFalseAndNeverBindTheName) {
    TestImage good = makeImage(folder, "good.png", 2, 3, IL_RGB);
    ASSERT_FALSE(HasFailure());
    std::string missing = folder.file("missing.png");
    std::string garbage = folder.write("garbage.png", "this is not an image, just text\n");
    std::string empty = folder.write("empty.png", "");
    std::string garbageTga = folder.write("garbage.tga", std::string(64, '\x7f'));
    std::string folderItself = folder.path();

    ASSERT_TRUE(loadTexture(good.path.c_str(), 2));
    GLuint name = 3;
    for (const std::string& path : {missing, garbage, empty, garbageTga, folderItself}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(loadTexture(path.c_str(), name));
        EXPECT_FALSE(glIsTexture(name)) << "name " << name << " was bound";
        EXPECT_EQ(boundTexture(), 2) << "the binding moved";
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        ++name;
    }
    // A failure leaves the texture loaded before it as it was.
    expectTextureHolds(2, good);
    // And the loader still works after failures.
    EXPECT_TRUE(loadTexture(good.path.c_str(), 20));
    expectTextureHolds(20, good);
}

TEST_F(TextureLoaderTest, LoadingANameAgainReplacesItsImage) {
    TestImage first = makeImage(folder, "first.png", 4, 4, IL_RGB);
    TestImage second = makeImage(folder, "second.tga", 3, 7, IL_RGBA);
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(loadTexture(first.path.c_str(), 1));
    expectTextureHolds(1, first);
    ASSERT_TRUE(loadTexture(second.path.c_str(), 1));
    expectTextureHolds(1, second);
}

} // namespace
