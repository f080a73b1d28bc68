#include "mesh/line_reader.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Every line a reader yields until a read has reached the end of the file.
std::vector<std::string> readAll(const std::string& path) {
    LineReader reader;
    EXPECT_TRUE(reader.open(path.c_str()));
    std::vector<std::string> lines;
    while (!reader.atEnd())
        lines.push_back(reader.readLine());
    return lines;
}

using Lines = std::vector<std::string>;

} // namespace

TEST(LineReader, LineEndsAsTextModeSeesThem) {
    TempFolder folder;
    EXPECT_EQ(readAll(folder.write("lf", "a\nb\n")), (Lines{"a", "b", ""}));
    EXPECT_EQ(readAll(folder.write("crlf", "a\r\nb\r\n")), (Lines{"a", "b", ""}));
    // Only a CR right before the LF goes; a lone CR or one at the very end stays.
    EXPECT_EQ(readAll(folder.write("cr", "a\rb\r\r\nc\r")), (Lines{"a\rb\r", "c\r"}));
    EXPECT_EQ(readAll(folder.write("no-final-lf", "a\nlast")), (Lines{"a", "last"}));
    EXPECT_EQ(readAll(folder.write("empty", "")), (Lines{""}));
}

TEST(LineReader, ReadsPastTheEndYieldEmptyLines) {
    TempFolder folder;
    LineReader reader;
    ASSERT_TRUE(reader.open(folder.write("f", "only\n").c_str()));
    EXPECT_STREQ(reader.readLine(), "only");
    EXPECT_FALSE(reader.atEnd());
    EXPECT_STREQ(reader.readLine(), "");
    EXPECT_TRUE(reader.atEnd());
    EXPECT_STREQ(reader.readLine(), "");
    EXPECT_TRUE(reader.atEnd());
}

TEST(LineReader, LongLinesKeepTheirFirst255Characters) {
    TempFolder folder;
    std::string exact(255, 'x');
    std::string longer = std::string(255, 'y') + "TAIL";
    std::string huge(10000, 'z');
    std::string content = exact + "\r\n" + longer + "\n" + huge + "\nnext\n";
    EXPECT_EQ(readAll(folder.write("long", content)),
              (Lines{exact, std::string(255, 'y'), std::string(255, 'z'), "next", ""}));
}

TEST(LineReader, LinesLongerThanTheReadBlockAreSkippedToTheirEnd) {
    TempFolder folder;
    std::string giant(3 << 20, 'g');
    EXPECT_EQ(readAll(folder.write("giant", giant + "\nafter\n")),
              (Lines{std::string(255, 'g'), "after", ""}));
    EXPECT_EQ(readAll(folder.write("giant-at-end", "x\n" + giant)),
              (Lines{"x", std::string(255, 'g')}));
}

TEST(LineReader, LinesAcrossBlockBoundariesArriveWhole) {
    TempFolder folder;
    std::string content;
    Lines expected;
    for (int i = 0; content.size() < (5u << 20); ++i) {
        std::string line = std::to_string(i) + std::string(i % 97, ',') + "|";
        content += line + (i % 3 == 0 ? "\r\n" : "\n");
        expected.push_back(line);
    }
    expected.push_back("");
    EXPECT_EQ(readAll(folder.write("many", content)), expected);
}

TEST(LineReader, BytesAfterAZeroByteAreNotPartOfTheText) {
    TempFolder folder;
    std::string content("ab\0cd\n\xff\x01\n", 9);
    EXPECT_EQ(readAll(folder.write("binary", content)), (Lines{"ab", "\xff\x01", ""}));
}

TEST(LineReader, ToldTheFileSizeAndRefusesMissingFiles) {
    TempFolder folder;
    LineReader reader;
    ASSERT_TRUE(reader.open(folder.write("sized", "12345\n").c_str()));
    EXPECT_EQ(reader.fileSize(), 6);
    EXPECT_FALSE(reader.open(folder.file("absent").c_str()));
}

// Skipping lines lands where as many reads would, across blocks and at the file's end.
TEST(LineReader, SkippedLinesAreTheLinesReadWouldGive) {
    TempFolder folder;
    std::string text;
    for (int i = 0; text.size() < (3u << 20); ++i)
        text += std::to_string(i) + std::string(i % 300, 'x') + (i % 7 == 0 ? "\r\n" : "\n");
    for (const std::string& content : {text, text + "last", std::string("a\nb"), std::string()}) {
        std::string path = folder.write("lines.txt", content);
        Lines all = readAll(path);
        long long lineCount = static_cast<long long>(all.size()) - (all.back().empty() ? 1 : 0);
        for (long long skip : {0LL, 1LL, lineCount / 3, lineCount - 1, lineCount, lineCount + 5}) {
            if (skip < 0) continue;
            SCOPED_TRACE(std::to_string(skip) + " of " + std::to_string(lineCount));
            LineReader reader;
            ASSERT_TRUE(reader.open(path.c_str()));
            EXPECT_EQ(reader.skipLines(skip), std::min(skip, lineCount));
            if (skip < lineCount)
                EXPECT_EQ(reader.readLine(), all[skip]);
            else
                EXPECT_STREQ(reader.readLine(), "");
        }
    }
}

// Lines taken straight from the text and lines read mix in any order, across the ends of read
// blocks, and give the file's lines in order: the text in hand always holds the whole next line.
TEST(LineReader, LinesTakenFromTheTextAndLinesReadInterleave) {
    TempFolder folder;
    std::string content;
    Lines expected;
    for (int i = 0; i < 60000; ++i) {
        expected.push_back("line " + std::to_string(i) + std::string(i % 37, 'x'));
        content += expected.back() + (i % 5 == 0 ? "\r\n" : "\n");
    }
    LineReader reader;
    ASSERT_TRUE(reader.open(folder.write("many", content).c_str()));
    Lines got;
    for (int i = 0; i < 60000; ++i) {
        if (i % 3 == 0) {
            got.push_back(reader.readLine());
            continue;
        }
        const char* text = reader.unreadText();
        const char* lineFeed = std::strchr(text, '\n');
        ASSERT_NE(lineFeed, nullptr) << "line " << i;
        const char* lineEnd = lineFeed > text && lineFeed[-1] == '\r' ? lineFeed - 1 : lineFeed;
        got.push_back(std::string(text, lineEnd));
        reader.takeText(lineFeed + 1);
    }
    EXPECT_EQ(got, expected);
    EXPECT_STREQ(reader.unreadText(), "");
    EXPECT_STREQ(reader.readLine(), "");
    EXPECT_TRUE(reader.atEnd());
}
