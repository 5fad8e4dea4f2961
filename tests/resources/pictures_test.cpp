#include "resources/pictures.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <vector>

namespace tambril::resources {
namespace {

// Pixels that are neither fully transparent nor the given ground colour.
int DrawnPixels(const QImage& image, QRgb ground) {
  int drawn = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y);
      if (qAlpha(c) != 0 && c != ground) ++drawn;
    }
  return drawn;
}

TEST(Pictures, EachHasItsSizeAndSomethingDrawn) {
  struct Case {
    const char* name;
    QImage image;
    QSize size;
  };
  const Case cases[] = {
      {"start", StartPicture(), QSize(362, 48)},    {"encoded", EncodedFilePicture(), QSize(50, 45)},
      {"plain", PlainFilePicture(), QSize(50, 45)}, {"splash", SplashBackground(), QSize(550, 257)},
      {"info", InfoLogo(), QSize(216, 119)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(c.image.isNull());
    EXPECT_EQ(c.image.size(), c.size);
    const QRgb ground = c.image.pixel(c.image.width() / 2, 0);
    EXPECT_GT(DrawnPixels(c.image, ground), c.image.width() * c.image.height() / 20);
  }
}

TEST(Pictures, MarkersForEncodedAndPlainFilesDiffer) {
  const QImage encoded = EncodedFilePicture();
  const QImage plain = PlainFilePicture();
  EXPECT_NE(encoded, plain);
  // Only the encoded marker carries the red padlock.
  auto redPixels = [](const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) == kRed) ++n;
    return n;
  };
  EXPECT_GT(redPixels(encoded), 50);
  EXPECT_EQ(redPixels(plain), 0);
}

TEST(Pictures, IconHasEverySizeAndATransparentGround) {
  const QIcon icon = ProgramIcon();
  ASSERT_FALSE(icon.isNull());
  const QList<QSize> sizes = icon.availableSizes();
  for (int size : kIconSizes) {
    SCOPED_TRACE(size);
    EXPECT_TRUE(sizes.contains(QSize(size, size)));
    const QImage image = ProgramIconImage(size);
    EXPECT_EQ(image.size(), QSize(size, size));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(size - 1, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255);
    // The file type's icon: same size and ground, but the coded document,
    // told apart from the program icon where the lines can be seen.
    const QImage file = EncodedFileIconImage(size);
    EXPECT_EQ(file.size(), QSize(size, size));
    EXPECT_EQ(qAlpha(file.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(file.pixel(size / 2, size / 2)), 255);
    if (size >= 32) {
      EXPECT_NE(file, image);
    }
  }
  EXPECT_EQ(icon.pixmap(48, 48).toImage().size(), QSize(48, 48));
}

// The Windows icon files, read back by Qt's own reader of .ico files: every
// size, each the very image drawn.
TEST(Pictures, IconFilesHoldEverySizeAsDrawn) {
  for (QImage (*draw)(int) : {ProgramIconImage, EncodedFileIconImage}) {
    QByteArray bytes = IconFile(draw);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "ico");
    ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
    std::vector<QImage> read;
    do {
      const QImage image = reader.read();
      ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
      read.push_back(image);
    } while (reader.jumpToNextImage());
    ASSERT_EQ(read.size(), std::size(kIconSizes));
    for (std::size_t i = 0; i < read.size(); ++i) {
      const int size = kIconSizes[i];
      EXPECT_EQ(read[i].convertToFormat(QImage::Format_ARGB32), draw(size).convertToFormat(QImage::Format_ARGB32))
          << size;
    }
  }
}

TEST(Pictures, SplashBackgroundIsTheSameEveryTimeAndMostlyDarkBlue) {
  const QImage first = SplashBackground();
  EXPECT_EQ(first, SplashBackground());

  const int total = first.width() * first.height();
  int ground = 0, light = 0, bluish = 0;
  for (int y = 0; y < first.height(); ++y)
    for (int x = 0; x < first.width(); ++x) {
      const QRgb c = first.pixel(x, y);
      EXPECT_EQ(qAlpha(c), 255);
      if (c == kDarkBlue) ++ground;
      if (qGray(c) > 40) ++light;
      if (qBlue(c) >= qRed(c) && qBlue(c) >= qGreen(c)) ++bluish;
    }
  EXPECT_GT(ground, total * 6 / 10);  // mostly the dark blue ground
  EXPECT_GT(light, total / 50);       // with characters on it
  EXPECT_EQ(bluish, total);           // and nothing but shades of blue
}

}  // namespace
}  // namespace tambril::resources
