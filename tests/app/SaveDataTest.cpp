// The 8-byte save file: missing, short and long files, and writing it back.
#include "app/SaveData.h"
#include "support/StdoutCapture.h"
#include "support/TestWorkspace.h"
#include "support/UnreadableFile.h"

#include <gtest/gtest.h>

namespace {

const char* const file = "Resources/Data/SaveData.bin";

TEST(SaveDataTest, MissingFileOrFolder) {
    TestWorkspace workspace;
    SaveData data;
    EXPECT_FALSE(data.readFrom(file));
    data.writeTo(file);
    EXPECT_EQ(workspace.read(file), std::string(8, '\0'));

    TestWorkspace noFolder(TestWorkspace::Layout{false, false});
    SaveData kept{1, 2};
    EXPECT_FALSE(kept.readFrom(file));
    EXPECT_EQ(kept.value0, 1);
    kept.writeTo(file);
    EXPECT_FALSE(noFolder.exists("Resources/Data"));
}

TEST(SaveDataTest, AFileThatCannotBeReadIsNeverWrittenOver) {
    TestWorkspace workspace;
    const std::string players("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
    workspace.write(file, players);
    SaveData data;
    {
        const UnreadableFile unreadable(file);
        const StdoutCapture printed;
        EXPECT_FALSE(data.readFrom(file));
    }
    EXPECT_FALSE(data.writeTo(file));
    EXPECT_EQ(workspace.read(file), players);
}

TEST(SaveDataTest, ShortFilesFillOnlyTheLowBytesTheyHold) {
    TestWorkspace workspace;
    workspace.write(file, "\xAB\xCD");
    SaveData two;
    EXPECT_TRUE(two.readFrom(file));
    EXPECT_EQ(two.value0, 0xCDAB);
    EXPECT_EQ(two.value1, 0);
    SaveData used{0x11223344, 0x55667788}; // bytes the file lacks keep their value
    used.readFrom(file);
    EXPECT_EQ(used.value0, 0x1122CDAB);
    EXPECT_EQ(used.value1, 0x55667788);

    workspace.write(file, "\x01\x02\x03\x04\x05\x06");
    SaveData six;
    six.readFrom(file);
    EXPECT_EQ(six.value0, 0x04030201);
    EXPECT_EQ(six.value1, 0x0605);
    six.writeTo(file);
    EXPECT_EQ(workspace.read(file), std::string("\x01\x02\x03\x04\x05\x06\0\0", 8));
}

TEST(SaveDataTest, FullAndLongFiles) {
    TestWorkspace workspace;
    const std::string eight("\xFF\xFF\xFF\xFF\0\0\0\x80", 8);
    workspace.write(file, eight + "\x09\x09\x09\x09");
    SaveData data;
    EXPECT_TRUE(data.readFrom(file));
    EXPECT_EQ(data.value0, -1);
    EXPECT_EQ(data.value1, INT32_MIN);
    data.writeTo(file);
    EXPECT_EQ(workspace.read(file), eight);
}

} // namespace
