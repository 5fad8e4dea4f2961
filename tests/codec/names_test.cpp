// The naming rules: the windows' proposal, the command line's names that
// come back, and the extension tag, over names that are not valid UTF-8 and
// tags with high Windows-1252 bytes.
#include <gtest/gtest.h>

#include "codec/names.h"

namespace tambril::codec {
namespace {

TEST(Names, ProposalCountsCharactersNotBytes) {
  EXPECT_EQ(ProposedPath("über.ä", "tmb"), "über.t");
  EXPECT_EQ(ProposedPath("x.tmb", TagForFileName("\xE4\x80z")), "x.ä€z");
  EXPECT_EQ(ProposedPath("x.t", "doc"), "x.d");
  EXPECT_EQ(ProposedPath("ohne", "doc"), "ohne.doc");
  // 0xFF and a cut-off sequence are single characters each and keep their bytes.
  EXPECT_EQ(ProposedPath(".a\xFF\xC3x", "tmb"), ".tmbx");
  EXPECT_EQ(ProposedPath("\xFF\xFE.\xC3\xA4\xFF", "tmb"), "\xFF\xFE.tm");
  EXPECT_EQ(ProposedPath("a.\xE2\x82", "tmb"), "a.t");
  EXPECT_EQ(ProposedPath("caf\xE9.txt", "tmb"), "caf\xE9.tmb");  // Latin-1
  // Only the name is rewritten, its folder kept.
  EXPECT_EQ(ProposedPath("/tmp/my.d/plan.txt", "tmb"), "/tmp/my.d/plan.tmb");
  EXPECT_EQ(ProposedPath("rel.d/a", "tmb"), "rel.d/a.tmb");
}

TEST(Names, TmbIsWrittenOverTheCharactersAfterTheFirstDot) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {{"C:\\Texte\\brief.doc", "C:\\Texte\\brief.tmb"},
               {"brief.doc", "brief.tmb"},
               {"notiz.c", "notiz.t"},
               {"seite.html", "seite.tmbl"},
               {"a.b.txt", "a.tmbxt"},
               {"/alt.dir/plan.txt", "/alt.dir/plan.tmb"},
               {"/tmp/x/README", "/tmp/x/README.tmb"},
               {"README", "README.tmb"},
               {"ab", "ab.tmb"},
               {"brief.", "brief.tmb"},
               {".profile", ".tmbfile"}};
  for (const auto& c : cases) {
    const auto got = ProposedPath(c.in, "tmb");
    ASSERT_TRUE(got.has_value()) << c.in;
    EXPECT_EQ(*got, c.out) << c.in;
  }
}

TEST(Names, ProposalNeedsACharacterAtItsStart) {
  EXPECT_FALSE(ProposedPath("", "tmb").has_value());
  EXPECT_FALSE(ProposedPath("/d/", "tmb").has_value());
  EXPECT_EQ(ProposedPath("x", "doc"), "x.doc");
  EXPECT_EQ(ProposedPath("/my.d/x.tmb", "txt"), "/my.d/x.txt");
  // A decoded tag goes in the same way.
  EXPECT_EQ(ProposedPath("/d/brief.tmb", "txt"), "/d/brief.txt");
}

TEST(Names, TagIsTheLastThreeCharactersOfThePathInWindows1252) {
  EXPECT_EQ(ExtensionTag("/d/brief.doc"), "doc");
  EXPECT_EQ(ExtensionTag("/d/seite.html"), "tml");
  EXPECT_EQ(ExtensionTag("/d/notiz.c"), "z.c");
  EXPECT_EQ(ExtensionTag("ab"), "ab");
  EXPECT_EQ(ExtensionTag("/ä/Größe"),
            "\xF6\xDF"
            "e");
  EXPECT_EQ(ExtensionTag("/tmp/lied.mp\xC3\xA4"), "mp\xE4");
  EXPECT_EQ(ExtensionTag("/tmp/x.\xE2\x82\xAC\xC4\x89"), ".\x80?");
}

TEST(Names, TagCharactersUnfitForFileNamesBecomeUnderscores) {
  EXPECT_EQ(TagForFileName("doc"), "doc");
  EXPECT_EQ(TagForFileName("z.c"), "z.c");
  EXPECT_EQ(TagForFileName("\xE4\xF6\xFC"), "äöü");
  EXPECT_EQ(TagForFileName("a/b"), "a_b");
  EXPECT_EQ(TagForFileName("\\.."), "_..");
  EXPECT_EQ(TagForFileName(std::string("\0\x0A\x7F", 3)), "___");
  EXPECT_EQ(TagForFileName("\x81 x"), "_ x");
  for (const char b : {'\x09', '\x1B', '\x9D'}) EXPECT_EQ(TagForFileName(std::string(1, b)), "_") << int(b);
  EXPECT_EQ(TagForFileName("\x9F"), "\xC5\xB8");
  // A tag holding a separator never leads out of the folder.
  EXPECT_EQ(DecodedPath("/tmp/a.b/x.tmb", "./."),
            kNativePathStyle == PathStyle::Windows ? "/tmp/a.b/x..__" : "/tmp/a.b/x.._.");
  // A decoded name is one the system holds as a file: never "." or "..",
  // and on Windows nothing it forbids or keeps for devices and streams.
  EXPECT_EQ(DecodedPath("/d/..tmb", "b.."), "/d/_");
  EXPECT_EQ(DecodedPath("/d/...tmb", "..."), "/d/__");
  const bool windows = kNativePathStyle == PathStyle::Windows;
  EXPECT_EQ(DecodedPath("w.tmb", ":\\a"), windows ? "w.__a" : "w.:_a");
  EXPECT_EQ(DecodedPath("x..tmb", ".tm"), windows ? "x_" : "x.");
  EXPECT_EQ(HoldableName("a<b>c:d\"e|f?g*h\x01", PathStyle::Windows), "a_b_c_d_e_f_g_h_");
  EXPECT_EQ(HoldableName("w2.b. ", PathStyle::Windows), "w2.b__");
  EXPECT_EQ(HoldableName("..", PathStyle::Windows), "__");
  EXPECT_EQ(HoldableName("NUL.txt", PathStyle::Windows), "NUL_.txt");
  EXPECT_EQ(HoldableName("com1", PathStyle::Windows), "com1_");
  EXPECT_EQ(HoldableName("Lpt9.tar.gz", PathStyle::Windows), "Lpt9_.tar.gz");
  EXPECT_EQ(HoldableName("aux .c", PathStyle::Windows), "aux _.c");
  for (const char* kept : {"COM0", "CONSOLE", "NULL.txt", "xCON", "LPT10"}) {
    EXPECT_EQ(HoldableName(kept, PathStyle::Windows), kept);
  }
  EXPECT_EQ(HoldableName("a<b: .", PathStyle::Posix), "a<b: .");
}

// The command line's names: every source comes back under its own name,
// and no two sources want one encoded name.
TEST(Names, CommandLineNamesComeBack) {
  const char* const sources[] = {
      "brief.doc", "brief.txt",   "x.c",           "y.py",        ".a",     "README",  "x.tmb",
      "a.b.txt",   "photo.jpeg",  "archiv.tar.gz", "a.c",         "a.h",    "ab",      "a",
      "über.ä",    "caf\xE9.txt", "x.TMB",         "report.docx", "/d/ä/é", "rel.d/a", "lied.mp\xC3\xA4"};
  for (const char* s : sources) {
    const std::string encoded = EncodedPath(s);
    EXPECT_EQ(encoded, std::string(s) + ".tmb");
    EXPECT_TRUE(HasTmbSuffix(encoded)) << s;
    // The tag of the source where it was, and after its tree moved.
    for (const std::string folder : {"/home/u/", "/mnt/elsewhere/"}) {
      const std::string at = std::string(s).front() == '/' ? s : folder + s;
      EXPECT_EQ(DecodedPath(encoded, ExtensionTag(at)), s) << s << " from " << at;
    }
  }
}

TEST(Names, CommandLineDecodeTakesTheWindowsNamesToo) {
  // Made by the windows or older versions: the tag does not agree with P.
  EXPECT_EQ(DecodedPath("/d/brief.tmb", "doc"), "/d/brief.doc");
  EXPECT_EQ(DecodedPath("x.t", "x.c"), "x.x");
  EXPECT_EQ(DecodedPath("report.tmbx", "ocx"), "report.ocxx");
  EXPECT_EQ(DecodedPath(".tmb", "/.a"), "._.a");
  EXPECT_EQ(DecodedPath("ohne", "doc"), "ohne.doc");
  // A name the windows made from one without "." still comes back.
  EXPECT_EQ(DecodedPath("README.tmb", "DME"), "README");
  EXPECT_EQ(DecodedPath("/d/", "doc"), "/d/");
  // A renamed file whose name has an extension of its own keeps it, and a
  // decoded name ends in ".tmb" only where the tag says "tmb": a later
  // decode -r would take it for an encoded file.
  EXPECT_EQ(DecodedPath("foo.bin.tmb", "doc"), "foo.bin");
  EXPECT_EQ(DecodedPath("/d/report.pdf.tmb", "txt"), "/d/report.pdf");
  EXPECT_EQ(DecodedPath("/d/.profile.tmb", "xyz"), "/d/.profile");
  EXPECT_EQ(DecodedPath("x.tmb.tmb", "doc"), "x.doc");
  EXPECT_EQ(DecodedPath("x.tmb.TMB.tmb", "pdf"), "x.pdf");
  EXPECT_EQ(DecodedPath("x.tmb.tmb", "TMB"), "x.tmb");
  EXPECT_EQ(DecodedPath("brief.tmb", "tmb"), "brief.tmb");
  EXPECT_EQ(DecodedPath("x..tmb", "doc"), "x.docb");
  for (const char* tag : {"doc", "txt", ".tm", "/.a", "mb.", "b.t", "x.c"}) {
    for (const char* name : {"a.tmb.tmb", ".abcd.tmb", "x..tmb", "brief.tmb", "a.b.c.tmb", "a.xyzb", ".tmb.tmb"}) {
      EXPECT_FALSE(HasTmbSuffix(DecodedPath(name, tag))) << name << " " << tag << ": " << DecodedPath(name, tag);
    }
  }
  EXPECT_FALSE(HasTmbSuffix(".tmb"));
  EXPECT_FALSE(HasTmbSuffix("a.tmbx"));
  EXPECT_FALSE(HasTmbSuffix("a.tmb/b"));
}

}  // namespace
}  // namespace tambril::codec
