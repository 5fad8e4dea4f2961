// The naming rules of the coding commands.
#include <gtest/gtest.h>

#include "coding_dialogs/coding_names.h"
#include "tests/platform/gui_test.h"

namespace tambril {
namespace {

TEST(CodingNames, TmbIsWrittenOverTheCharactersAfterTheFirstDot) {
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
    const auto got = OverwriteAfterFirstDot(QString::fromUtf8(c.in), QStringLiteral("tmb"));
    ASSERT_TRUE(got.has_value()) << c.in;
    EXPECT_EQ(*got, QString::fromUtf8(c.out)) << c.in;
  }
}

TEST(CodingNames, OverwriteNeedsACharacterAtItsStart) {
  EXPECT_FALSE(OverwriteAfterFirstDot(QString(), QStringLiteral("tmb")).has_value());
  EXPECT_FALSE(OverwriteAfterFirstDot(QStringLiteral("/d/"), QStringLiteral("tmb")).has_value());
  EXPECT_EQ(OverwriteAfterFirstDot(QStringLiteral("x"), QStringLiteral("doc")), QStringLiteral("x.doc"));
  EXPECT_EQ(OverwriteAfterFirstDot(QStringLiteral("/my.d/x.tmb"), QStringLiteral("txt")),
            QStringLiteral("/my.d/x.txt"));
  // A decoded tag goes in the same way.
  EXPECT_EQ(OverwriteAfterFirstDot(QStringLiteral("/d/brief.tmb"), QStringLiteral("txt")),
            QStringLiteral("/d/brief.txt"));
}

}  // namespace
}  // namespace tambril
