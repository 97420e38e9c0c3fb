// The generator draws exactly the committed pictures, so art and generator never drift apart.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "art_files.h"
#include "tests/support/temp_dir.h"

namespace {

int RunArtgen(const std::string& args) { return std::system((std::string("'") + ARTGEN_PATH + "' " + args).c_str()); }

}  // namespace

TEST(Artgen, RedrawsEveryCommittedFileByteForByte) {
    CTempDir temp;
    ASSERT_TRUE(temp.Ok());
    const std::string& dir = temp.Path();
    ASSERT_EQ(RunArtgen("'" + dir + "'"), 0);
    for (const char* name : {"BG00.bmp", "BG01.bmp", "SPR.bmp", "TITLE.bmp", "END.bmp", "sky.bmp", "tesselor.ico"}) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> made = ReadBytes(dir + "/" + name), committed = ReadBytes(ResourcePath(name));
        EXPECT_FALSE(made.empty());
        EXPECT_TRUE(made == committed) << "run artgen resources/ and commit the result";
    }
}

TEST(Artgen, WritesAContactSheetAndRefusesBadArguments) {
    CTempDir temp;
    ASSERT_TRUE(temp.Ok());
    const std::string& dir = temp.Path();
    std::string png = dir + "/sheet.png";
    ASSERT_EQ(RunArtgen("--contact-sheet '" + png + "'"), 0);
    std::vector<uint8_t> bytes = ReadBytes(png);
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(bytes[1], 'P');
    EXPECT_EQ(bytes[2], 'N');
    EXPECT_EQ(bytes[3], 'G');
    auto be32 = [&](size_t at) {
        return (uint32_t(bytes[at]) << 24) | (bytes[at + 1] << 16) | (bytes[at + 2] << 8) | bytes[at + 3];
    };
    EXPECT_EQ(be32(16), 1280u);  // the sheet enlarged twice
    EXPECT_EQ(be32(20), 960u);

    EXPECT_NE(RunArtgen("> /dev/null 2>&1"), 0);                            // no arguments
    EXPECT_NE(RunArtgen("'" + dir + "/missing/dir' > /dev/null 2>&1"), 0);  // nowhere to write
}
