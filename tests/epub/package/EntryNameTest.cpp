// SPDX-License-Identifier: MIT
// Entry names made from the names a document gives: nothing a link must escape as white space,
// nothing OCF forbids, folders and letters kept.
#include "epub/package/EntryName.h"

#include <gtest/gtest.h>

namespace {

using EPub::EntryName;
using EPub::FileStem;
using EPub::NumberedName;

TEST(EntryName, WhiteSpaceAndForbiddenCharactersBecomeUnderscores) {
    EXPECT_EQ(EntryName("café x y.xhtml"), "café_x_y.xhtml");
    EXPECT_EQ(EntryName("Teil 2/a\tb.xhtml"), "Teil_2/a_b.xhtml");
    // No-break, ideographic and line-separator spaces count as spaces too.
    EXPECT_EQ(EntryName("a\u00a0b\u3000c\u2028d.xhtml"), "a_b_c_d.xhtml");
    EXPECT_EQ(EntryName("a*b?c<d>e|f\"g\\h:i.ttf"), "a_b_c_d_e_f_g_h_i.ttf");
    // A link escapes these, yet checkers take them for a fragment or an escape.
    EXPECT_EQ(EntryName("#1 50%.xhtml"), "_1_50_.xhtml");
    EXPECT_EQ(EntryName("x\x01y\x7f.ttf"), "x_y_.ttf");
    EXPECT_EQ(EntryName("a\ue000b\ufffec.ttf"), "a_b_c.ttf");
}

TEST(EntryName, LettersFoldersAndOtherPunctuationStay) {
    for (const char* kept : {"chapter1.xhtml", "x&y/R&D.xhtml", "日本/über-ß_9.xhtml", "a.b.c",
                             "(1)[2]{3}+4'a'.xhtml"})
        EXPECT_EQ(EntryName(kept), kept);
}

TEST(EntryName, APeriodNeverEndsAPathComponent) {
    EXPECT_EQ(EntryName("notes."), "notes_");
    EXPECT_EQ(EntryName("v1./a.xhtml"), "v1_/a.xhtml");
}

TEST(EntryName, NumbersGoBeforeTheExtensionOfTheLastComponent) {
    EXPECT_EQ(NumberedName("a_b.xhtml", 2), "a_b-2.xhtml");
    EXPECT_EQ(NumberedName("v1.0/notes", 3), "v1.0/notes-3");
    EXPECT_EQ(NumberedName("sub/.hidden", 2), "sub/.hidden-2");
    EXPECT_EQ(NumberedName("My.Font.otf", 1), "My.Font-1.otf");
}

// The name a cover or picture is stored under comes from the file, whichever separator it uses.
TEST(EntryName, FileStemDropsFoldersAndTheLastExtension) {
    EXPECT_EQ(FileStem("pictures/Cat photo.jpg"), "Cat photo");
    EXPECT_EQ(FileStem("C:\\scans\\front.cover.jpeg"), "front.cover");
    EXPECT_EQ(FileStem(".hidden"), ".hidden");
    EXPECT_EQ(FileStem("v1.0/notes"), "notes");
    EXPECT_EQ(FileStem(""), "");
}

} // namespace
