// "Write Avi" driven as a user drives it: a folder in txtPath, the button's
// handler, and the save and compression dialogs filled in and confirmed (or
// cancelled) from a helper thread. The AVI files of the cases that write one
// are left in avi-check/ beside this program, with what they should hold, for
// tests/tools/check_avi.py, which decodes them with ffmpeg and compares every
// frame with its JPG decoded by PIL.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/avi_choices.h"
#include "app/form1.h"
#include "imaging/cdib.h"
#include "writeavi/win32/convert_folder.h"
#include "avi_test_support.h"
#include "dialog_driver.h"
#include "platform/controls.h"
#include "base/file.h"
#include "platform/files.h"
#include "platform/picture_view.h"
#include "base/utf8.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

using test::DialogDriver;
using test::ShownMessage;

constexpr int kWidth = 163, kHeight = 123;
constexpr const char* kSaveTitle = "Choose a filename to save AVI to...";
constexpr const char* kCompressionTitle = "Video Compression";
constexpr const char* kUncompressed = "Full Frames (Uncompressed)";
constexpr int kCompressorCombo = 880;
constexpr int kFileTypeCombo = 0x470;  // cmb1 of the file dialogs
constexpr const char* kNoFiles = "No files to convert, Please choose the correct folder.";
constexpr const char* kWriteError = "There was an error writing the file.";

// The user names `target` in the save dialog and confirms it; false when a
// step failed (the driver has recorded which).
bool NameTarget(DialogDriver& d, const std::string& target) {
  HWND save = d.Wait(kSaveTitle);
  return save && d.SetFileName(save, target) && d.Click(save, IDOK);
}

// The user takes the uncompressed compressor in the compression dialog.
void ChooseUncompressed(DialogDriver& d) {
  HWND compression = d.Wait(kCompressionTitle);
  if (compression && d.Choose(compression, kCompressorCombo, kUncompressed)) d.Click(compression, IDOK);
}

// The save dialog only: no further dialog is expected.
std::function<void(DialogDriver&)> SaveOnly(const std::string& target) {
  return [target](DialogDriver& d) { NameTarget(d, target); };
}

// Both dialogs, as a user converting to an uncompressed video answers them.
std::function<void(DialogDriver&)> SaveUncompressed(const std::string& target) {
  return [target](DialogDriver& d) {
    if (NameTarget(d, target)) ChooseUncompressed(d);
  };
}

// A fresh case folder under the checker's folder.
std::string CheckCase(const std::string& name) {
  static const bool cleared = [] {
    test::RemoveTree(test::CheckFolder());
    return MakeDirectory(test::CheckFolder());
  }();
  EXPECT_TRUE(cleared);
  const std::string folder = test::CheckFolder() + "\\" + name;
  test::RemoveTree(folder);
  EXPECT_TRUE(MakeDirectory(folder));
  return folder;
}

std::string Messages(const std::vector<ShownMessage>& messages) {
  std::string text;
  for (const ShownMessage& m : messages) text += "[" + m.text + "] ";
  return text;
}

class WriteAvi : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = Form1::Create(false);
    ASSERT_NE(form_, nullptr);
  }

  // Clicks "Write Avi" with `folder` in txtPath while `script` acts on the
  // dialogs; returns the messages the user was shown.
  std::vector<ShownMessage> Click(const std::string& folder, std::function<void(DialogDriver&)> script = {}) {
    SetControlText(form_->txtPath, folder);
    test::MessageRecorder recorder;
    DialogDriver driver(std::move(script));
    form_->aviwrite_Click();
    WaitForConversion();
    driver.Finish();
    for (const std::string& failure : driver.failures()) ADD_FAILURE() << failure;
    return recorder.messages();
  }

  // The conversion runs on a thread of its own; the window answers (and
  // shows its dialogs) while it runs.
  void WaitForConversion() {
    EXPECT_TRUE(test::PumpUntil([&] { return !form_->ConversionRunning(); }, 120000));
  }

  std::vector<std::string> Listed() const {
    std::vector<std::string> names;
    for (int i = 0; i < ListCount(form_->File1); ++i) names.push_back(form_->File1Row(i));
    return names;
  }

  std::unique_ptr<Form1> form_;
};

