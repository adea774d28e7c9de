// The working animation player, offscreen, on clip files in a temporary
// folder: the first frame on opening, frames advancing and looping while it
// plays, Stop going back to the first frame, and clips that cannot be read
// leaving the widget empty without a word.
#include <QImage>
#include <QTest>

#include <fstream>

#include "media/avi_clip.h"
#include "tests/support/temp_drive.h"
#include "ui/qt/animation_player.h"

using namespace tidewell;
using namespace tidewell::ui;

namespace {

constexpr QRgb kRed = 0xffff0000u;
constexpr QRgb kGreen = 0xff00ff00u;
constexpr QRgb kBlue = 0xff0000ffu;

// Three solid frames, red, green, blue, of 4 x 3 pixels, 20 ms each.
std::string WriteSolidClip(const testing::TempFolder& folder) {
  std::vector<std::vector<std::uint8_t>> frames;
  for (std::uint8_t index = 0; index < 3; ++index) frames.emplace_back(12, index);
  const std::string path = folder.Path() + "/Tidewell1.avi";
  std::ofstream(path, std::ios::binary) << media::WriteRle8Avi(4, 3, 20'000, {kRed, kGreen, kBlue}, frames);
  return path;
}

// The colour in the middle of the widget as drawn.
QRgb Shown(AnimationPlayer& player) {
  const QImage image = player.grab().toImage();
  return image.pixel(image.width() / 2, image.height() / 2);
}

}  // namespace

class AnimationPlayerTest : public QObject {
  Q_OBJECT

 private slots:
  void opensAClipAndShowsItsFirstFrameScaled() {
    testing::TempFolder folder;
    AnimationPlayer player;
    player.resize(49, 41);
    QVERIFY(player.Open(QString::fromStdString(WriteSolidClip(folder))));
    QCOMPARE(player.FrameCount(), 3);
    QCOMPARE(player.CurrentFrame(), 0);
    QVERIFY(!player.IsPlaying());
    QCOMPARE(player.sizeHint(), QSize(4, 3));
    const QImage image = player.grab().toImage();
    QCOMPARE(image.pixel(0, 0), kRed);
    QCOMPARE(image.pixel(48, 40), kRed);
  }

  void playLoopsThroughTheFramesAndStopShowsTheFirstAgain() {
    testing::TempFolder folder;
    AnimationPlayer player;
    player.resize(49, 41);
    QVERIFY(player.Open(QString::fromStdString(WriteSolidClip(folder))));
    player.Play();
    QVERIFY(player.IsPlaying());
    QTRY_COMPARE_WITH_TIMEOUT(player.CurrentFrame(), 1, 2000);
    QCOMPARE(Shown(player), kGreen);
    QTRY_COMPARE_WITH_TIMEOUT(player.CurrentFrame(), 2, 2000);
    QCOMPARE(Shown(player), kBlue);
    QTRY_COMPARE_WITH_TIMEOUT(player.CurrentFrame(), 0, 2000);  // looped
    QTRY_COMPARE_WITH_TIMEOUT(player.CurrentFrame(), 1, 2000);

    player.Stop();
    QVERIFY(!player.IsPlaying());
    QCOMPARE(player.CurrentFrame(), 0);
    QCOMPARE(Shown(player), kRed);
    QTest::qWait(100);  // five frame times: nothing moves once stopped
    QCOMPARE(player.CurrentFrame(), 0);
  }

  void missingOrGarbageClipsFailSilentlyAndShowNothing() {
    testing::TempFolder folder;
    AnimationPlayer player;
    player.resize(49, 41);
    QVERIFY(!player.Open(QString::fromStdString(folder.Path() + "/Tidewell1.avi")));
    QCOMPARE(player.FrameCount(), 0);
    player.Play();
    QVERIFY(!player.IsPlaying());
    player.Stop();

    // A clip that was open is closed by a failed Open.
    QVERIFY(player.Open(QString::fromStdString(WriteSolidClip(folder))));
    const std::string garbage = folder.Path() + "/garbage.avi";
    std::ofstream(garbage, std::ios::binary) << std::string("RIFF\x1c\0\0\0AVI LIST garbage, not a clip", 36);
    QVERIFY(!player.Open(QString::fromStdString(garbage)));
    QCOMPARE(player.FrameCount(), 0);
    QVERIFY(Shown(player) != kRed);
    player.Play();
    QVERIFY(!player.IsPlaying());
  }
};

QTEST_MAIN(AnimationPlayerTest)
#include "animation_player_test.moc"
