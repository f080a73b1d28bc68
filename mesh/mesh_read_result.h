#pragma once

// What one read of a mesh file came to, for a caller that wants to say why: the check that
// refused the file, or that it loaded; and whether a section ran out of lines first.
enum class MeshReadCheck {
    loaded,
    cannotOpen,
    notRegularFile,
    notMagicLine,
    countBeyondFileSize,
    outOfMemory,
};

enum class MeshSection { none, groups, materials, textures };

// The record of a section in which the file ended.
enum class MeshRecord { none, group, materialName, material, textureEntry };

struct MeshReadResult {
    MeshReadCheck check = MeshReadCheck::loaded;
    // The line that was refused (1 is the magic line); 0 when no line was read.
    long long line = 0;
    // The system's error number when the file could not be opened; 0 otherwise.
    int systemError = 0;

    // A loaded file may end before its declared counts are used up: the first section that
    // ran short, its count, the record it ran short in (counting from 1) and the line where
    // that record begins, or would have begun.
    struct EarlyEnd {
        MeshSection section = MeshSection::none;
        int count = 0;
        MeshRecord record = MeshRecord::none;
        int recordNumber = 0;
        long long line = 0;
    } earlyEnd;

    bool loaded() const { return check == MeshReadCheck::loaded; }
    bool endedEarly() const { return earlyEnd.section != MeshSection::none; }
};

// A few words for each: "the first line is not MSHX1", "GROUPS", "group".
const char* meshReadWords(MeshReadCheck check);
const char* meshSectionKeyword(MeshSection section);
const char* meshRecordWords(MeshRecord record);