// Frames of one recording: zero-padded counters, one name in capitals (plain
// byte order would put it first), one ".JPG", a grey frame and one that is a
// BMP file under a JPG name, which no decoder is given: it is no JPEG, so it
// is replaced as any unreadable frame. Files that are not "*.jpg" are not
// frames.
TEST_F(WriteAvi, WritesEveryFrameInNameOrderAndReleasesEverything) {
  const std::string folder = CheckCase("name_order");
  const std::vector<std::string> frames = {"Alice0000000.jpg", "Alice0000001.jpg", "Alice0000002.jpg",
                                           "Alice0000003.jpg", "Alice0000004.jpg", "Alice0000005.jpg",
                                           "Alice0000006.jpg", "Alice0000007.jpg", "ALICE0000008.jpg",
                                           "Alice0000009.jpg", "Alice0000010.jpg", "alice0000011.JPG"};
  for (int i = static_cast<int>(frames.size()) - 1; i >= 0; --i) {
    const std::string path = folder + "\\" + frames[i];
    if (i == 4)
      ASSERT_TRUE(test::WriteBmpFrame(path, kWidth, kHeight, i));
    else
      ASSERT_TRUE(test::WriteJpegFrame(path, kWidth, kHeight, i, /*grey=*/i == 3));
  }
  ASSERT_TRUE(test::WriteBmpFrame(folder + "\\Alice0000005.bmp", kWidth, kHeight, 40));
  ASSERT_TRUE(test::WriteTextFile(folder + "\\notes.txt", "not a frame"));
  ASSERT_TRUE(test::WriteTextFile(folder + "\\tmp.bmp", "left from an earlier conversion"));
  const std::string target = folder + "\\name_order.avi";

  const auto messages = Click(folder, SaveUncompressed(target));

  ASSERT_EQ(messages.size(), 1u) << Messages(messages);
  EXPECT_EQ(messages[0].text, "1 frame could not be read and was replaced by the frame before it.\r\n" +
                                  folder + "\\Alice0000004.jpg");
  EXPECT_EQ(Listed(), frames);
  EXPECT_EQ(ListSelected(form_->File1), 11);
  const SIZE shown = PictureSizePixels(ViewPicture(form_->Image1).get());
  EXPECT_EQ(shown.cx, kWidth);
  EXPECT_EQ(shown.cy, kHeight);

  EXPECT_EQ(test::LiveAviObjects(), 0);
  EXPECT_TRUE(test::FileIsReleased(target));
  EXPECT_TRUE(test::FileIsReleased(folder + "\\tmp.bmp"));
  const test::AviSummary avi = test::ReadAviSummary(target);
  ASSERT_TRUE(avi.read);
  EXPECT_EQ(avi.videoStreams, 1);
  EXPECT_EQ(avi.length, 12u);
  EXPECT_EQ(avi.rate, 3u);
  EXPECT_EQ(avi.scale, 1u);
  EXPECT_EQ(avi.width, kWidth);
  EXPECT_EQ(avi.height, kHeight);

  // The temporary file now holds the last frame, exactly as the video does.
  test::MessageRecorder quiet;
  cDib last;
  ASSERT_TRUE(last.CreateFromFile(folder + "\\tmp.bmp"));
  EXPECT_EQ(last.Width(), kWidth);
  EXPECT_EQ(last.Height(), kHeight);
  EXPECT_EQ(last.BitCount(), 24);
  EXPECT_EQ(test::ReadAviFrame(target, 11),
            std::vector<std::uint8_t>(last.PointerToBits(), last.PointerToBits() + last.SizeImage()));
  std::vector<std::string> expected = frames;
  expected[4] = frames[3];
  EXPECT_TRUE(test::WriteExpectation(folder, "name_order.avi", 3, kWidth, kHeight, expected));
}

