#include "storage/ProfileFile.h"

#include <gtest/gtest.h>

namespace rigvane {
namespace {

TEST(ProfileFile, LookupFollowsProfileFileRules) {
    ProfileFile doc;
    doc.Load("orphan=1\n"
             "[ Radio0 ] ; trailing text\n"
             "  Name  =  My Radio  \n"
             ";BAUD=5\n"
             "# PORT=3\n"
             "no equals sign here\n"
             "=nokey\n"
             "name=second\n"
             "Empty=\n"
             "[radio0]\n"
             "BAUD=6\n"
             "[Other\n"
             "X=1.5\n");
    bool found = false;
    EXPECT_EQ(doc.Get("RADIO0", "NAME", &found), "My Radio");
    EXPECT_TRUE(found);
    EXPECT_EQ(doc.Get("radio0", "empty", &found), "");
    EXPECT_TRUE(found);
    for (const char* key : {"BAUD", "PORT", "no equals sign here", "orphan", ""}) {
        doc.Get("Radio0", key, &found);
        EXPECT_FALSE(found) << key; // comments, lines without "=" and duplicate sections
    }
    EXPECT_EQ(doc.Get("other", "x"), "1.5"); // a header missing its "]"
    doc.Get("Nowhere", "X", &found);
    EXPECT_FALSE(found);

    ProfileFile bom;
    bom.Load("\xEF\xBB\xBF[A]\r\nk=v\r\n");
    EXPECT_EQ(bom.Get("a", "K"), "v");
    bom.Set("a", "k", "w");
    EXPECT_EQ(bom.Serialize(), "\xEF\xBB\xBF[A]\r\nk=w\r\n");
}

TEST(ProfileFile, SetKeepsEverythingElseInPlace) {
    ProfileFile doc;
    const std::string text = "; head\n[A]\nOne = 1 \n; about B\n\n[B]\nx=1\n[a]\nOne=dup\n";
    doc.Load(text);
    EXPECT_EQ(doc.Serialize(), text);
    doc.Set("a", "ONE", "10");          // in place, in the first of two sections
    doc.Set("A", "Two", "2");           // after the last key, before the comment
    doc.Set("C", "K", "line\r\nbreak"); // new section at the end, value kept on one line
    EXPECT_EQ(
        doc.Serialize(),
        "; head\n[A]\nOne=10\nTwo=2\n; about B\n\n[B]\nx=1\n[a]\nOne=dup\n[C]\nK=line  break\n");
    EXPECT_EQ(doc.Get("A", "two"), "2");

    ProfileFile fresh; // a new file is written like a Windows profile file
    fresh.Set("S", "K", "V");
    EXPECT_EQ(fresh.Serialize(), "[S]\r\nK=V\r\n");
}

TEST(ProfileFile, ReadsAndKeepsAnyLineEnding) {
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        ProfileFile doc;
        doc.Load("[S]" + eol + "a=1" + eol + "b=2"); // last line not terminated
        EXPECT_EQ(doc.Get("s", "b"), "2");
        doc.Set("S", "c", "3");
        EXPECT_EQ(doc.Serialize(), "[S]" + eol + "a=1" + eol + "b=2" + eol + "c=3" + eol);
    }
    ProfileFile mixed; // the first line end found is the one written
    mixed.Load("[S]\na=1\r\nb=2\rc=3\n");
    EXPECT_EQ(mixed.Get("S", "c"), "3");
    EXPECT_EQ(mixed.Serialize(), "[S]\na=1\nb=2\nc=3\n");
}

TEST(ProfileFile, JunkLoadsAndSurvivesUnchanged) {
    std::string junk("\0[\0]=\x01\xff\n[S]\nk\0ey=va\0lue\n", 24);
    junk += std::string(3 << 20, 'z') + "\n" + "big=" + std::string(1 << 20, '7') + "\n";
    ProfileFile doc;
    doc.Load(junk);
    EXPECT_EQ(doc.Serialize(), junk);
    EXPECT_EQ(doc.Get("S", std::string("k\0ey", 4)), std::string("va\0lue", 6));
    EXPECT_EQ(doc.Get("S", "big").size(), 1u << 20);
}

} // namespace
} // namespace rigvane