TEST_F(WriteAvi, FrameRateComesFromTheLeadingNumberOfTheRateBox) {
  const struct {
    const char* text;
    DWORD rate;
  } cases[] = {{"3", 3}, {"45", 30}, {"12.5", 12}, {"13.5", 14}, {"7 fps", 7}, {"", 1}, {"0", 1}, {"-5", 1}};
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("rate text \"") + c.text + "\"");
    const std::string name = "rate_" + std::to_string(n);
    const std::string folder = CheckCase(name);
    ASSERT_TRUE(test::WriteJpegFrame(folder + "\\Bob0000000.jpg", 48, 36, 2 * n));
    ASSERT_TRUE(test::WriteJpegFrame(folder + "\\Bob0000001.jpg", 48, 36, 2 * n + 1));
    SetControlText(form_->txtFPS, c.text);

    const auto messages = Click(folder, SaveUncompressed(folder + "\\" + name + ".avi"));

    EXPECT_TRUE(messages.empty()) << Messages(messages);
    const test::AviSummary avi = test::ReadAviSummary(folder + "\\" + name + ".avi");
    EXPECT_EQ(avi.rate, c.rate);
    EXPECT_EQ(avi.scale, 1u);
    EXPECT_EQ(avi.length, 2u);
    EXPECT_TRUE(test::WriteExpectation(folder, name + ".avi", static_cast<int>(c.rate), 48, 36,
                                       {"Bob0000000.jpg", "Bob0000001.jpg"}));
    ++n;
  }
  EXPECT_EQ(test::LiveAviObjects(), 0);
}

// The save dialog adds ".avi" to a name typed without it.
TEST_F(WriteAvi, OneFrameFolderGivesOneKeyFrame) {
  const std::string folder = CheckCase("one_frame");
  ASSERT_TRUE(test::WriteJpegFrame(folder + "\\Carol0000000.jpg", 40, 30, 5));

  const auto messages = Click(folder, SaveUncompressed(folder + "\\one_frame"));

  EXPECT_TRUE(messages.empty()) << Messages(messages);
  const test::AviSummary avi = test::ReadAviSummary(folder + "\\one_frame.avi");
  ASSERT_TRUE(avi.read);
  EXPECT_EQ(avi.length, 1u);
  EXPECT_EQ(avi.width, 40);
  EXPECT_EQ(avi.height, 30);
  EXPECT_TRUE(test::WriteExpectation(folder, "one_frame.avi", 3, 40, 30, {"Carol0000000.jpg"}));
}

// A recording saved as BMP only, and a folder that is not there: nothing to
// convert, and no dialog is shown (the driver would report one).
TEST_F(WriteAvi, FolderWithoutJpgFramesOrMissingSaysSoAndStops) {
  test::TempFolder temp;
  ASSERT_TRUE(test::WriteBmpFrame(temp.path() + "\\Alice0000000.bmp", 16, 16, 1));
  ASSERT_TRUE(test::WriteBmpFrame(temp.path() + "\\Alice0000001.bmp", 16, 16, 2));
  for (const std::string& folder : {temp.path(), temp.path() + "\\missing"}) {
    SCOPED_TRACE(folder);
    const auto messages = Click(folder);
    ASSERT_EQ(messages.size(), 1u) << Messages(messages);
    EXPECT_EQ(messages[0].text, kNoFiles);
    EXPECT_EQ(messages[0].icon, MessageIcon::None);
    EXPECT_EQ(ListCount(form_->File1), 0);
  }
  EXPECT_FALSE(FileExistsUtf8(temp.path() + "\\tmp.bmp"));
}

TEST_F(WriteAvi, CancellingTheSaveDialogStopsSilently) {
  test::TempFolder temp;
  ASSERT_TRUE(test::WriteJpegFrame(temp.path() + "\\Alice0000000.jpg", 32, 24, 1));

  const auto messages = Click(temp.path(), [](DialogDriver& d) {
    if (HWND save = d.Wait(kSaveTitle)) d.Click(save, IDCANCEL);
  });

  EXPECT_TRUE(messages.empty()) << Messages(messages);
  EXPECT_EQ(test::FilesIn(temp.path()), std::vector<std::string>{"Alice0000000.jpg"});
  EXPECT_EQ(test::LiveAviObjects(), 0);
}

TEST_F(WriteAvi, CancellingTheCompressionDialogSaysSoAloneAndKeepsTheFile) {
  test::TempFolder temp;
  ASSERT_TRUE(test::WriteJpegFrame(temp.path() + "\\Alice0000000.jpg", 32, 24, 1));
  ASSERT_TRUE(test::WriteJpegFrame(temp.path() + "\\Alice0000001.jpg", 32, 24, 2));
  const std::string target = temp.path() + "\\cancelled.avi";

  const auto messages = Click(temp.path(), [&target](DialogDriver& d) {
    if (!NameTarget(d, target)) return;
    if (HWND compression = d.Wait(kCompressionTitle)) d.Click(compression, IDCANCEL);
  });

  ASSERT_EQ(messages.size(), 1u) << Messages(messages);
  EXPECT_EQ(messages[0].text, "Error in getting Avi Save options");
  EXPECT_EQ(messages[0].icon, MessageIcon::None);
  EXPECT_TRUE(FileExistsUtf8(target));
  EXPECT_TRUE(test::FileIsReleased(target));
  EXPECT_EQ(test::LiveAviObjects(), 0);
}

// Another program holds the chosen file open: the overwrite question is
// answered Yes, then the file cannot be opened for writing.
TEST_F(WriteAvi, TargetThatCannotBeOpenedGivesItsMessageThenTheClosingOne) {
  test::TempFolder temp;
  ASSERT_TRUE(test::WriteJpegFrame(temp.path() + "\\Alice0000000.jpg", 32, 24, 1));
  const std::string target = temp.path() + "\\locked.avi";
  ASSERT_TRUE(test::WriteTextFile(target, "in use"));
  UniqueFile lock(::CreateFileA(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(lock.valid());

  const auto messages = Click(temp.path(), [&target](DialogDriver& d) {
    if (!NameTarget(d, target)) return;
    if (HWND question = d.Wait("")) d.Click(question, IDYES);
  });

  ASSERT_EQ(messages.size(), 2u) << Messages(messages);
  EXPECT_EQ(messages[0].text, "Can't open File to write, try to use different name to save.\r\n" + target +
                                  "\r\nAnother program is using the file.");
  EXPECT_EQ(messages[0].icon, MessageIcon::None);
  EXPECT_EQ(messages[1].text, kWriteError);
  EXPECT_EQ(messages[1].icon, MessageIcon::Information);
  EXPECT_EQ(test::LiveAviObjects(), 0);
}

TEST_F(WriteAvi, ConfirmedOverwriteReplacesTheOldFile) {
  test::TempFolder temp;
  ASSERT_TRUE(test::WriteJpegFrame(temp.path() + "\\Alice0000000.jpg", 32, 24, 1));
  ASSERT_TRUE(test::WriteJpegFrame(temp.path() + "\\Alice0000001.jpg", 32, 24, 2));
  const std::string target = temp.path() + "\\again.avi";
  ASSERT_TRUE(test::WriteTextFile(target, std::string(200000, 'x')));

  const auto messages = Click(temp.path(), [&target](DialogDriver& d) {
    if (!NameTarget(d, target)) return;
    HWND question = d.Wait("");
    if (question && d.Click(question, IDYES)) ChooseUncompressed(d);
  });

  EXPECT_TRUE(messages.empty()) << Messages(messages);
  const test::AviSummary avi = test::ReadAviSummary(target);
  ASSERT_TRUE(avi.read);
  EXPECT_EQ(avi.length, 2u);
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(target, bytes));
  EXPECT_LT(bytes.size(), 200000u);
}

// A folder named "tmp.bmp" stands where the temporary file goes.
TEST_F(WriteAvi, TemporaryFileThatCannotBeWrittenIsReported) {
  test::TempFolder temp;
  ASSERT_TRUE(test::WriteJpegFrame(temp.path() + "\\Alice0000000.jpg", 32, 24, 1));
  ASSERT_TRUE(MakeDirectory(temp.path() + "\\tmp.bmp"));
  const std::string target = temp.path() + "\\blocked.avi";

  const auto messages = Click(temp.path(), SaveOnly(target));

  ASSERT_EQ(messages.size(), 2u) << Messages(messages);
  EXPECT_EQ(messages[0].text, "Could not write the temporary frame file:\r\n" + temp.path() + "\\tmp.bmp");
  EXPECT_EQ(messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(messages[1].text, "Could not load first bitmap file in list!");
  // No frame: no video, not even an empty one.
  EXPECT_FALSE(test::PathIsThere(target));
  EXPECT_EQ(test::FilesIn(temp.path(), "*.avi*"), std::vector<std::string>{});
  EXPECT_EQ(test::LiveAviObjects(), 0);
}

// Converting again and again leaves no handle, thread or bitmap behind. The
// target is named directly (Wine's save dialog itself keeps one handle for
// every confirmed use); the compression dialog is the real one.
TEST_F(WriteAvi, RepeatedConversionsLeaveNothingBehind) {
  test::TempFolder temp;
  for (int i = 0; i < 6; ++i)
    ASSERT_TRUE(test::WriteJpegFrame(temp.path() + "\\Dan000000" + std::to_string(i) + ".jpg", 64, 48, i));
  SetControlText(form_->txtPath, temp.path());
  long handles = 0;
  int threads = 0;
  HBITMAP shown = nullptr;
  for (int run = 0; run < 3; ++run) {
    AviChoices choices = UserAviChoices();
    const std::string target = temp.path() + "\\run" + std::to_string(run) + ".avi";
    choices.target = [target](HWND, std::string& chosen, AviOutput&) {
      chosen = target;
      return true;
    };
    test::MessageRecorder recorder;
    DialogDriver driver(ChooseUncompressed);
    form_->WriteAvi(choices);
    WaitForConversion();
    driver.Finish();
    EXPECT_TRUE(driver.failures().empty());
    EXPECT_TRUE(recorder.messages().empty()) << Messages(recorder.messages());
    EXPECT_EQ(test::ReadAviSummary(target).length, 6u);
    // The first run loads what the dialog needs once; later ones add nothing.
    if (run == 1) {
      handles = test::ProcessHandleCount();
      threads = test::ProcessThreadCount();
      shown = PictureBitmap(ViewPicture(form_->Image1).get());
      EXPECT_NE(::GetObjectType(shown), 0u);
    } else if (run == 2) {
      EXPECT_EQ(test::ProcessHandleCount(), handles);
      EXPECT_EQ(test::ProcessThreadCount(), threads);
      // The picture shown after the run before went, and its bitmap with it.
      EXPECT_EQ(::GetObjectType(shown), 0u);
    }
  }
  EXPECT_GT(handles, 0);
  EXPECT_EQ(test::LiveAviObjects(), 0);
}

// --- Both output types on the same folders ---

// The save dialog answered in advance with `target` and `output`; the
// compression dialog stays the user's.
AviChoices AnsweredChoices(const std::string& target, AviOutput output) {
  AviChoices choices = UserAviChoices();
  choices.target = [target, output](HWND, std::string& chosen, AviOutput& type) {
    chosen = target;
    type = output;
    return true;
  };
  return choices;
}

const char* OutputName(AviOutput output) { return output == AviOutput::MotionJpegCopy ? "mjpeg" : "avi"; }

class BothOutputs : public WriteAvi, public ::testing::WithParamInterface<AviOutput> {
 protected:
  // Converts `folder` into `target` with this test's output type: the target
  // answered in advance, the compression dialog (first type only) driven as
  // a user takes the uncompressed compressor. Returns the messages shown.
  std::vector<ShownMessage> Convert(const std::string& folder, const std::string& target,
                                    bool compressionDialog = true) {
    SetControlText(form_->txtPath, folder);
    const AviOutput output = GetParam();
    const AviChoices choices = AnsweredChoices(target, output);
    test::MessageRecorder recorder;
    const bool asked = compressionDialog && output == AviOutput::Compressed;
    DialogDriver driver(asked ? ChooseUncompressed : std::function<void(DialogDriver&)>());
    form_->WriteAvi(choices);
    WaitForConversion();
    driver.Finish();
    for (const std::string& failure : driver.failures()) ADD_FAILURE() << failure;
    return recorder.messages();
  }

  bool Copied() const { return GetParam() == AviOutput::MotionJpegCopy; }
  std::string Case(const std::string& name) const { return name + "_" + OutputName(GetParam()); }
};

// 163x123 frames, then 4:3 ones that fill the width (a bar above and below),
// and a portrait one that fills the height: every frame of the video has the
// first frame's size, and the fitted ones show their picture (the checker
// compares them with the JPG fitted by PIL).
TEST_P(BothOutputs, FramesOfAnotherSizeAreFittedIntoTheFirstFramesSize) {
  const std::string name = Case("mixed_sizes");
  const std::string folder = CheckCase(name);
  const struct {
    int width, height;
  } sizes[] = {{kWidth, kHeight}, {kWidth, kHeight}, {320, 240}, {kWidth, kHeight}, {64, 128}, {400, 300}};
  std::vector<std::string> frames;
  for (int i = 0; i < 6; ++i) {
    frames.push_back("Eve000000" + std::to_string(i) + ".jpg");
    ASSERT_TRUE(test::WriteJpegFrame(folder + "\\" + frames.back(), sizes[i].width, sizes[i].height, i + 20));
  }
  const std::vector<std::string> fitted = {frames[2], frames[4], frames[5]};
  const std::string target = folder + "\\" + name + ".avi";

  const auto messages = Convert(folder, target);

  ASSERT_EQ(messages.size(), 1u) << Messages(messages);
  EXPECT_EQ(messages[0].text,
            "3 frames of another size were fitted into 163x123.\r\n" + folder + "\\" + frames[2]);
  EXPECT_EQ(messages[0].icon, MessageIcon::Information);
  const test::AviSummary avi = test::ReadAviSummary(target);
  ASSERT_TRUE(avi.read);
  EXPECT_EQ(avi.length, 6u);
  EXPECT_EQ(avi.width, kWidth);
  EXPECT_EQ(avi.height, kHeight);
  if (Copied()) {
    EXPECT_EQ(avi.handler, mmioFOURCC('M', 'J', 'P', 'G'));
    EXPECT_EQ(test::ReadAviFrame(target, 1), test::FileBytes(folder + "\\" + frames[1]));
    EXPECT_EQ(test::ReadAviFrame(target, 3), test::FileBytes(folder + "\\" + frames[3]));
    EXPECT_FALSE(test::PathIsThere(folder + "\\tmp.bmp"));
  } else {
    for (LONG i = 0; i < 6; ++i)
      EXPECT_EQ(test::ReadAviFrame(target, i).size(), Bmp24RowBytes(kWidth) * kHeight);
  }
  EXPECT_EQ(test::LiveAviObjects(), 0);
  EXPECT_TRUE(test::WriteExpectation(folder, name + ".avi", 3, kWidth, kHeight, frames, fitted, Copied()));
}

// An empty file, a JPG cut short and a text named .jpg: the video keeps one
// frame per listed file, each unreadable one being the frame before it, and
// the first readable frame standing in for the unreadable one before it.
TEST_P(BothOutputs, UnreadableFramesAreReplacedByTheFrameBeforeThem) {
  const std::string name = Case("unreadable");
  const std::string folder = CheckCase(name);
  const std::vector<std::string> frames = {"Fay0000000.jpg", "Fay0000001.jpg", "Fay0000002.jpg",
                                           "Fay0000003.jpg", "Fay0000004.jpg", "Fay0000005.jpg"};
  ASSERT_TRUE(test::WriteTextFile(folder + "\\" + frames[0], ""));
  ASSERT_TRUE(test::WriteJpegFrame(folder + "\\" + frames[1], kWidth, kHeight, 31));
  ASSERT_TRUE(test::WriteJpegFrame(folder + "\\" + frames[2], kWidth, kHeight, 32));
  std::vector<std::uint8_t> whole = test::FileBytes(folder + "\\" + frames[2]);
  whole.resize(whole.size() / 2);
  ASSERT_TRUE(WriteWholeFile(folder + "\\" + frames[2], {{whole.data(), whole.size()}}));
  ASSERT_TRUE(test::WriteTextFile(folder + "\\" + frames[3], "not a picture at all"));
  ASSERT_TRUE(test::WriteJpegFrame(folder + "\\" + frames[4], kWidth, kHeight, 34));
  ASSERT_TRUE(test::WriteJpegFrame(folder + "\\" + frames[5], kWidth, kHeight, 35));
  const std::string target = folder + "\\" + name + ".avi";

  const auto messages = Convert(folder, target);

  ASSERT_EQ(messages.size(), 1u) << Messages(messages);
  // The first one has no frame before it: the message names the one used.
  EXPECT_EQ(messages[0].text,
            "1 frame before the first readable one could not be read and was replaced by it:\r\n" + folder +
                "\\" + frames[0] + "\r\nUsed instead: " + folder + "\\" + frames[1] + "\r\n\r\n" +
                "2 frames could not be read and were replaced by the frame before them.\r\n" + folder + "\\" +
                frames[2]);
  EXPECT_EQ(messages[0].icon, MessageIcon::Information);
  const test::AviSummary avi = test::ReadAviSummary(target);
  ASSERT_TRUE(avi.read);
  EXPECT_EQ(avi.length, 6u);
  const std::vector<std::uint8_t> second = test::ReadAviFrame(target, 1);
  ASSERT_FALSE(second.empty());
  for (LONG i : {0, 2, 3}) EXPECT_EQ(test::ReadAviFrame(target, i), second) << "frame " << i;
  EXPECT_NE(test::ReadAviFrame(target, 4), second);
  if (Copied()) EXPECT_EQ(second, test::FileBytes(folder + "\\" + frames[1]));
  EXPECT_EQ(test::LiveAviObjects(), 0);
  EXPECT_TRUE(test::WriteExpectation(folder, name + ".avi", 3, kWidth, kHeight,
                                     {frames[1], frames[1], frames[1], frames[1], frames[4], frames[5]}, {},
                                     Copied()));
}

// Nothing readable at all: the first-frame message alone, and no video.
TEST_P(BothOutputs, NoReadableFrameAtAllGivesTheFirstFrameMessage) {
  test::TempFolder temp;
  ASSERT_TRUE(test::WriteTextFile(temp.path() + "\\Gus0000000.jpg", "not a picture"));
  ASSERT_TRUE(test::WriteTextFile(temp.path() + "\\Gus0000001.jpg", ""));
  const std::string target = temp.path() + "\\none.avi";

  const auto messages = Convert(temp.path(), target, /*compressionDialog=*/false);

  ASSERT_EQ(messages.size(), 1u) << Messages(messages);
  EXPECT_EQ(messages[0].text, "Could not load first bitmap file in list!");
  EXPECT_EQ(messages[0].icon, MessageIcon::Exclamation);
  EXPECT_FALSE(test::ReadAviSummary(target).read);
  EXPECT_FALSE(test::PathIsThere(target + ".part"));
  EXPECT_EQ(test::LiveAviObjects(), 0);
}

// A folder and a target named in Chinese and Cyrillic, reached without
// the main window's controls (the view is the test's own).
TEST_P(BothOutputs, FolderAndTargetInAnyScript) {
  test::TempFolder temp;
  const std::string folder =
      temp.path() + "\\\xE5\xB8\xA7-\xD0\xBA\xD0\xB0\xD0\xB4\xD1\x80\xD1\x8B";  // 帧-кадры
  ASSERT_TRUE(::CreateDirectoryW(Widen(folder).c_str(), nullptr));
  for (int i = 0; i < 3; ++i) {
    const std::string ascii = temp.path() + "\\frame" + std::to_string(i) + ".jpg";
    ASSERT_TRUE(test::WriteJpegFrame(ascii, 48, 36, 50 + i));
    const std::string name =
        folder + "\\\xD0\xBA\xD0\xB0\xD0\xB4\xD1\x80" + std::to_string(i) + ".jpg";  // кадр
    ASSERT_TRUE(::MoveFileW(Widen(ascii).c_str(), Widen(name).c_str()));
  }
  const std::string target = folder + "\\\xE8\xA7\x86\xE9\xA2\x91.avi";  // 视频.avi

  struct RecordingView : test::MessagesOnlyView {
    std::vector<std::string> names;
    void Frames(std::shared_ptr<const FrameNames> n) override {
      for (std::size_t i = 0; i < n->size(); ++i) names.push_back(n->Name(i));
    }
  } view;
  ConversionRequest request;
  request.folder = folder;
  request.frameRate = 5;
  request.owner = form_->hwnd();
  const AviOutput output = GetParam();
  const AviChoices choices = AnsweredChoices(target, output);
  test::MessageRecorder recorder;
  DialogDriver driver(output == AviOutput::Compressed ? ChooseUncompressed
                                                      : std::function<void(DialogDriver&)>());
  ConvertFolderToAvi(request, view, choices);
  driver.Finish();

  EXPECT_TRUE(driver.failures().empty());
  EXPECT_TRUE(recorder.messages().empty()) << Messages(recorder.messages());
  ASSERT_EQ(view.names.size(), 3u);
  EXPECT_EQ(view.names[2],
            "\xD0\xBA\xD0\xB0\xD0\xB4\xD1\x80"
            "2.jpg");
  // Wine's AVI services open only what the code page can spell: read a copy.
  const std::string copy = temp.path() + "\\copy.avi";
  ASSERT_TRUE(::CopyFileW(Widen(target).c_str(), Widen(copy).c_str(), FALSE));
  const test::AviSummary avi = test::ReadAviSummary(copy);
  ASSERT_TRUE(avi.read);
  EXPECT_EQ(avi.length, 3u);
  EXPECT_EQ(avi.rate, 5u);
  EXPECT_EQ(avi.width, 48);
}

INSTANTIATE_TEST_SUITE_P(Outputs, BothOutputs, test::kBothOutputs, test::OutputTestName);

// The save dialog's second type: no compression dialog (the driver reports
// any dialog it did not expect), no temporary BMP, every frame copied.
TEST_F(WriteAvi, SecondTypeOfTheSaveDialogCopiesTheFrames) {
  const std::string folder = CheckCase("save_dialog_mjpeg");
  const std::vector<std::string> frames = {"Hal0000000.jpg", "Hal0000001.jpg", "Hal0000002.jpg"};
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(test::WriteJpegFrame(folder + "\\" + frames[i], 80, 60, 60 + i));
  const std::string target = folder + "\\copied.avi";

  const auto messages = Click(folder, [&target](DialogDriver& d) {
    HWND save = d.Wait(kSaveTitle);
    if (save && d.Choose(save, kFileTypeCombo, "Motion JPEG AVI, frames copied (*.avi)") &&
        d.SetFileName(save, target))
      d.Click(save, IDOK);
  });

  EXPECT_TRUE(messages.empty()) << Messages(messages);
  const test::AviSummary avi = test::ReadAviSummary(target);
  ASSERT_TRUE(avi.read);
  EXPECT_EQ(avi.handler, mmioFOURCC('M', 'J', 'P', 'G'));
  EXPECT_EQ(avi.length, 3u);
  for (LONG i = 0; i < 3; ++i)
    EXPECT_EQ(test::ReadAviFrame(target, i), test::FileBytes(folder + "\\" + frames[i]));
  EXPECT_FALSE(test::PathIsThere(folder + "\\tmp.bmp"));
  EXPECT_EQ(ListSelected(form_->File1), 2);
  EXPECT_TRUE(test::WriteExpectation(folder, "copied.avi", 3, 80, 60, frames, {}, true));
}

// 43 frames of 4096x4096 would make an uncompressed video of 2.0 GiB and
// more: refused before a frame is written, and the file the user chose to
// replace is still there as it was.
TEST_F(WriteAvi, UncompressedVideoPastTwoGigabytesIsRefusedBeforeWriting) {
  test::TempFolder temp;
  const std::string first = temp.path() + "\\Ida0000000.jpg";
  ASSERT_TRUE(test::WriteJpegFrame(first, 4096, 4096, 7));
  for (int i = 1; i < 43; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "\\Ida%07d.jpg", i);
    ASSERT_TRUE(::CopyFileA(first.c_str(), (temp.path() + name).c_str(), FALSE));
  }
  const std::string target = temp.path() + "\\huge.avi";
  const std::vector<std::uint8_t> older{'o', 'l', 'd'};
  ASSERT_TRUE(WriteWholeFile(target, {{older.data(), older.size()}}));

  const auto messages = Click(temp.path(), [&target](DialogDriver& d) {
    if (!NameTarget(d, target)) return;
    if (HWND question = d.Wait("")) d.Click(question, IDYES);  // replace it
    ChooseUncompressed(d);
  });

  ASSERT_EQ(messages.size(), 1u) << Messages(messages);
  EXPECT_EQ(messages[0].text.rfind("The uncompressed video would take 2.02 GB, more than the 2 GB", 0), 0u)
      << messages[0].text;
  EXPECT_NE(messages[0].text.find(target + "\r\nNothing was written."), std::string::npos);
  EXPECT_EQ(messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(test::FileBytes(target), older);
  EXPECT_FALSE(test::PathIsThere(target + ".part.avi"));
  EXPECT_EQ(test::LiveAviObjects(), 0);
}

}  // namespace
}  // namespace lumavex
